// The small readers and writers behind offline references: character
// references in values, srcset candidates, the extension a stored name
// needs, and the replacement of references in stored pages and sheets.
#include "links/CharacterReferences.h"
#include "links/SrcsetCandidates.h"
#include "links/StoredReferenceRewriter.h"
#include "links/TypeExtension.h"
#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "platform/FileSystem.h"
#include "../support/TempDir.h"

#include <gtest/gtest.h>

using namespace vorlin;

namespace {

TEST(CharacterReferences, DecodedAsABrowserReadsAnAttribute) {
    const std::pair<const char*, const char*> cases[] = {
        {"a.html?x=1&amp;y=2", "a.html?x=1&y=2"},
        {"&#x2F;b&#47;c", "/b/c"},
        {"&#X2f;&#0047", "//"},            // hexadecimal in either case; ";" optional
        {"q?a=1&amp=2", "q?a=1&amp=2"},   // "=" after a name without ";": not a reference
        {"q?a&ampx", "q?a&ampx"},          // nor a letter
        {"&amp &lt;&gt&quot;", "& <>\""},
        {"&apos;&nbsp;&sol;&quest;&num;", "'\xC2\xA0/?#"},
        {"&apos &unknown; & &#; &#x;", "&apos &unknown; & &#; &#x;"},
        {"&#233;&#x1F600;", "\xC3\xA9\xF0\x9F\x98\x80"},
        {"&#0;&#xD800;&#99999999999;", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"plain", "plain"},
        {"", ""},
    };
    for (const auto& [value, decoded] : cases) EXPECT_EQ(DecodeCharacterReferences(value), decoded) << value;
}

TEST(SrcsetCandidates, UrlsAsABrowserSplitsThem) {
    using TUrls = std::vector<std::string>;
    auto urls = [](std::string_view value) {
        TUrls out;
        for (const TSrcsetCandidate& c : SrcsetCandidates(value)) out.emplace_back(value.substr(c.Position, c.Length));
        return out;
    };
    EXPECT_EQ(urls("a.png 1x, b.png 2x"), (TUrls{"a.png", "b.png"}));
    EXPECT_EQ(urls("  a.png  480w ,b.png 800w,  "), (TUrls{"a.png", "b.png"}));
    EXPECT_EQ(urls("a.png,b.png"), (TUrls{"a.png,b.png"}));  // no blank: one URL
    EXPECT_EQ(urls("a.png, b.png"), (TUrls{"a.png", "b.png"}));
    EXPECT_EQ(urls("data:image/png;base64,AAA= 1x, x.png 2x"), (TUrls{"data:image/png;base64,AAA=", "x.png"}));
    EXPECT_EQ(urls("a.png (junk, more) 1x, b.png"), (TUrls{"a.png", "b.png"}));
    EXPECT_EQ(urls(""), TUrls{});
    EXPECT_EQ(urls(" , ,"), TUrls{});
}

TEST(TypeExtension, NamesThatDoNotTellTheirTypeGetOne) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"_static\\pydoctheme.css,2022.1", "text/css", ".css"},
        {"_static\\pydoctheme.css", "text/css", ""},
        {"a\\STYLE.CSS", "TEXT/CSS; charset=utf-8", ""},
        {"page,id=3", "text/html", ".html"},
        {"a\\index.html", "text/html", ""},
        {"a\\page.htm", "text/html", ""},
        {"a\\x.php", "text/html", ".html"},
        {"dir.v2\\page", "text/html", ".html"},  // a dot in a directory is no extension
        {"j.php", "application/javascript", ".js"},
        {"m.mjs", "text/javascript", ""},
        {"logo.jpg", "image/png", ""},  // any image name fits any image
        {"i,id=3", "image/png", ".png"},
        {"i", "image/jpeg", ".jpg"},
        {"i", "image/svg+xml", ".svg"},
        {"data.bin", "application/octet-stream", ""},  // no type a browser needs told
        {"x", "", ""},
    };
    for (const auto& [name, type, extension] : cases) EXPECT_EQ(TypeExtensionFor(name, type), extension) << name;
}

TEST(TypeExtension, GivenNamesStayUniqueAndWithinTheLengthLimit) {
    TDownloadProject project;
    project.TargetDir = "/t/";
    auto link = [&](const std::string& name) {
        auto* l = new TDownloadLink(&project);
        l->SetServer("http://h/");
        l->LocalFileName = name;
        project.Links->Add(l);
        return l;
    };
    link("p,x.html");  // a page whose name the new one would take
    TDownloadLink* page = link("p,x");
    EXPECT_TRUE(GiveTypeExtension(*page, project, "text/html"));
    EXPECT_EQ(page->LocalFileName, "p,x000.html");
    EXPECT_FALSE(GiveTypeExtension(*page, project, "text/html"));

    TDownloadLink* directory = link("d\\");
    EXPECT_FALSE(GiveTypeExtension(*directory, project, "text/html"));
    EXPECT_EQ(directory->LocalFileName, "d\\index.html");

    TDownloadLink* longName = link(std::string(250, 'n'));
    EXPECT_TRUE(GiveTypeExtension(*longName, project, "text/css"));
    EXPECT_LE(project.TargetDir.size() + longName->LocalDir().size() + longName->LocalFileName.size(), 259u);
    EXPECT_EQ(longName->LocalFileName.substr(longName->LocalFileName.size() - 4), ".css");
}

