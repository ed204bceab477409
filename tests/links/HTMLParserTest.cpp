#include "links/HTMLParser.h"

#include "HTMLParserFixture.h"

#include <random>

using namespace vorlin;

namespace {

using TUrls = std::vector<std::string>;

class HTMLParser : public THTMLParserFixture {};

} // namespace

TEST_F(HTMLParser, ATagSplitOverTwoBlocksIsProcessedOnce) {
    const std::string html = "<p>Hello <a href='x.html'>x</a> bye";
    for (size_t cut = 1; cut < html.size(); ++cut) {
        Project.Links->Clear();
        PageLink = AddStoredLink("http://h/", "a/index.html", ltPage);
        PageLink->ScopeDir = "a/";
        std::string stored = Parse(html, {cut});
        EXPECT_EQ(stored, html) << "cut at " << cut;
        EXPECT_EQ(PageLink->References.size(), 1u) << "cut at " << cut;
        EXPECT_EQ(ListOrder(), (TUrls{"http://h/a/index.html", "http://h/a/x.html"}));
    }
}

TEST_F(HTMLParser, RootRelativeLinkIsRegisteredAndRewritten) {
    EXPECT_EQ(Parse("<a href='/b/x.html'>"), "<a href='../b/x.html'>");
    TDownloadLink* link = Find("http://h/b/x.html");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->LinkType, ltPage);
    EXPECT_EQ(link->Kind, lkRelative);
    EXPECT_EQ(link->Level, 1);
    EXPECT_EQ(link->TagName, "A");
    EXPECT_EQ(link->Server(), "http://h/");
    EXPECT_EQ(link->Path, "b/x.html");
    EXPECT_EQ(link->LocalDir(), "h\\");
    EXPECT_EQ(link->LocalFileName, "b\\x.html");
    EXPECT_EQ(link->ScopeDir, "a/");
    EXPECT_EQ(link->Referrers, (std::vector<TDownloadLink*>{PageLink}));
    EXPECT_EQ(PageLink->References, (std::vector<TDownloadLink*>{link}));
    EXPECT_EQ(Parser->CurrentLink(), link);
}

TEST_F(HTMLParser, AbsoluteLinksAreEncodedAndScoped) {
    PageLink->ExternalLevel = 2;
    EXPECT_EQ(Parse("<a href=\"http://other/d/p q.html#sec\"><a href=http://h/a/in.html>"),
              "<a href=\"../../other/d/p%20q.html#sec\"><a href=in.html>");
    TDownloadLink* outside = Find("http://other/d/p%20q.html");
    ASSERT_NE(outside, nullptr);
    EXPECT_EQ(outside->Kind, lkHttp);
    EXPECT_EQ(outside->Anchor, "#sec");
    EXPECT_EQ(outside->LocalFileName, "d\\p q.html");
    EXPECT_EQ(outside->ScopeDir, "");
    EXPECT_EQ(outside->ExternalLevel, 3);
    TDownloadLink* inside = Find("http://h/a/in.html");
    ASSERT_NE(inside, nullptr);
    EXPECT_EQ(inside->ScopeDir, "a/");
    EXPECT_EQ(inside->ExternalLevel, 0);
}

TEST_F(HTMLParser, ImagesGoRightAfterTheirPageAndCollectReferrers) {
    TDownloadLink* later = AddStoredLink("http://h/", "a/later.html", ltPage);
    Parse("<a href=next.html><img src=a.gif><img src=b.gif>");
    EXPECT_EQ(ListOrder(), (TUrls{"http://h/a/index.html", "http://h/a/b.gif", "http://h/a/a.gif",
                                  "http://h/a/later.html", "http://h/a/next.html"}));
    TDownloadLink* image = Find("http://h/a/a.gif");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->LinkType, ltSource);

    // A second page with the same image becomes a referrer; no new link.
    int count = Project.Links->Count();
    Parse("<img src='/a/a.gif'><IMG SRC=a.gif>", {}, later);
    EXPECT_EQ(Project.Links->Count(), count);
    EXPECT_EQ(image->Referrers, (std::vector<TDownloadLink*>{PageLink, later}));
    EXPECT_EQ(later->References, (std::vector<TDownloadLink*>{image}));
}

