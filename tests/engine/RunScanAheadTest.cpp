// Pages large enough to be scanned beside the run: they are stored and
// rewritten, and their links found, as a page parsed while it arrives is;
// a large page that breaks off is not scanned but fetched again.
#include "engine/ResponseHandler.h"
#include "project/DownloadLink.h"
#include "tests/engine/RunHarness.h"
#include "tests/engine/SiteServer.h"

#include <gtest/gtest.h>

namespace vorlin::test {
namespace {

// A page well above the size from which pages are scanned: text and tags
// around its links, a comment and an inline script among them.
std::string LargePage(int number, int pages) {
    std::string html = "<html><head><title>page " + std::to_string(number) + "</title>"
                       "<script>var on = new Image(); on.src = '/img/on" + std::to_string(number) +
                       ".gif'; if (a<b) x='<a href=\"/not-a-link.html\">';</script></head><body>\n";
    while (html.size() < 3 * TResponseHandler::kScanFrom)
        html += "<p class=text>Some text <b>to</b> fill the page &amp; more.</p>\n"
                "<!-- <a href=\"/in-a-comment.html\"> -->\n";
    for (int other = 1; other <= pages; ++other)
        html += "<a href=\"/p" + std::to_string(other) + ".html\">page " + std::to_string(other) + "</a>\n";
    html += "<img src=\"/img/i" + std::to_string(number) + ".gif\"></body></html>\n";
    return html;
}

class RunScanAheadTest : public TSiteRunTest {};

TEST_F(RunScanAheadTest, LargePagesAreRewrittenAndTheirLinksFound) {
    const int pages = 6;
    Home(LargePage(0, pages));
    for (int number = 1; number <= pages; ++number) {
        site.Route("/p" + std::to_string(number) + ".html", TSiteServer::Page(LargePage(number, pages)));
        for (const std::string& image : {"/img/i" + std::to_string(number) + ".gif",
                                         "/img/on" + std::to_string(number) + ".gif"})
            site.Route(image, TSiteServer::File("GIF", "image/gif"));
    }
    site.Route("/img/i0.gif", TSiteServer::File("GIF", "image/gif"));
    site.Route("/img/on0.gif", TSiteServer::File("GIF", "image/gif"));
    run.Project.ScopeMode = smStayOnServer;
    run.Clients = 4;
    ASSERT_TRUE(run.RunToEnd());

    EXPECT_EQ(run.Window.LastStats.Downloaded, 1 + pages * 3 + 2);
    EXPECT_TRUE(site.RequestsOf("/not-a-link.html").empty());
    EXPECT_TRUE(site.RequestsOf("/in-a-comment.html").empty());
    for (int number = 1; number <= pages; ++number) {
        const std::string name = "p" + std::to_string(number) + ".html";
        SCOPED_TRACE(name);
        EXPECT_EQ(site.RequestsOf("/" + name).size(), 1u);
        const std::string stored = run.FileText("127.0.0.1/" + name);
        const std::string served = LargePage(number, pages);
        // Every reference points at the copy; the rest is as it came.
        EXPECT_NE(stored.find("<a href=\"p1.html\">page 1</a>"), std::string::npos);
        EXPECT_NE(stored.find("<img src=\"img/i" + std::to_string(number) + ".gif\">"), std::string::npos);
        EXPECT_EQ(stored.find("href=\"/p"), std::string::npos);
        EXPECT_EQ(stored.substr(stored.size() - 15), served.substr(served.size() - 15));
        EXPECT_EQ(stored.size(), served.size() - pages - 1);
    }
}

// A large page whose body breaks off is fetched again, and the copy is the
// whole page as the second answer brought it.
TEST_F(RunScanAheadTest, ALargePageThatBreaksOffIsFetchedAgainAndStoredWhole) {
    const std::string whole = LargePage(1, 1);
    Home("<a href=\"/p1.html\">1</a>");
    site.Route("/p1.html", [whole](const TSiteRequest&, int nth) {
        if (nth == 0)
            return TScript()
                .Send(TSiteServer::Answer(200, "OK",
                                          {"Content-Type: text/html",
                                           "Content-Length: " + std::to_string(whole.size())},
                                          whole.substr(0, whole.size() / 2), false))
                .Close();
        return TSiteServer::Page(whole);
    });
    site.Route("/img/i1.gif", TSiteServer::File("GIF", "image/gif"));
    site.Route("/img/on1.gif", TSiteServer::File("GIF", "image/gif"));
    run.Project.ScopeMode = smStayOnServer;
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.RequestsOf("/p1.html").size(), 2u);
    const std::string stored = run.FileText("127.0.0.1/p1.html");
    EXPECT_NE(stored.find("<img src=\"img/i1.gif\"></body></html>"), std::string::npos);
    EXPECT_EQ(site.RequestsOf("/img/i1.gif").size(), 1u);
}

// A page that never arrives whole (the server falls silent half-way, every
// time) is given up; the links of the part that came are found all the
// same, as they were while it arrived.
TEST_F(RunScanAheadTest, TheLinksOfAPageThatNeverArrivesWholeAreFound) {
    const std::string whole = LargePage(1, 1) + "<a href=\"/after.html\">after</a>";
    Home("<a href=\"/p1.html\">1</a>");
    site.Route("/p1.html", TScript()
                               .Send(TSiteServer::Answer(200, "OK",
                                                         {"Content-Type: text/html",
                                                          "Content-Length: " + std::to_string(whole.size())},
                                                         whole.substr(0, whole.size() - 20), false))
                               .Silence());
    site.Route("/img/on1.gif", TSiteServer::File("GIF", "image/gif"));
    site.Route("/img/i1.gif", TSiteServer::File("GIF", "image/gif"));
    run.Project.ScopeMode = smStayOnServer;
    run.TimeOutMs = 250;
    run.Tries = 1;
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.RequestsOf("/p1.html").size(), 2u);
    // Named in the part that came: the script's image and the page's own.
    EXPECT_EQ(site.RequestsOf("/img/on1.gif").size(), 1u);
    EXPECT_EQ(site.RequestsOf("/img/i1.gif").size(), 1u);
    EXPECT_TRUE(site.RequestsOf("/after.html").empty());
}

} // namespace
} // namespace vorlin::test
