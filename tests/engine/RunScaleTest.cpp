// Pages that are large in the ways a hostile or careless site makes them:
// many links, one endless tag, binary data sent as HTML. Each run ends, and
// the engine holds no more than the page itself.
#include "tests/engine/RunHarness.h"
#include "tests/engine/SiteServer.h"

#include <gtest/gtest.h>

namespace vorlin::test {
namespace {

class RunScaleTest : public TSiteRunTest {};

TEST_F(RunScaleTest, PageOfAHundredThousandLinks) {
    std::string page = "<html>";
    const int links = 100000;
    // Images on another server: each is examined and refused unasked.
    for (int i = 0; i < links; ++i) page += "<img src=\"http://other.invalid/i" + std::to_string(i) + ".gif\">";
    Home(page + "</html>");
    run.Clients = 4;
    ASSERT_TRUE(run.RunToEnd(120000));
    EXPECT_EQ(run.Window.LastStats.All, links + 1);
    EXPECT_EQ(run.Window.LastStats.FilteredOut, links);
    EXPECT_EQ(site.Requests().size(), 2u);
}

TEST_F(RunScaleTest, EndlessTagEnds) {
    std::string page = "<html><p>before</p><a href=\"/x.html\" " + std::string(10 << 20, 'a');
    Home(page);
    ASSERT_TRUE(run.RunToEnd(120000));
    EXPECT_EQ(run.Window.LastStats.Downloaded, 1);
    EXPECT_EQ(run.FileText("127.0.0.1/index.html").substr(0, 19), "<html><p>before</p>");
}

TEST_F(RunScaleTest, BinaryDataServedAsHtml) {
    std::string junk;
    uint32_t x = 12345;
    for (int i = 0; i < (1 << 20); ++i) {
        x = x * 1103515245u + 12345u;
        junk += static_cast<char>(x >> 24);
    }
    Home(junk);
    site.SetDefault([](const TSiteRequest&, int) { return TSiteServer::File("x", "text/plain"); });
    ASSERT_TRUE(run.RunToEnd(120000));
    EXPECT_EQ(run.Window.LastStats.Remaining, 0);
}

} // namespace
} // namespace vorlin::test