TEST_F(HTMLParser, MetaRefreshRewritesOnlyItsURL) {
    EXPECT_EQ(Parse("<meta http-equiv='Refresh' content='5; URL=/next.html'>"),
              "<meta http-equiv='Refresh' content='5; URL=../next.html'>");
    EXPECT_EQ(Find("http://h/next.html")->LinkType, ltPage);

    int count = Project.Links->Count();
    const std::string contentType = "<meta http-equiv='Content-Type' content='text/html'>";
    EXPECT_EQ(Parse(contentType), contentType);
    EXPECT_EQ(Project.Links->Count(), count);
}

TEST_F(HTMLParser, OtherSchemesAreRecordedButNotRewritten) {
    const std::string html = "<a href='mailto:me@h'><a href='javascript:go()'><a href='#top'>";
    EXPECT_EQ(Parse(html), html);
    std::vector<TLinkKind> kinds;
    for (TDownloadLink* link : PageLink->References)
        kinds.push_back(link->Kind);
    EXPECT_EQ(kinds, (std::vector<TLinkKind>{lkMailto, lkJavaScript, lkAnchor}));
    EXPECT_EQ(PageLink->References[0]->Server(), "mailto:me@h");
    EXPECT_EQ(PageLink->References[0]->Path, "");
}

TEST_F(HTMLParser, EmptyLinkValuesRegisterNothing) {
    const std::string html = "<a href=''><img src=' '>";
    EXPECT_EQ(Parse(html), html);
    EXPECT_TRUE(PageLink->References.empty());
}

TEST_F(HTMLParser, MirrorModeRegistersLinksButWritesThePageAsItCame) {
    Project.ProjectMode = pmMirror;
    const std::string html = "<a href='/b/x.html'><base href='http://o/d/'><img src=i.gif>";
    EXPECT_EQ(Parse(html), html);
    EXPECT_NE(Find("http://h/b/x.html"), nullptr);
    EXPECT_NE(Find("http://o/d/i.gif"), nullptr);
}

TEST_F(HTMLParser, BaseLeadsLaterRelativeLinksAndIsStrippedOffline) {
    EXPECT_EQ(Parse("<img src=before.gif><base href='http://other/dir/' target=_top>"
                    "<a href=x.html>"),
              "<img src=before.gif><base target=\"_top\"><a href=../../other/dir/x.html>");
    EXPECT_NE(Find("http://h/a/before.gif"), nullptr);
    TDownloadLink* link = Find("http://other/dir/x.html");
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->BaseResolved);
    EXPECT_EQ(link->ScopeDir, "");
    EXPECT_EQ(link->ExternalLevel, 0);
    EXPECT_EQ(Parser->Base(), ""); // the base belongs to one document
}

TEST_F(HTMLParser, BaseVariants) {
    // A base without a path gets its "/", a relative one counts from the page.
    Parse("<base href='http://other'><a href=x.html>");
    EXPECT_NE(Find("http://other/x.html"), nullptr);
    Parse("<base href='/c/'><a href=y.html>");
    EXPECT_NE(Find("http://h/c/y.html"), nullptr);
    // The end tag clears it; a base of another scheme leads nowhere.
    Parse("<base href='http://o/'></base><a href=z.html><base href='ftp://f/'><a href=w.html>");
    EXPECT_NE(Find("http://h/a/z.html"), nullptr);
    EXPECT_NE(Find("http://h/a/w.html"), nullptr);
    // Without an href the tag stays as it was.
    EXPECT_EQ(Parse("<base target=_top>"), "<base target=_top>");
}

