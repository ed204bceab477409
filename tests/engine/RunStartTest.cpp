// The start of a run: what stops it before it begins (each still ending
// with WM_RUN_FINISHED), the start URL as typed, and the start address test.
#include "engine/RunTexts.h"
#include "platform/FileSystem.h"
#include "project/DownloadLinks.h"
#include "tests/engine/RunHarness.h"
#include "tests/engine/SiteServer.h"

#include <gtest/gtest.h>

namespace vorlin::test {
namespace {

bool Finished(const TRecordingWindow& window) { return window.Finished && window.FinishedCount == 1; }

class RunStartTest : public TSiteRunTest {};

TEST_F(RunStartTest, WithoutURLEndsAtOnceAndSaysSo) {
    run.Project.URL.clear();
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_TRUE(Finished(run.Window));
    EXPECT_TRUE(run.Window.ErrorLogged(RunText(614)));
    // No client was ever made: no client row was touched.
    EXPECT_TRUE(run.Window.ClientURLs.empty());
    EXPECT_EQ(run.Window.States.back(), TRunState::ssIdle);
}

TEST_F(RunStartTest, WithoutTargetDirectoryEndsAtOnce) {
    run.Project.URL = site.Url("/");
    run.Project.Destination.clear();
    run.Settings.DefaultDownloadDir.clear();
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_TRUE(Finished(run.Window));
    EXPECT_TRUE(run.Window.ErrorLogged(RunText(613)));
    EXPECT_TRUE(site.Requests().empty());
}

TEST_F(RunStartTest, CancelDuringTheStartAddressTestAborts) {
    site.Route("/", TScript().Silence());
    run.Project.URL = site.Url("/");
    run.TimeOutMs = 10000;
    run.Window.OnLog = [&](const std::string& line) {
        if (line == RunText(608)) run.Post(WM_QUIT);
    };
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_TRUE(Finished(run.Window));
    EXPECT_TRUE(run.Window.ErrorLogged(RunText(615)));
    // Nothing was saved, and the project holds no link of the failed run.
    EXPECT_FALSE(FileExists(run.DataFile()));
    EXPECT_EQ(run.Project.Links->Count(), 0);
}

TEST_F(RunStartTest, OtherSchemesAreRefusedWithAReason) {
    run.Project.URL = "ftp://example.invalid/";
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_TRUE(Finished(run.Window));
    EXPECT_TRUE(run.Window.ErrorLogged("Only http:// and https:// addresses can be downloaded: ftp://example.invalid/"));
}

TEST_F(RunStartTest, BareHostGetsSchemeAndSlash) {
    site.Route("/", TSiteServer::Page("<html>home</html>"));
    run.Project.URL = "127.0.0.1:" + std::to_string(site.Port());
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.Project.StartURL, site.Url("/"));
    // The HEAD test, then the page itself.
    auto asked = site.RequestsOf("/");
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].Method, "HEAD");
    EXPECT_EQ(asked[1].Method, "GET");
    EXPECT_EQ(run.FileText("127.0.0.1/index.html"), "<html>home</html>");
    EXPECT_TRUE(run.Window.Logged("wurde heruntergeladen"));
}

TEST_F(RunStartTest, RedirectedStartAddressBecomesTheFirstLink) {
    site.Route("/", TSiteServer::Status(302, "Found", {"Location: /start/page.html"}));
    site.Route("/start/page.html", TSiteServer::Page("<p>start</p>"));
    run.Project.URL = site.Url("/");
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.Project.StartURL, site.Url("/start/page.html"));
    EXPECT_EQ(run.Project.StartServer, site.Url("/"));
    EXPECT_EQ(run.Project.StartDocument, "start/page.html");
    EXPECT_EQ(run.FileText("127.0.0.1/start/page.html"), "<p>start</p>");
    EXPECT_EQ(site.RequestsOf("/").size(), 1u);  // only the HEAD
}

TEST_F(RunStartTest, SilentStartAddressIsGivenUpInBoundedTime) {
    site.Route("/", TScript().Silence());
    run.Project.URL = site.Url("/");
    run.TimeOutMs = 200;
    run.Tries = 1;
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_TRUE(Finished(run.Window));
    // The HEAD, then the GET and its one retry, all timed out.
    EXPECT_EQ(site.RequestsOf("/").size(), 3u);
    EXPECT_EQ(run.Window.LastStats.FilteredOut, 1);
}

TEST_F(RunStartTest, WorksWithoutItsTexts) {
    // A language library that lacks the run's strings: every text is empty.
    SetRunTexts({});
    Home("<img src=\"/a.gif\">");
    site.Route("/a.gif", TSiteServer::File("A", "image/gif"));
    bool finished = run.RunToEnd();
    ResetRunTexts();
    ASSERT_TRUE(finished);
    EXPECT_EQ(run.Window.LastStats.Downloaded, 2);
    EXPECT_EQ(run.FileText("127.0.0.1/a.gif"), "A");
}

} // namespace
} // namespace vorlin::test
