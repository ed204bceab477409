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

std::vector<std::string> Gets(TSiteServer& site) {
    std::vector<std::string> paths;
    for (const TSiteRequest& r : site.Requests())
        if (r.Method == "GET") paths.push_back(r.Path);
    return paths;
}

TEST(RunCrawl, PageImagesComeBeforeThePagesFoundLater) {
    TSiteServer site;
    site.Route("/", TSiteServer::Page("<a href=\"/b.html\">b</a><img src=\"/i1.gif\"><a href=\"/c.html\">c</a>"));
    site.Route("/b.html", TSiteServer::Page("<img src=\"/i2.gif\"><a href=\"/d.html\">d</a>"));
    site.Route("/c.html", TSiteServer::Page("<img src=\"/i3.gif\">"));
    site.Route("/d.html", TSiteServer::Page("<a href=\"/\">home</a>"));
    for (const char* image : {"/i1.gif", "/i2.gif", "/i3.gif"}) site.Route(image, TSiteServer::File("GIF", "image/gif"));
    TRunHarness run;
    run.Project.URL = site.Url("/");
    run.Project.ScopeMode = smStayOnServer;
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(Gets(site), (std::vector<std::string>{"/", "/i1.gif", "/b.html", "/i2.gif", "/c.html", "/i3.gif",
                                                    "/d.html"}));
    EXPECT_EQ(run.Window.LastStats.Downloaded, 7);
    EXPECT_EQ(run.Window.LastStats.Remaining, 0);
}

TEST(RunCrawl, IdleClientsWaitUntilANewPageBringsLinks) {
    TSiteServer site;
    site.Route("/", TSiteServer::Page("<a href=\"/p2.html\">2</a><img src=\"/i.gif\">"));
    site.Route("/i.gif", TSiteServer::File("GIF", "image/gif"));
    // Late, so that every other client has gone idle and the queue stopped.
    site.Route("/p2.html", TScript()
                               .Pause(300)
                               .Send(TSiteServer::Answer(200, "OK", {"Content-Type: text/html"},
                                                         "<a href=\"/p3.html\">3</a>"))
                               .Close());
    site.Route("/p3.html", TSiteServer::Page("end"));
    TRunHarness run;
    run.Clients = 5;
    run.Project.URL = site.Url("/");
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.Window.LastStats.Downloaded, 4);
    auto& urls = run.Window.ClientURLs;
    // Clients 1-3 took the first three links; client 4, first in the queue
    // of idle clients, was woken for the new page; client 5 never worked.
    ASSERT_EQ(urls[3].size(), 1u);
    EXPECT_EQ(urls[3][0], site.Url("/p3.html"));
    EXPECT_TRUE(urls[4].empty());
}

TEST(RunCrawl, MailLinkWithoutPluginIsFilteredOutUnasked) {
    TSiteServer site;
    site.Route("/", TSiteServer::Page("<a href=\"mailto:someone@example.org\">mail</a>"));
    TRunHarness run;
    run.Project.URL = site.Url("/");
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(Gets(site), std::vector<std::string>{"/"});
    EXPECT_EQ(run.Window.LastStats.FilteredOut, 1);
    auto saved = run.SavedLinks();
    TDownloadLink* mail = TRunHarness::LinkOf(*saved, "mailto:someone@example.org");
    ASSERT_NE(mail, nullptr);
    EXPECT_EQ(mail->State, lsFilteredOut);
}

TEST(RunCrawl, MissingImageNamesItsPage) {
    TSiteServer site;
    site.Route("/", TSiteServer::Page("<img src=\"/missing.gif\">"));
    TRunHarness run;
    run.Project.URL = site.Url("/");
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_TRUE(run.Window.ErrorLogged("404 Not Found " + site.Url("/missing.gif") + " Link war auf " + site.Url("/")));
    EXPECT_EQ(run.Window.LastStats.Downloaded, 1);
    EXPECT_EQ(run.Window.LastStats.FilteredOut, 1);
}

TEST(RunCrawl, RedirectedPageGetsTheTargetsFileAfterTheRun) {
    TSiteServer site;
    site.Route("/", TSiteServer::Page("<a href=\"/old.html\">old</a>"));
    site.Route("/old.html", TSiteServer::Status(301, "Moved", {"Location: /new.html"}));
    site.Route("/new.html", TSiteServer::Page("NEW"));
    TRunHarness run;
    run.Project.URL = site.Url("/");
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.RequestsOf("/new.html").size(), 1u);
    EXPECT_EQ(run.FileText("127.0.0.1/new.html"), "NEW");
    EXPECT_EQ(run.FileText("127.0.0.1/old.html"), "NEW");
    auto saved = run.SavedLinks();
    EXPECT_EQ(TRunHarness::LinkOf(*saved, site.Url("/old.html"))->State, lsFilteredOut);
    EXPECT_EQ(TRunHarness::LinkOf(*saved, site.Url("/new.html"))->State, lsDownloaded);
}

TEST(RunCrawl, DirectoryRedirectToItsSlashIsNoCopy) {
    TSiteServer site;
    site.Route("/", TSiteServer::Page("<a href=\"/dir\">dir</a>"));
    site.Route("/dir", TSiteServer::Status(301, "Moved", {"Location: " + site.Url("/dir/")}));
    site.Route("/dir/", TSiteServer::Page("DIR"));
    TRunHarness run;
    run.Project.URL = site.Url("/");
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.FileText("127.0.0.1/dir/index.html"), "DIR");
    EXPECT_TRUE(run.Window.Errors.empty());
    auto saved = run.SavedLinks();
    EXPECT_EQ(TRunHarness::LinkOf(*saved, site.Url("/dir"))->State, lsFilteredOut);
    // The completed name is what the link data keeps.
    EXPECT_EQ(TRunHarness::LinkOf(*saved, site.Url("/dir/"))->LocalFileName, "dir\\index.html");
}

TEST(RunCrawl, RedirectLoopEnds) {
    TSiteServer site;
    site.Route("/", TSiteServer::Page("<a href=\"/a\">a</a>"));
    site.Route("/a", TSiteServer::Status(302, "Found", {"Location: /b"}));
    site.Route("/b", TSiteServer::Status(302, "Found", {"Location: /a"}));
    site.Route("/self", TSiteServer::Status(302, "Found", {"Location: /self"}));
    TRunHarness run;
    run.Project.URL = site.Url("/");
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.RequestsOf("/a").size(), 1u);
    EXPECT_EQ(site.RequestsOf("/b").size(), 1u);
    EXPECT_EQ(run.Window.LastStats.FilteredOut, 2);
}

TEST(RunCrawl, UnusableStatusesEndTheLinkInsteadOfHangingTheRun) {
    TSiteServer site;
    site.Route("/", TSiteServer::Page("<a href=\"/multi\">m</a><a href=\"/odd\">o</a>"));
    site.Route("/multi", TSiteServer::Status(300, "Multiple Choices"));
    site.Route("/odd", TScript().Send(TSiteServer::Answer(799, "Odd", {}, "x")).Close());
    TRunHarness run;
    run.Project.URL = site.Url("/");
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.Window.LastStats.FilteredOut, 2);
    EXPECT_EQ(run.Window.LastStats.Remaining, 0);
}

} // namespace
} // namespace vorlin::test