TEST_F(HTMLParser, InlineScriptsAreScannedAndDroppedOnRequest) {
    const std::string html = "<script><!--\nimg.src='roll.gif';\n//--></script><p>";
    EXPECT_EQ(Parse(html), html);
    TDownloadLink* link = Find("http://h/a/roll.gif");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->LinkType, ltScriptLink);
    EXPECT_EQ(link->TagName, "SCRIPT");

    Project.JavaScriptMode = jsDelete;
    EXPECT_EQ(Parse(html), "<script></script><p>");
}

TEST_F(HTMLParser, ScriptBodiesGiveTheSameLinksHoweverTheyArrive) {
    const std::string html =
        "<script>a.src='one.gif';\nif (x) b.src=\"two.gif\";\n</script><a href=p.html>"
        "<!-- <a href=hidden.html> --><script>c.src='three.gif';\n</SCRIPT>";
    for (size_t block : {1, 3, 7, 1000}) {
        Project.Links->Clear();
        PageLink = AddStoredLink("http://h/", "a/index.html", ltPage);
        std::vector<size_t> blocks(html.size() / block + 1, block);
        EXPECT_EQ(Parse(html, blocks), html);
        TUrls urls;
        for (TDownloadLink* link : PageLink->References)
            urls.push_back(link->FullURL());
        EXPECT_EQ(urls, (TUrls{"http://h/a/one.gif", "http://h/a/two.gif", "http://h/a/p.html",
                               "http://h/a/three.gif"}))
            << "blocks of " << block;
    }
}

TEST_F(HTMLParser, ScriptWithoutCommentDoesNotSwallowTheRest) {
    Project.JavaScriptMode = jsDelete;
    EXPECT_EQ(Parse("<script>x=1;</script><a href=k.html><!-- c -->"),
              "<script></script><a href=k.html><!-- c -->");
    EXPECT_NE(Find("http://h/a/k.html"), nullptr);
}

TEST_F(HTMLParser, AppletRegistersItsClassAndArchives) {
    Project.Links->Clear();
    PageLink = AddStoredLink("http://h/", "p/page.html", ltPage);
    const std::string html = "<applet code='Demo' archive='a.jar,b.jar'></applet>";
    EXPECT_EQ(Parse(html), html);
    TUrls urls;
    for (TDownloadLink* link : PageLink->References)
        urls.push_back(link->FullURL());
    EXPECT_EQ(urls, (TUrls{"http://h/p/Demo.class", "http://h/p/a.jar", "http://h/p/b.jar"}));
    EXPECT_EQ(Find("http://h/p/Demo.class")->LinkType, ltAppletCode);
    EXPECT_EQ(Find("http://h/p/a.jar")->LinkType, ltAppletArchive);
    EXPECT_EQ(Find("http://h/p/a.jar")->TagName, "APPLET");
}

TEST_F(HTMLParser, AppletCodeBases) {
    Parse("<applet codebase=classes code=X.CLASS><applet codebase='http://c/j' code=Y>"
          "<applet codebase='ftp://f/' code=Z><applet archive=only.jar>");
    EXPECT_NE(Find("http://h/a/classes/X.CLASS"), nullptr);
    EXPECT_NE(Find("http://c/j/Y.class"), nullptr);
    EXPECT_EQ(Find("ftp://f/Z.class"), nullptr);
    EXPECT_NE(Find("http://h/a/only.jar"), nullptr);
    EXPECT_EQ(PageLink->References.size(), 3u); // no ".class" without a code
}

