// Which links a run fetches, in which order and on which connection, and
// what becomes of links that are not plain successes: failed statuses,
// redirects, other schemes.
#include "engine/RunTexts.h"
#include "project/DownloadLinks.h"
#include "tests/engine/RunHarness.h"
#include "tests/engine/SiteServer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vorlin::test {
namespace {

class RunCrawlTest : public TSiteRunTest {};

TEST_F(RunCrawlTest, PageImagesComeBeforeThePagesFoundLater) {
    Home("<a href=\"/b.html\">b</a><img src=\"/i1.gif\"><a href=\"/c.html\">c</a>");
    site.Route("/b.html", TSiteServer::Page("<img src=\"/i2.gif\"><a href=\"/d.html\">d</a>"));
    site.Route("/c.html", TSiteServer::Page("<img src=\"/i3.gif\">"));
    site.Route("/d.html", TSiteServer::Page("<a href=\"/\">home</a>"));
    for (const char* image : {"/i1.gif", "/i2.gif", "/i3.gif"}) site.Route(image, TSiteServer::File("GIF", "image/gif"));
    run.Project.ScopeMode = smStayOnServer;
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.Gets(), (std::vector<std::string>{"/", "/i1.gif", "/b.html", "/i2.gif", "/c.html", "/i3.gif",
                                                    "/d.html"}));
    EXPECT_EQ(run.Window.LastStats.Downloaded, 7);
    EXPECT_EQ(run.Window.LastStats.Remaining, 0);
}

TEST_F(RunCrawlTest, IdleClientsWaitUntilANewPageBringsLinks) {
    Home("<a href=\"/p2.html\">2</a><img src=\"/i.gif\">");
    site.Route("/i.gif", TSiteServer::File("GIF", "image/gif"));
    // Late, so that every other client has gone idle and the queue stopped.
    site.Route("/p2.html", TScript()
                               .Pause(300)
                               .Send(TSiteServer::Answer(200, "OK", {"Content-Type: text/html"},
                                                         "<a href=\"/p3.html\">3</a>"))
                               .Close());
    site.Route("/p3.html", TSiteServer::Page("end"));
    run.Clients = 5;
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.Window.LastStats.Downloaded, 4);
    auto& urls = run.Window.ClientURLs;
    // Clients 1-3 took the first three links; client 4, first in the queue
    // of idle clients, was woken for the new page; client 5 never worked.
    ASSERT_EQ(urls[3].size(), 1u);
    EXPECT_EQ(urls[3][0], site.Url("/p3.html"));
    EXPECT_TRUE(urls[4].empty());
}

TEST_F(RunCrawlTest, MailLinkWithoutPluginIsFilteredOutUnasked) {
    Home("<a href=\"mailto:someone@example.org\">mail</a>");
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.Gets(), std::vector<std::string>{"/"});
    EXPECT_EQ(run.Window.LastStats.FilteredOut, 1);
    auto saved = run.SavedLinks();
    TDownloadLink* mail = TRunHarness::LinkOf(*saved, "mailto:someone@example.org");
    ASSERT_NE(mail, nullptr);
    EXPECT_EQ(mail->State, lsFilteredOut);
}

TEST_F(RunCrawlTest, MissingImageNamesItsPage) {
    Home("<img src=\"/missing.gif\">");
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_TRUE(run.Window.ErrorLogged("404 Not Found " + site.Url("/missing.gif") + " Link war auf " + site.Url("/")));
    EXPECT_EQ(run.Window.LastStats.Downloaded, 1);
    EXPECT_EQ(run.Window.LastStats.FilteredOut, 1);
}

TEST_F(RunCrawlTest, RedirectedPageGetsTheTargetsFileAfterTheRun) {
    Home("<a href=\"/old.html\">old</a>");
    site.Route("/old.html", TSiteServer::Status(301, "Moved", {"Location: /new.html"}));
    site.Route("/new.html", TSiteServer::Page("NEW"));
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.RequestsOf("/new.html").size(), 1u);
    EXPECT_EQ(run.FileText("127.0.0.1/new.html"), "NEW");
    EXPECT_EQ(run.FileText("127.0.0.1/old.html"), "NEW");
    auto saved = run.SavedLinks();
    EXPECT_EQ(TRunHarness::LinkOf(*saved, site.Url("/old.html"))->State, lsFilteredOut);
    EXPECT_EQ(TRunHarness::LinkOf(*saved, site.Url("/new.html"))->State, lsDownloaded);
}

TEST_F(RunCrawlTest, DirectoryRedirectToItsSlashIsNoCopy) {
    Home("<a href=\"/dir\">dir</a>");
    site.Route("/dir", TSiteServer::Status(301, "Moved", {"Location: " + site.Url("/dir/")}));
    site.Route("/dir/", TSiteServer::Page("DIR"));
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.FileText("127.0.0.1/dir/index.html"), "DIR");
    EXPECT_TRUE(run.Window.Errors.empty());
    auto saved = run.SavedLinks();
    EXPECT_EQ(TRunHarness::LinkOf(*saved, site.Url("/dir"))->State, lsFilteredOut);
    // The completed name is what the link data keeps.
    EXPECT_EQ(TRunHarness::LinkOf(*saved, site.Url("/dir/"))->LocalFileName, "dir\\index.html");
}

TEST_F(RunCrawlTest, RedirectLoopEnds) {
    Home("<a href=\"/a\">a</a>");
    site.Route("/a", TSiteServer::Status(302, "Found", {"Location: /b"}));
    site.Route("/b", TSiteServer::Status(302, "Found", {"Location: /a"}));
    site.Route("/self", TSiteServer::Status(302, "Found", {"Location: /self"}));
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.RequestsOf("/a").size(), 1u);
    EXPECT_EQ(site.RequestsOf("/b").size(), 1u);
    EXPECT_EQ(run.Window.LastStats.FilteredOut, 2);
}

TEST_F(RunCrawlTest, UnusableStatusesEndTheLinkInsteadOfHangingTheRun) {
    Home("<a href=\"/multi\">m</a><a href=\"/odd\">o</a>");
    site.Route("/multi", TSiteServer::Status(300, "Multiple Choices"));
    site.Route("/odd", TScript().Send(TSiteServer::Answer(799, "Odd", {}, "x")).Close());
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.Window.LastStats.FilteredOut, 2);
    EXPECT_EQ(run.Window.LastStats.Remaining, 0);
}

} // namespace
} // namespace vorlin::test
