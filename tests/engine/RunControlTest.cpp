// What the main window does to a run in progress: pause and resume, fewer
// and more connections, cancel or retry one URL, open a file once it is there.
#include "engine/RunTexts.h"
#include "platform/Shell.h"
#include "project/DownloadLink.h"
#include "tests/engine/RunHarness.h"
#include "tests/engine/SiteServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

namespace vorlin::test {
namespace {

const std::string kBody(100, 'z');

// The first request of a file stalls after half its body (until the client
// goes away); every later one gets the whole file.
TScript StallFirst(const TSiteRequest&, int nth) {
    if (nth > 0) return TSiteServer::File(kBody, "application/octet-stream");
    return TScript()
        .Send(TSiteServer::Answer(200, "OK", {"Content-Type: application/octet-stream", "Content-Length: 100"},
                                  kBody.substr(0, 50), false))
        .Silence();
}

class RunControlTest : public TSiteRunTest {
protected:
    // A start page linking count files f1.bin ... that stall at first.
    void Site(int count) {
        std::string page;
        for (int i = 1; i <= count; ++i) {
            std::string path = "/f" + std::to_string(i) + ".bin";
            files.push_back(path);
            page += "<a href=\"" + path + "\">f</a>";
            site.Route(path, StallFirst);
        }
        Home(page);
    }
    // Starts the run on that many stalling files with that many clients,
    // and waits until every file has been asked for once.
    bool StartStalled(int count, int clients, int timeOutMs) {
        Site(count);
        run.Clients = clients;
        run.TimeOutMs = timeOutMs;
        run.Start();
        return run.PumpUntil([&] { return Asked() == count; });
    }
    int Asked() {
        int count = 0;
        for (const std::string& path : files) count += static_cast<int>(site.RequestsOf(path).size());
        return count;
    }
    int Closed() {
        int count = 0;
        for (const std::string& path : files) count += site.ClosedByClient(path);
        return count;
    }
    void ExpectAllStored() {
        for (const std::string& path : files) EXPECT_EQ(run.FileText("127.0.0.1" + path), kBody) << path;
        EXPECT_EQ(run.Window.LastStats.Downloaded, static_cast<int>(files.size()) + 1);
    }
    std::vector<std::string> files;
};

TEST_F(RunControlTest, PauseGivesTheLinksBackAndResumeFetchesThemAgain) {
    ASSERT_TRUE(StartStalled(3, 3, 20000));
    run.Post(WM_RUN_PAUSE);
    ASSERT_TRUE(run.PumpUntil([&] {
        return Closed() == 3 && !run.Window.States.empty() && run.Window.States.back() == TRunState::ssPaused;
    }));
    EXPECT_EQ(Asked(), 3);
    run.Post(WM_RUN_RESUME);
    ASSERT_TRUE(run.WaitFinished());
    for (const std::string& path : files) EXPECT_EQ(site.RequestsOf(path).size(), 2u) << path;
    ExpectAllStored();
    EXPECT_FALSE(run.Window.Logged("Zeitbegrenzung"));
}

TEST_F(RunControlTest, FewerClientsGiveTheirLinksBackAndMoreClientsTakeThem) {
    // Clients 1 and 2 keep their stalled files until told to try again, so
    // the test waits on events, not on a time-out a busy machine may pass.
    ASSERT_TRUE(StartStalled(5, 5, 60000));
    run.Post(WM_SET_CLIENT_COUNT, 0, 2);
    // Clients 5, 4 and 3 abort at once.
    ASSERT_TRUE(run.PumpUntil([&] { return Closed() == 3; }));
    run.Post(WM_SET_CLIENT_COUNT, 0, 4);
    // The new clients 3 and 4 take the three links given back (clients 1
    // and 2 are still stalled); client 5 never comes back.
    auto& urls = run.Window.ClientURLs;
    ASSERT_TRUE(run.PumpUntil([&] { return run.Window.LastStats.Downloaded == 1 + 3; }));
    EXPECT_EQ(urls[2].size() + urls[3].size(), 2u + 3u);
    ASSERT_EQ(urls[0].size(), 2u);  // the start page, then its file
    ASSERT_EQ(urls[1].size(), 1u);
    const std::string stalled[] = {urls[0].back(), urls[1].back()};
    for (const std::string& url : stalled) run.Post(WM_RETRY_URL, 1, 0, MakePayload(url));
    ASSERT_TRUE(run.WaitFinished());
    ExpectAllStored();
    for (const std::string& path : files) EXPECT_EQ(site.RequestsOf(path).size(), 2u) << path;
    EXPECT_EQ(urls[4].size(), 1u);
    // The stalled files were tried again by their own clients.
    EXPECT_EQ(urls[0].size(), 3u);
    EXPECT_EQ(urls[1].size(), 2u);
    EXPECT_FALSE(run.Window.Logged("Zeitbegrenzung"));
}

TEST_F(RunControlTest, IdleClientsAboveTheCountLeaveAtOnce) {
    ASSERT_TRUE(StartStalled(2, 4, 20000));
    // Client 1 is idle again (the page is done), 2 and 3 stall, 4 idles.
    run.Post(WM_SET_CLIENT_COUNT, 0, 1);
    ASSERT_TRUE(run.PumpUntil([&] { return Closed() == 2; }));
    ASSERT_TRUE(run.WaitFinished());
    ExpectAllStored();
    // The one client left fetched both files again.
    EXPECT_EQ(run.Window.ClientURLs[0].size(), 3u);
}

TEST_F(RunControlTest, CancelledURLIsGivenUp) {
    ASSERT_TRUE(StartStalled(1, 1, 20000));
    run.Post(WM_CANCEL_URL, 1, 0, MakePayload(site.Url("/f1.bin")));
    ASSERT_TRUE(run.WaitFinished());
    EXPECT_EQ(site.RequestsOf("/f1.bin").size(), 1u);
    EXPECT_EQ(run.Window.LastStats.FilteredOut, 1);
}

TEST_F(RunControlTest, RetriedURLIsFetchedAgain) {
    ASSERT_TRUE(StartStalled(1, 1, 20000));
    // A URL no client is loading changes nothing.
    run.Post(WM_RETRY_URL, 1, 0, MakePayload(site.Url("/elsewhere")));
    run.Post(WM_RETRY_URL, 1, 0, MakePayload(site.Url("/f1.bin")));
    ASSERT_TRUE(run.WaitFinished());
    EXPECT_EQ(site.RequestsOf("/f1.bin").size(), 2u);
    ExpectAllStored();
}

// The files the run opens are recorded instead (on the run's thread, read
// on the test's).
class RunOpenTest : public TSiteRunTest {
protected:
    void SetUp() override {
        FPrevious = SetShellOpener([this](const std::string& path) {
            std::lock_guard<std::mutex> lock(FOpenedLock);
            FOpened.push_back(path);
            return true;
        });
    }
    void TearDown() override { SetShellOpener(FPrevious); }
    std::vector<std::string> Opened() {
        std::lock_guard<std::mutex> lock(FOpenedLock);
        return FOpened;
    }

private:
    TShellOpener FPrevious;
    std::mutex FOpenedLock;
    std::vector<std::string> FOpened;
};

TEST_F(RunOpenTest, FileIsOpenedOnceDownloaded) {
    Home("<a href=\"/doc.txt\">doc</a>");
    site.Route("/doc.txt", TScript()
                               .Pause(200)
                               .Send(TSiteServer::Answer(200, "OK", {"Content-Type: text/plain"}, "text"))
                               .Close());
    run.Start();
    // The window names the link from its structure view.
    TDownloadLink* doc = nullptr;
    ASSERT_TRUE(run.PumpUntil([&] {
        while (TDownloadLink* link = run.Structure.TakeLast())
            if (link->FullURL() == site.Url("/doc.txt")) doc = link;
        return doc != nullptr;
    }));
    run.Post(WM_OPEN_AFTER_DOWNLOAD, 0, reinterpret_cast<intptr_t>(doc));
    ASSERT_TRUE(run.WaitFinished());
    EXPECT_EQ(Opened(), std::vector<std::string>{run.HostPath("127.0.0.1/doc.txt")});
}

TEST_F(RunOpenTest, FileThatIsThereAlreadyIsOpenedAtOnce) {
    Home("<img src=\"/pic.gif\"><a href=\"/slow.html\">slow</a>");
    site.Route("/pic.gif", TSiteServer::File("P", "image/gif"));
    site.Route("/slow.html",
               TScript().Pause(300).Send(TSiteServer::Answer(200, "OK", {"Content-Type: text/html"}, "s")).Close());
    run.Start();
    TDownloadLink* pic = nullptr;
    ASSERT_TRUE(run.PumpUntil([&] {
        while (TDownloadLink* link = run.Structure.TakeLast())
            if (link->FullURL() == site.Url("/pic.gif") && link->State == lsDownloaded) pic = link;
        return pic != nullptr;
    }));
    run.Post(WM_OPEN_AFTER_DOWNLOAD, 0, reinterpret_cast<intptr_t>(pic));
    ASSERT_TRUE(run.PumpUntil([&] { return !Opened().empty(); }));
    ASSERT_TRUE(run.WaitFinished());
    EXPECT_EQ(Opened(), std::vector<std::string>{run.HostPath("127.0.0.1/pic.gif")});
}

} // namespace
} // namespace vorlin::test