TEST_F(HTMLParser, PageAndItsTwinWithATrailingSlashAreOneReferrer) {
    TDownloadLink* dir = AddStoredLink("http://h/", "d/", ltPage);
    TDownloadLink* twin = AddStoredLink("http://h/", "d", ltPage);
    Parse("<img src=/i.gif>", {}, dir);
    Parser->SetPage(twin); // as for a redirect: "d" and "d/" can't both be stored
    TDownloadLink* image = Parser->AddLink("/i.gif", ltSource);
    EXPECT_EQ(image, Find("http://h/i.gif"));
    EXPECT_EQ(image->Referrers, (std::vector<TDownloadLink*>{dir}));

    // Pages whose URLs differ otherwise by one character are two referrers.
    TDownloadLink* p1 = AddStoredLink("http://h/", "q?p=1", ltPage);
    TDownloadLink* p12 = AddStoredLink("http://h/", "q?p=12", ltPage);
    Parse("<img src=/i.gif>", {}, p1);
    Parse("<img src=/i.gif>", {}, p12);
    EXPECT_EQ(image->Referrers, (std::vector<TDownloadLink*>{dir, p1, p12}));

    // A twin filed after the page was first seen still counts.
    TDownloadLink* plain = AddStoredLink("http://h/", "e", ltPage);
    Parse("<img src=/j.gif>", {}, plain);
    TDownloadLink* slash = AddStoredLink("http://h/", "e/", ltPage);
    Parser->SetPage(slash);
    TDownloadLink* k = Parser->AddLink("/k.gif", ltSource);
    Parser->SetPage(plain);
    EXPECT_EQ(Parser->AddLink("/k.gif", ltSource), k);
    EXPECT_EQ(k->Referrers, (std::vector<TDownloadLink*>{slash}));
}

// A text met again names what it names on the page at hand: the same
// link in the same directory, another one elsewhere, under a BASE or as a
// query of its own page; with the fragment it has there.
TEST_F(HTMLParser, TextsMetAgainNameWhatTheyNameOnTheirOwnPage) {
    TDownloadLink* sibling = AddStoredLink("http://h/", "a/two.html", ltPage);
    TDownloadLink* other = AddStoredLink("http://h/", "b/index.html", ltPage);
    TDownloadLink* listing = AddStoredLink("http://h/", "a/list.php?dir=b/c", ltPage);
    // Each text three times: then it names a known link, and one met before.
    const std::string first = Parse("<a href=x.html#top><a href='?p=2'><a href=../up.html>"
                                    "<a href=x.html#top><a href='?p=2'><a href=x.html#top><a href='?p=2'>");
    EXPECT_NE(first.find("<a href=x.html#top><a href='index.html,p=2'><a href=../up.html>"
                         "<a href=x.html#top><a href='index.html,p=2'><a href=x.html#top><a href='index.html,p=2'>"),
              std::string::npos)
        << first;
    TDownloadLink* x = Find("http://h/a/x.html");
    ASSERT_NE(x, nullptr);

    const std::string second = Parse("<a href=x.html#end><a href='?p=2'><a href=../up.html>", {}, sibling);
    EXPECT_NE(second.find("<a href=x.html#end><a href='two.html,p=2'>"), std::string::npos) << second;
    EXPECT_EQ(x->Referrers, (std::vector<TDownloadLink*>{PageLink, sibling}));
    EXPECT_NE(Find("http://h/a/index.html?p=2"), nullptr);
    EXPECT_NE(Find("http://h/a/two.html?p=2"), nullptr);

    Parse("<a href=x.html><a href=../up.html>", {}, other);
    EXPECT_NE(Find("http://h/b/x.html"), nullptr);
    EXPECT_EQ(Find("http://h/up.html")->Referrers.size(), 3u);
    // A "/" in the page's query names no directory.
    Parse("<a href=x.html>", {}, listing);
    EXPECT_EQ(x->Referrers.back(), listing);

    Parse("<base href=http://h/c/><a href=x.html>", {}, sibling);
    EXPECT_NE(Find("http://h/c/x.html"), nullptr);
    Parse("<a href=x.html>", {}, sibling);
    EXPECT_EQ(x->Referrers, (std::vector<TDownloadLink*>{PageLink, sibling, listing}));

    // Many more texts than are remembered, met twice: each finds its own link.
    std::string many;
    for (int i = 0; i < 20000; ++i) many += "<img src=m" + std::to_string(i) + ".gif>";
    Parse(many, {}, sibling);
    Parse(many, {}, PageLink);
    for (int i : {0, 8191, 8192, 19999}) {
        TDownloadLink* image = Find("http://h/a/m" + std::to_string(i) + ".gif");
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->Referrers, (std::vector<TDownloadLink*>{sibling, PageLink}));
    }
    EXPECT_EQ(PageLink->References.size(), 3u + 20000u);
}

