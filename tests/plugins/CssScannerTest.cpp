// The style-sheet plugin's scanner and local-link rules, compiled in from the
// plugin's own sources.
#include "CssLocalLink.h"
#include "CssScanner.h"

#include <gtest/gtest.h>

using namespace css_plugin;

namespace {

std::vector<std::string> Urls(std::string_view css) {
    std::vector<std::string> urls;
    for (auto& r : ScanCss(css)) urls.push_back(r.Url);
    return urls;
}

TEST(CssScanner, FindsUrlsAndImportsWithTheirPlaces) {
    std::string css = "@import \"a.css\";\n@import url(b.css) screen;\n"
                      "body { background: #fff url( 'bg.png' ) no-repeat; color: red }\n"
                      "@font-face { src: url(f.woff2) format(\"woff2\"), URL(f.woff); }";
    auto refs = ScanCss(css);
    ASSERT_EQ(refs.size(), 5u);
    EXPECT_EQ(refs[0].Url, "a.css");
    EXPECT_TRUE(refs[0].Import);
    EXPECT_TRUE(refs[1].Import);
    EXPECT_EQ(refs[2].Url, "bg.png");
    EXPECT_TRUE(refs[2].Background);
    EXPECT_TRUE(refs[2].Quoted);
    EXPECT_FALSE(refs[3].Background);
    EXPECT_EQ(refs[4].Url, "f.woff");
    for (auto& r : refs) {
        std::string value = css.substr(r.ValueStart, r.ValueLength);
        EXPECT_EQ(value, r.Url);  // the span is exactly the reference text
    }
}

TEST(CssScanner, SkipsCommentsStringsAndLookalikes) {
    EXPECT_EQ(Urls("/* url(hidden.png) */ a{content:'url(no.png)'} b{x:myurl(n.png)} c{y:url(yes.png)}"),
              std::vector<std::string>{"yes.png"});
    EXPECT_EQ(Urls("a{background:url(\"in \\\"quotes\\\".png\")}"), std::vector<std::string>{"in \"quotes\".png"});
    EXPECT_EQ(Urls("a{b:url(sp\\ ace.png)} c{d:url(\\41 .png)}"), (std::vector<std::string>{"sp ace.png", "A.png"}));
}

TEST(CssScanner, MalformedTextEndsQuietly) {
    EXPECT_TRUE(Urls("a{b:url(").empty());
    EXPECT_TRUE(Urls("a{b:url(\"open").empty());
    EXPECT_TRUE(Urls("a{b:url(two words)}").empty());
    EXPECT_TRUE(Urls("@import").empty());
    EXPECT_TRUE(Urls("/* never closed url(x)").empty());
    EXPECT_TRUE(Urls("a{b:url(x\\").empty());
    EXPECT_EQ(Urls("@import 'ok.css'"), std::vector<std::string>{"ok.css"});
}

TEST(CssScanner, SelfContainedReferencesNameNoFile) {
    EXPECT_TRUE(IsSelfContained(""));
    EXPECT_TRUE(IsSelfContained("#filter"));
    EXPECT_TRUE(IsSelfContained("DATA:image/png;base64,AAAA"));
    EXPECT_FALSE(IsSelfContained("img/data.png"));
}

TEST(CssLocalLink, RelativeReferencesBetweenStoredFiles) {
    EXPECT_EQ(LocalRelativeReference("h\\css\\site.css", "h\\css\\img\\a.png"), "img/a.png");
    EXPECT_EQ(LocalRelativeReference("h\\css\\site.css", "h\\fonts\\f.woff2"), "../fonts/f.woff2");
    EXPECT_EQ(LocalRelativeReference("h\\a\\b\\x.css", "other\\y.png"), "../../../other/y.png");
    EXPECT_EQ(LocalRelativeReference("h\\CSS\\site.css", "h\\css\\a.png"), "a.png");  // case is not compared
    EXPECT_EQ(EscapeForCssUrl("a b(1)%#?.png"), "a%20b%281%29%25%23%3F.png");
    // The characters the program keeps in page links, and no others.
    EXPECT_EQ(EscapeForCssUrl("x,v=1&y=2:'caf\xC3\xA9'~!$*+;@.css"), "x,v=1%26y=2%3A%27caf%C3%A9%27~!$*+;@.css");
    // A directory is stored as its index page.
    EXPECT_EQ(LocalRelativeReference("h\\css\\site.css", "h\\docs\\"), "../docs/index.html");
    // Dot pieces are the directories they are stored as, not steps up.
    EXPECT_EQ(LocalRelativeReference("h\\css\\site.css", "h\\css\\..\\..\\..\\x.png"), "%2E%2E/%2E%2E/%2E%2E/x.png");
    EXPECT_EQ(LocalRelativeReference("h\\css\\..\\s.css", "h\\css\\a.png"), "../a.png");
}

} // namespace

namespace {

TEST(CssScanner, StyleAttributeOfATag) {
    EXPECT_EQ(StyleAttributeValue("div style = 'background:url(x)'"), "background:url(x)");
    EXPECT_EQ(StyleAttributeValue("div data-style=\"no\" STYLE=color:red id=a"), "color:red");
    EXPECT_EQ(StyleAttributeValue("div class=style"), "");
    EXPECT_EQ(StyleAttributeValue("div style=\"open"), "open");
    EXPECT_EQ(StyleAttributeValue("div style="), "");
}

} // namespace
