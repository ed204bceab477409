// The link data a run of the fixture site leaves, read back through
// `vorlin show-links --json` as a script would.
#include "tests/e2e/support/FixtureSite.h"
#include "tests/e2e/support/Program.h"
#include "tests/e2e/support/SiteRun.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

namespace vorlin::test {
namespace {

class ShowLinksRunTest : public TFixtureSiteRun {};

TEST_F(ShowLinksRunTest, StatesOfTheSiteLinks) {
    ASSERT_TRUE(run.RunToEnd(60000));
    TProgramResult shown = RunProgram(VORLIN_BINARY, {"show-links", "--json", run.DataFile()});
    ASSERT_EQ(shown.Status, 0) << shown.Err;
    const std::vector<TShownLink> all = ParseShownLinks(shown.Out);
    ASSERT_NE(shown.Out.find("\"count\": " + std::to_string(all.size()) + ","), std::string::npos);
    std::map<std::string, TShownLink> links;
    for (const TShownLink& link : all) {
        // An address without any "/" (the mail link) is kept outside the URL
        // tree, so each page that names it adds it again.
        EXPECT_TRUE(links.emplace(link.Url, link).second || link.Url.find('/') == std::string::npos)
            << "listed twice: " << link.Url;
    }

    auto state = [&](const std::string& url) { return links.count(url) ? links[url].State : "absent: " + url; };
    // Every file stored is a downloaded link of its own.
    for (const std::string& file : FixtureExpectedFiles()) {
        if (file == "old.html" || file.rfind("private/", 0) == 0) continue;
        std::string path = file == "index.html" ? "" : file == "gallery/index.html" ? "gallery/"
                           : file == "docs/index.html" ? "docs/" : file == "listing/index.html" ? "listing/" : file;
        EXPECT_EQ(state(URL(path)), "downloaded") << file;
    }
    EXPECT_EQ(state(URL("old.html")), "filtered-out");  // moved: its target was fetched
    EXPECT_EQ(state(URL("docs")), "filtered-out");
    EXPECT_EQ(state(URL("img/missing.gif")), "filtered-out");
    EXPECT_EQ(state(URL("private/secret.html")), "filtered-out");  // no credentials given
    EXPECT_EQ(state("http://127.0.0.1:1/elsewhere.html"), "filtered-out");
    EXPECT_EQ(state("mailto:someone@example.invalid"), "filtered-out");
    EXPECT_EQ(links["mailto:someone@example.invalid"].Kind, "mailto");
    // What a link was found as, and where it is stored.
    EXPECT_EQ(links[URL("img/bg.gif")].Type, "background");
    EXPECT_EQ(links[URL("img/roll.gif")].Type, "script-link");
    EXPECT_EQ(links[URL("js/app.js")].Type, "script-file");
    EXPECT_EQ(links[URL("about.html")].Type, "page");
    EXPECT_EQ(links[URL("files/big.bin")].Size, kFixtureBigFileSize);
    EXPECT_EQ(links[URL("files/big.bin")].LocalDir, "127.0.0.1+" + std::to_string(Server->Port()) + "\\");
    EXPECT_EQ(links[URL("files/big.bin")].LocalFileName, "files\\big.bin");
    EXPECT_EQ(links[URL("gallery/")].LocalFileName, "gallery\\index.html");
    for (const auto& [url, link] : links) EXPECT_NE(link.State, "pending") << url;
}

TEST_F(ShowLinksRunTest, DamagedDataFileIsReportedWithTheLinksBeforeTheDamage) {
    ASSERT_TRUE(run.RunToEnd(60000));
    std::string data = ReadWholeFile(run.DataFile());
    ASSERT_GT(data.size(), 100u);
    {
        std::ofstream cut(run.DataFile(), std::ios::binary | std::ios::trunc);
        cut << data.substr(0, data.size() / 2);
    }
    TProgramResult shown = RunProgram(VORLIN_BINARY, {"show-links", "--json", run.DataFile()});
    EXPECT_EQ(shown.Status, 1);
    EXPECT_NE(shown.Out.find("\"error\": "), std::string::npos) << shown.Out;
    EXPECT_NE(shown.Err.find(run.DataFile()), std::string::npos) << shown.Err;
}

} // namespace
} // namespace vorlin::test