// The list cleared (a run starts over) leaves nothing remembered that
// names a link it freed.
TEST_F(HTMLParser, TextsAreForgottenWithTheListsLinks) {
    Parse("<img src=x.gif>");
    Project.Links->Clear();
    PageLink = AddStoredLink("http://h/", "a/index.html", ltPage);
    Parse("<img src=x.gif>");
    TDownloadLink* x = Find("http://h/a/x.gif");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(PageLink->References, (std::vector<TDownloadLink*>{x}));
}

TEST_F(HTMLParser, ReferrersAreKeptOnceAcrossRuns) {
    // A second run parses the page again: its references from the link data
    // must not be doubled.
    Parse("<img src=x.gif><a href=y.html>");
    Parse("<img src=x.gif><a href=y.html><img src=x.gif>");
    EXPECT_EQ(PageLink->References.size(), 2u);
    EXPECT_EQ(Find("http://h/a/x.gif")->Referrers.size(), 1u);
}

TEST_F(HTMLParser, ReferrersStayRightWhenThePageIndexReusesItsEntries) {
    // More pages than the index keeps, each parsed twice, and one with enough
    // references to make its table grow: no page is taken for another, and
    // none is recorded twice.
    std::string many;
    for (int i = 0; i < 40; ++i) many += "<img src=/m" + std::to_string(i) + ".gif>";
    std::vector<TDownloadLink*> pages;
    for (int i = 0; i < 7; ++i) pages.push_back(AddStoredLink("http://h/", "p" + std::to_string(i), ltPage));
    for (int round = 0; round < 2; ++round)
        for (TDownloadLink* page : pages) Parse("<img src=/all.gif>" + many + many, {}, page);
    TDownloadLink* all = Find("http://h/all.gif");
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(all->Referrers, pages);
    for (TDownloadLink* page : pages) EXPECT_EQ(page->References.size(), 41u);
    EXPECT_EQ(Find("http://h/m39.gif")->Referrers, pages);
}

TEST_F(HTMLParser, ResumedPageKeepsWhatArrivedBefore) {
    Project.ProjectMode = pmMirror;
    TMemoryStream stream;
    const std::string before = "<p>first part <img src=old.gif>";
    stream.Write(before.data(), static_cast<int64_t>(before.size()));
    Parser->BeginDocument(*PageLink, stream);
    Append(stream, " and the rest <img src=new.gif>");
    Parser->EndDocument();
    EXPECT_EQ(Stored(*PageLink), before + " and the rest <img src=new.gif>");
    EXPECT_EQ(Find("http://h/a/old.gif"), nullptr);
    EXPECT_NE(Find("http://h/a/new.gif"), nullptr);
}

TEST_F(HTMLParser, AnUnfinishedTagAtTheEndIsKeptOnlyByEndDocument) {
    EXPECT_EQ(Parse("text <a href=x.html"), "text <a href=x.html");
    EXPECT_EQ(Find("http://h/a/x.html"), nullptr);

    TMemoryStream stream;
    Parser->BeginDocument(*PageLink, stream);
    Append(stream, "text <a href=y.html");
    Parser->Reset();
    EXPECT_EQ(Stored(*PageLink), "text ");
    EXPECT_FALSE(Parser->IsOpen());
}

