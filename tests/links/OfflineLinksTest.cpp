// What a page stored for offline browsing says, reference by reference: the
// address registered for each link value and the value written in its
// place, for the forms real sites use (directory links, ".", queries with
// character references, escapes in lower case, srcset, several fragments
// of one page).
#include "HTMLParserFixture.h"

#include "links/ReferenceRepair.h"
#include "project/DownloadLink.h"
#include "project/LinkStateList.h"

using namespace vorlin;

namespace {

class OfflineLinks : public THTMLParserFixture {};

struct TCase {
    const char* Html;                     // the page's body
    const char* Stored;                   // what the stored copy holds
    std::vector<std::string> Registered;  // full URLs registered, in order of the list
};

TEST_F(OfflineLinks, ValuesAreRegisteredAsABrowserReadsThemAndPointAtTheStoredFiles) {
    const TCase cases[] = {
        // A directory keeps its "/" and is stored as its index page.
        {"<a href=\"../features/\">", "<a href=\"../features/index.html\">", {"http://h/features/"}},
        {"<a href=\"./x/\">", "<a href=\"x/index.html\">", {"http://h/a/x/"}},
        // "." and "./" are the page's directory, not a file named ".".
        {"<a href=\".\">", "<a href=\"index.html\">", {"http://h/a/"}},
        {"<a href=\"./\">", "<a href=\"index.html\">", {"http://h/a/"}},
        {"<a href=\"b/./c/../d.html\">", "<a href=\"b/d.html\">", {"http://h/a/b/d.html"}},
        {"<a href=\"%2e%2e/up.html\">", "<a href=\"../up.html\">", {"http://h/up.html"}},
        // Character references are decoded before the link is registered;
        // the stored name's "&" is escaped where it is written.
        {"<a href=\"p.html?x=1&amp;y=2\">", "<a href=\"p.html,x=1%26y=2\">", {"http://h/a/p.html?x=1&y=2"}},
        {"<a href='&#x2F;b&#47;c.html'>", "<a href='../b/c.html'>", {"http://h/b/c.html"}},
        {"<a href=\"q?a=1&amp=2\">", "<a href=\"q,a=1%26amp=2\">", {"http://h/a/q?a=1&amp=2"}},
        // An escape in lower case is one escape, not a "%" to escape again.
        {"<a href=\"caf%c3%a9.html\">", "<a href=\"caf%C3%A9.html\">", {"http://h/a/caf%C3%A9.html"}},
        // Every srcset candidate is an image of the page, rewritten in place.
        {"<img src=\"/i/m.png\" srcset=\"/i/s.png 1x, /i/l.png 2x\">",
         "<img src=\"../i/m.png\" srcset=\"../i/s.png 1x, ../i/l.png 2x\">",
         {"http://h/a/index.html", "http://h/i/l.png", "http://h/i/s.png", "http://h/i/m.png"}},
        {"<picture><source type=\"image/webp\" SRCSET=\"/i/a.webp 480w,/i/b.webp  800w\"></picture>",
         "<picture><source type=\"image/webp\" SRCSET=\"../i/a.webp 480w,../i/b.webp  800w\"></picture>",
         {"http://h/a/index.html", "http://h/i/b.webp", "http://h/i/a.webp"}},
        {"<img srcset=\"/i/x.png?v=1&amp;w=2 2x\">", "<img srcset=\"../i/x.png,v=1%26w=2 2x\">",
         {"http://h/a/index.html", "http://h/i/x.png?v=1&w=2"}},
        // Each reference keeps its own fragment.
        {"<a href=\"t.html#one\"><a href=\"t.html#two\"><a href=t.html>",
         "<a href=\"t.html#one\"><a href=\"t.html#two\"><a href=t.html>", {"http://h/a/t.html"}},
    };
    for (const TCase& c : cases) {
        Project.Links->Clear();
        PageLink = AddStoredLink("http://h/", "a/index.html", ltPage);
        PageLink->ScopeDir = "a/";
        EXPECT_EQ(Parse(c.Html), c.Stored) << c.Html;
        std::vector<std::string> registered = ListOrder();
        if (c.Registered.front() != "http://h/a/index.html") registered.erase(registered.begin());
        EXPECT_EQ(registered, c.Registered) << c.Html;
    }
}

TEST_F(OfflineLinks, MirrorModeRegistersTheSameAndStoresThePageAsItCame) {
    Project.ProjectMode = pmMirror;
    const std::string html = "<a href=\"../f/\"><img srcset=\"s.png 1x, l.png 2x\"><a href=\".\">";
    EXPECT_EQ(Parse(html), html);
    EXPECT_EQ(ListOrder(), (std::vector<std::string>{"http://h/a/index.html", "http://h/a/l.png",
                                                      "http://h/a/s.png", "http://h/f/", "http://h/a/"}));
}

class OfflineLinksWithRepair : public THTMLParserFixture {
  protected:
    void SetUp() override {
        THTMLParserFixture::SetUp();
        PageLink->MimeType = "text/html";  // the repair visits pages and style sheets
        Parser->SetReferenceRepair(&Repair);
    }
    // A further page of the site, stored as the parser writes it.
    TDownloadLink* AddPage(const std::string& path) {
        TDownloadLink* page = AddStoredLink("http://h/", path, ltPage);
        page->MimeType = "text/html";
        page->ScopeDir = "a/";
        page->Referrers.push_back(PageLink);
        return page;
    }
    TReferenceRepair Repair;
};


// With the run's repair at hand, a reference to a link already filtered out,
// or external beyond what the project follows, is written as the repair
// would leave it; should such a link be stored after all, the repair points
// the page at the copy.
TEST_F(OfflineLinksWithRepair, LinksKnownNotToBeStoredAreWrittenAsTheirAddresses) {
    TDownloadLink* gone = AddStoredLink("http://h/", "a/gone.gif", ltSource);
    TDownloadLink* later = AddStoredLink("http://h/", "a/later.gif", ltSource);
    Project.FilteredOut->Add(gone);
    Project.FilteredOut->Add(later);
    Project.FollowExternalLinks = false;
    Project.ExcludeList = {"zip"};
    const std::string page = "<img src=gone.gif><img src=\"later.gif#x\"><a href=\"http://other/x.html\">o</a>"
                             "<img src=new.gif><a href=\"d.zip\">";
    EXPECT_EQ(Parse(page), "<img src=http://h/a/gone.gif><img src=\"http://h/a/later.gif#x\">"
                           "<a href=\"http://other/x.html\">o</a><img src=new.gif><a href=\"http://h/a/d.zip\">");

    // later.gif is stored after all; gone.gif and the external page are not.
    Project.Downloaded->Add(later);
    std::filesystem::create_directories(std::filesystem::path(LinkFilePath(Project, *later)).parent_path());
    std::ofstream(LinkFilePath(Project, *later)) << "GIF";
    const TReferenceRepair::TResult result = Repair.Run(Project, {});
    EXPECT_EQ(result.Files, 1);
    EXPECT_EQ(result.References, 1);
    EXPECT_EQ(Stored(*PageLink), "<img src=http://h/a/gone.gif><img src=\"later.gif#x\">"
                                 "<a href=\"http://other/x.html\">o</a><img src=new.gif><a href=\"http://h/a/d.zip\">");
}

// A link that stays unstored is repaired where pages named it by its local
// name; the pages written with its address after it was filtered out (every
// page of a site names its missing icon) are not read again.
TEST_F(OfflineLinksWithRepair, OnlyPagesThatMayNameTheStoredCopyAreRead) {
    TDownloadLink* second = AddPage("a/second.html");
    TDownloadLink* third = AddPage("a/third.html");
    EXPECT_EQ(Parse("<img src=x.gif>"), "<img src=x.gif>");
    TDownloadLink* x = Find("http://h/a/x.gif");
    ASSERT_NE(x, nullptr);
    Project.FilteredOut->Add(x);
    EXPECT_EQ(Parse("<img src=x.gif>", {}, second), "<img src=http://h/a/x.gif>");
    EXPECT_EQ(Parse("<a href=x.gif><img src=x.gif>", {}, third), "<a href=http://h/a/x.gif><img src=http://h/a/x.gif>");
    // A page that named it by its local name before it was filtered out, and
    // by its address after, is read.
    TDownloadLink* fourth = AddPage("a/fourth.html");
    TDownloadLink* y = AddStoredLink("http://h/", "a/y.gif", ltSource);
    TMemoryStream stream;
    Parser->BeginDocument(*fourth, stream);
    Append(stream, "<img src=y.gif>");
    Project.FilteredOut->Add(y);
    Append(stream, "<img src=y.gif>");
    Parser->EndDocument();
    EXPECT_EQ(Stored(*fourth), "<img src=y.gif><img src=http://h/a/y.gif>");

    const TReferenceRepair::TResult result = Repair.Run(Project, {});
    EXPECT_EQ(result.Files, 2);
    EXPECT_EQ(result.Read, 2);
    EXPECT_EQ(Stored(*PageLink), "<img src=http://h/a/x.gif>");
    EXPECT_EQ(Stored(*fourth), "<img src=http://h/a/y.gif><img src=http://h/a/y.gif>");
}

// Once a page may name the link by its local name again (it was fetched
// again for a while, or a plugin registered it), every referrer is read.
TEST_F(OfflineLinksWithRepair, PagesNamingTheCopyAfterTheAddressAreRepairedToo) {
    TDownloadLink* second = AddPage("a/second.html");
    TDownloadLink* third = AddPage("a/third.html");
    TDownloadLink* x = AddStoredLink("http://h/", "a/x.gif", ltSource);
    Project.FilteredOut->Add(x);
    EXPECT_EQ(Parse("<img src=x.gif>"), "<img src=http://h/a/x.gif>");
    EXPECT_EQ(Parse("<img src=x.gif>", {}, second), "<img src=http://h/a/x.gif>");
    // Back in the queue: the next page points at the copy to come.
    Project.FilteredOut->Remove(x);
    x->State = lsPending;
    EXPECT_EQ(Parse("<img src=x.gif>", {}, third), "<img src=x.gif>");
    Project.FilteredOut->Add(x);

    const TReferenceRepair::TResult result = Repair.Run(Project, {});
    EXPECT_EQ(result.Read, 3);
    EXPECT_EQ(result.Files, 1);
    EXPECT_EQ(Stored(*third), "<img src=http://h/a/x.gif>");
}

TEST_F(OfflineLinksWithRepair, PagesWhereAPluginNamedTheLinkAreRepaired) {
    TDownloadLink* second = AddPage("a/second.html");
    TDownloadLink* x = AddStoredLink("http://h/", "a/x.gif", ltSource);
    Project.FilteredOut->Add(x);
    EXPECT_EQ(Parse("<img src=x.gif>"), "<img src=http://h/a/x.gif>");
    // The plugin's page holds a text the parser did not write.
    Parser->SetPage(second);
    std::ofstream(LinkFilePath(Project, *second)) << "<embed data=x.gif>";
    Parser->AddLinkFunction()("x.gif", ltSource);

    const TReferenceRepair::TResult result = Repair.Run(Project, {});
    EXPECT_EQ(result.Read, 2);
    EXPECT_EQ(Stored(*second), "<embed data=http://h/a/x.gif>");
}

// A mark a run left on a link when it ended before its repair changes
// nothing in the next: the page is still pointed at the copy when the
// link is stored after all.
TEST_F(OfflineLinksWithRepair, AMarkLeftByAnEarlierRunChangesNothing) {
    TDownloadLink* x = AddStoredLink("http://h/", "a/x.gif", ltSource);
    x->AddressOnlyNoted = true;
    Project.FilteredOut->Add(x);
    EXPECT_EQ(Parse("<img src=x.gif>"), "<img src=http://h/a/x.gif>");
    Project.Downloaded->Add(x);
    std::ofstream(LinkFilePath(Project, *x)) << "GIF";
    EXPECT_EQ(Repair.Run(Project, {}).Files, 1);
    EXPECT_EQ(Stored(*PageLink), "<img src=x.gif>");
    EXPECT_FALSE(x->AddressOnlyNoted);
}

// Followed external links, and links whose fate is open, stay local.
TEST_F(OfflineLinksWithRepair, LinksThatMayBeStoredAreWrittenLocal) {
    Project.FollowExternalLinks = true;
    EXPECT_EQ(Parse("<a href=\"http://other/x.html\">o</a><img src=new.gif>"),
              "<a href=\"../../other/x.html\">o</a><img src=new.gif>");
    EXPECT_EQ(Repair.Run(Project, {}).Files, 0);
}

} // namespace