TEST(ReplaceReferences, WholeValuesInTagsAndStyleOnly) {
    const std::vector<TReferenceReplacement> replace = {
        {"a.css", "a.css,v.css"},
        {"gone.gif", "http://h/gone.gif?x=&#39;1&#39;"},
        {"http://h/back.gif", "back.gif"},
        {"http://h/q?a=&#39;1&#39;", "q.html"},
    };
    const std::pair<const char*, const char*> pages[] = {
        {"<link href=\"a.css\"><link href='a.css'><link href=a.css>",
         "<link href=\"a.css,v.css\"><link href='a.css,v.css'><link href=a.css,v.css>"},
        // Only the whole value: not a longer name, not a part of one.
        {"<a href=\"data.css\"><a href=\"a.css.map\"><a href=\"x/a.css\">",
         "<a href=\"data.css\"><a href=\"a.css.map\"><a href=\"x/a.css\">"},
        {"<img src=\"gone.gif#frag\" srcset=\"gone.gif 2x\">",
         "<img src=\"http://h/gone.gif?x=&#39;1&#39;#frag\" srcset=\"http://h/gone.gif?x=&#39;1&#39; 2x\">"},
        {"<p style=\"background:url(gone.gif)\">", "<p style=\"background:url(http://h/gone.gif?x=&#39;1&#39;)\">"},
        {"<style>b{background:url( gone.gif )}</style>a.css",
         "<style>b{background:url( http://h/gone.gif?x=&#39;1&#39; )}</style>a.css"},
        // Text, comments and inline scripts were written as they came.
        {"see \"a.css\" <!-- <a href=\"a.css\"> --><script>x='<a href=\"a.css\">'</script>",
         "see \"a.css\" <!-- <a href=\"a.css\"> --><script>x='<a href=\"a.css\">'</script>"},
        {"<script src=\"a.css\"></script><a href=\"a.css\">", "<script src=\"a.css,v.css\"></script><a href=\"a.css,v.css\">"},
        // Absolute addresses an earlier repair wrote, "#" of "&#39;" included.
        {"<img src=\"http://h/back.gif\"><a href=\"http://h/q?a=&#39;1&#39;#s\">",
         "<img src=\"back.gif\"><a href=\"q.html#s\">"},
        {"<a href=\"a.css", "<a href=\"a.css"},  // an unfinished tag is no value
    };
    for (const auto& [page, expected] : pages) {
        std::string text = page;
        ReplaceReferences(text, TReferenceContainer::rcHtml, replace);
        EXPECT_EQ(text, expected) << page;
    }
    std::string sheet = "@import url(a.css);\n@import \"a.css\";\nb{background:url('gone.gif#x')} /*a.css*/";
    EXPECT_EQ(ReplaceReferences(sheet, TReferenceContainer::rcCss, replace), 3);
    EXPECT_EQ(sheet, "@import url(a.css,v.css);\n@import \"a.css,v.css\";\n"
                     "b{background:url('http://h/gone.gif?x=&#39;1&#39;#x')} /*a.css*/");
}

// A few texts are searched for one by one, many in one scan of the values:
// both ways must find the same places.
TEST(ReplaceReferences, FewTextsFoundWhereManyAre) {
    const std::vector<TReferenceReplacement> few = {
        {"a.css", "A"}, {"a.css#x", "B"}, {"p/q.html", "C"}, {"http://h/q?a=&#39;1&#39;", "D"}, {"bad\"x", "E"},
    };
    std::vector<TReferenceReplacement> many = few;
    for (int i = 0; i < 10; ++i) many.push_back({"absent" + std::to_string(i) + ".gif", "F"});
    const char* const pages[] = {
        "<a href=a.css><a href=\"a.css#x\"><a href='a.css#y'>a.css<b title=\"x a.css\">",
        "<A HREF=\"p/q.html\"><a href=\"xp/q.html\"><a href=\"p/q.htmlx\"><a href=p/q.html>",
        "<a href=\"http://h/q?a=&#39;1&#39;#s\"><a href=\"http://h/q?a=&#39;1&#39;\">",
        "<style>x{background:url(a.css)} a.css</style> a.css <i style=\"u:url('p/q.html')\">",
        "<!-- <a href=a.css> --><script>'<a href=a.css>'</script><script src=a.css></script><a href=a.css",
        "<a href=\"bad\"x\"><a href=a.css\ta.css=a.css>a.css",
    };
    for (const char* page : pages)
        for (TReferenceContainer container : {TReferenceContainer::rcHtml, TReferenceContainer::rcCss}) {
            std::string byEach = page, byScan = page;
            const int madeByEach = ReplaceReferences(byEach, container, few);
            EXPECT_EQ(ReplaceReferences(byScan, container, many), madeByEach) << page;
            EXPECT_EQ(byEach, byScan) << page;
        }
}

// A repaired copy is replaced whole and keeps its date (the server's, as
// the page was stored); one with nothing to change is left as it is.
TEST(RewriteStoredReferences, TheRepairedCopyKeepsItsDate) {
    test::TTempDir dir("vorlin-repair");
    const std::string page = dir.Path + "page.html";
    std::ofstream(page) << "<img src=gone.gif><a href=kept.html>";
    const int64_t serverDate = 946684800;  // 2000-01-01
    ASSERT_TRUE(SetFileModificationTime(page, serverDate));

    EXPECT_EQ(RewriteStoredReferences(page, TReferenceContainer::rcHtml, {{"gone.gif", "http://h/gone.gif"}}), 1);
    EXPECT_EQ(test::FileText(page), "<img src=http://h/gone.gif><a href=kept.html>");
    EXPECT_EQ(FileModificationTime(page), serverDate);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path), {}), 1);  // no temporary left

    EXPECT_EQ(RewriteStoredReferences(page, TReferenceContainer::rcHtml, {{"absent.gif", "x"}}), 0);
    EXPECT_EQ(FileModificationTime(page), serverDate);
}

} // namespace