TEST_F(HTMLParser, LifecycleAndStreamPosition) {
    EXPECT_FALSE(Parser->IsOpen());
    Parser->ParseAvailable(); // closed: nothing happens
    TMemoryStream stream;
    Parser->BeginDocument(*PageLink, stream);
    EXPECT_TRUE(Parser->IsOpen());
    EXPECT_EQ(Parser->Page(), PageLink);
    TMemoryStream other;
    TDownloadLink* second = AddStoredLink("http://h/", "a/second.html", ltPage);
    Parser->BeginDocument(*second, other); // already open: ignored
    EXPECT_EQ(Parser->Page(), PageLink);
    Append(stream, "<p>abc<b");
    EXPECT_EQ(stream.Position(), stream.Size());
    Parser->EndDocument();
    EXPECT_FALSE(Parser->IsOpen());
    EXPECT_EQ(Stored(*PageLink), "<p>abc<b");

    TFileStream file(FDir + "/plain", fmCreate);
    EXPECT_THROW(Parser->BeginDocument(*PageLink, file), EStreamError);
    EXPECT_FALSE(Parser->IsOpen());
}

TEST_F(HTMLParser, StoredCopyStaysInsideTheTargetDirectory) {
    TDownloadLink* evil = AddStoredLink("http://h/", "x", ltPage);
    evil->LocalFileName = "..\\..\\..\\escaped.html";
    Parse("<p>", {}, evil);
    EXPECT_FALSE(std::filesystem::exists(FDir + "/escaped.html"));
    EXPECT_FALSE(std::filesystem::exists("/tmp/escaped.html"));
    EXPECT_EQ(LinkFilePath(Project, *evil).rfind(Project.TargetDir, 0), 0u);
    EXPECT_EQ(Stored(*evil), "<p>");

    // Dot segments in a link keep to the tree as well.
    Parse("<a href='http://h/../../../up.html'><a href='x/../../../y.html'>");
    for (TDownloadLink* link : PageLink->References)
        EXPECT_EQ(LinkFilePath(Project, *link).rfind(Project.TargetDir, 0), 0u) << link->FullURL();
}

TEST_F(HTMLParser, RewrittenReferencesAreUsableURLs) {
    // The stored names hold a blank, "#" and a quote, decoded from the URL.
    EXPECT_EQ(Parse("<a href='p%20q%23r.html#s'><a href=\"it%27s.html\">"),
              "<a href='p%20q%23r.html#s'><a href=\"it%27s.html\">");
    EXPECT_EQ(Find("http://h/a/p%20q%23r.html")->LocalFileName, "a\\p q#r.html");
    EXPECT_EQ(Find("http://h/a/it%27s.html")->LocalFileName, "a\\it's.html");
}

TEST_F(HTMLParser, NotATagIsWrittenWithItsBrackets) {
    const std::string html = "a <> b </> c < d > e";
    EXPECT_EQ(Parse(html), html);
    EXPECT_TRUE(PageLink->References.empty());
}

TEST_F(HTMLParser, LinkTextsLoseLineBreaksAndBlanksAndGainTheScheme) {
    Parser->SetPage(PageLink);
    TDownloadLink* page = Parser->AddLink(" \r\n x\r\n.html \t\n", ltPage);
    EXPECT_EQ(page, Find("http://h/a/x.html"));
    TDownloadLink* image = Parser->AddLink("//other/y.gif", ltSource);
    EXPECT_EQ(image, Find("http://other/y.gif"));
    // The scheme is judged on the cleaned text.
    TDownloadLink* third = Parser->AddLink("\n/\n/third/z.gif", ltSource);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third, Find("http://third/z.gif"));
}

TEST_F(HTMLParser, AddLinkErrorsNameTheLink) {
    Project.Links->OnChange = [](TDownloadLink*) { throw Exception("boom"); };
    TMemoryStream stream;
    Parser->BeginDocument(*PageLink, stream);
    stream.Write("<a href=x.html>rest", 19);
    try {
        Parser->ParseAvailable();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Error while Adding http://h/a/x.html(boom)");
    }
    // The position was kept: the next call goes on after the failed tag.
    Project.Links->OnChange = nullptr;
    Parser->ParseAvailable();
    Parser->EndDocument();
    EXPECT_EQ(Stored(*PageLink), "rest");
}

TEST_F(HTMLParser, ScriptFilesAreScannedWithoutWriting) {
    TDownloadLink* script = AddStoredLink("http://h/", "js/menu.js", ltScriptFile);
    TMemoryStream stream;
    const std::string code = "m.src='/img/m.gif';\nn.src = \"n.gif\";\n";
    stream.Write(code.data(), static_cast<int64_t>(code.size()));
    Parser->ParseScriptFile(*script, stream);
    TUrls urls;
    for (TDownloadLink* link : script->References)
        urls.push_back(link->FullURL());
    EXPECT_EQ(urls, (TUrls{"http://h/img/m.gif", "http://h/js/n.gif"}));
    EXPECT_EQ(script->References[0]->LinkType, ltScriptLink);
    EXPECT_EQ(script->References[0]->TagName, "SCRIPT");
    EXPECT_FALSE(std::filesystem::exists(LinkFilePath(Project, *script)));
}

TEST_F(HTMLParser, RedirectTargetsAreLinksOfTheFirstReferrer) {
    TDownloadLink* moved = AddStoredLink("http://h/", "a/old.html", ltSource);
    moved->Referrers.push_back(PageLink);
    moved->TagName = "IMG";
    TDownloadLink* target = Parser->AddRedirectTarget(*moved, "new.gif");
    EXPECT_EQ(target->FullURL(), "http://h/a/new.gif");
    EXPECT_EQ(target->Kind, lkHttp);
    EXPECT_EQ(target->LinkType, ltSource);
    EXPECT_EQ(target->TagName, "IMG");
    EXPECT_EQ(target->Referrers, (std::vector<TDownloadLink*>{PageLink}));

    // The start link has no referrer: its target starts at level 0.
    TDownloadLink* start = Project.Links->First();
    target = Parser->AddRedirectTarget(*start, "http://www.h/");
    EXPECT_EQ(target->Level, 0);
    EXPECT_TRUE(target->Referrers.empty());
    EXPECT_EQ(Parser->AddRedirectTarget(*start, "http://www.h/"), target);
}

TEST_F(HTMLParser, LinksOutsideTheURLTreeAreNotDoubledOnAPage) {
    const std::string html =
        "<a href='mailto:me@h'><a href=#top><a href='mailto:me@h'><a href=#top>";
    Parse(html);
    int count = Project.Links->Count();
    EXPECT_EQ(PageLink->References.size(), 2u);
    // Parsing the page again, as an update does, adds nothing either.
    Parse(html);
    EXPECT_EQ(Project.Links->Count(), count);
    EXPECT_EQ(PageLink->References.size(), 2u);
}

TEST_F(HTMLParser, EndDocumentParsesWhatWasNotParsedYet) {
    TMemoryStream stream;
    Parser->BeginDocument(*PageLink, stream);
    stream.Write("<img src=/late.gif>", 19);
    Parser->EndDocument();
    EXPECT_EQ(Stored(*PageLink), "<img src=../late.gif>");
    EXPECT_NE(Find("http://h/late.gif"), nullptr);
}

TEST_F(HTMLParser, NetworkPathReferencesNameTheirServer) {
    EXPECT_EQ(Parse("<img src=//cdn.example/x.gif><base href=//other.example/d/><a href=y.html>"),
              "<img src=../../cdn.example/x.gif><base><a href=../../other.example/d/y.html>");
    EXPECT_EQ(Find("http://cdn.example/x.gif")->Kind, lkHttp);
    EXPECT_TRUE(Find("http://other.example/d/y.html")->BaseResolved);
}
