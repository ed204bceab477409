// Requests that do not simply succeed: silence (time-outs and their tries)
// and bodies that break off, each ending in bounded time.
#include "engine/RunTexts.h"
#include "platform/FileSystem.h"
#include "project/DownloadLinks.h"
#include "tests/engine/RunHarness.h"
#include "tests/engine/SiteServer.h"

#include <gtest/gtest.h>

#include <functional>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vorlin::test {
namespace {

std::string Body(size_t count) { return std::string(count, 'x'); }

// The header of a 200 answer promising `length` bytes, and the first `sent`.
TScript CutAnswer(size_t length, size_t sent) {
    std::string answer = TSiteServer::Answer(200, "OK", {"Content-Type: application/octet-stream",
                                                         "Content-Length: " + std::to_string(length)},
                                             Body(sent), false);
    return TScript().Send(answer);
}

class RunFailureTest : public TSiteRunTest {
protected:
    void SetUp() override {
        Home("<a href=\"/file.bin\">file</a>");
        run.TimeOutMs = 250;
        run.Tries = 3;
    }
    TLinkState FileState() {
        auto saved = run.SavedLinks();
        return TRunHarness::LinkOf(*saved, site.Url("/file.bin"))->State;
    }
};

TEST_F(RunFailureTest, SilenceIsRetriedThenGivenUp) {
    site.Route("/file.bin", TScript().Silence());
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.RequestsOf("/file.bin").size(), 4u);
    for (const char* left : {"2", "1", "0"})
        EXPECT_EQ(run.Window.LogCount(FormatRunText(607, {site.Url("/file.bin"), left})), 1) << left;
    EXPECT_EQ(FileState(), lsFilteredOut);
}

TEST_F(RunFailureTest, SilenceInTheMiddleOfTheBodyTimesOutToo) {
    site.Route("/file.bin", CutAnswer(1000, 300).Silence());
    run.Tries = 1;
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.RequestsOf("/file.bin").size(), 2u);
    EXPECT_EQ(FileState(), lsFilteredOut);
}

TEST_F(RunFailureTest, ResetBodyIsRetriedThenFilteredOutKeepingThePart) {
    site.Route("/file.bin", CutAnswer(1000, 300).Pause(20).Reset());
    run.Tries = 2;
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.RequestsOf("/file.bin").size(), 3u);
    // Its own line each time, not the time-out's.
    EXPECT_EQ(run.Window.LogCount("received 300 bytes, then the connection broke off"), 3);
    EXPECT_EQ(run.Window.LogCount("Zeitbegrenzung"), 0);
    EXPECT_EQ(FileState(), lsFilteredOut);
    EXPECT_TRUE(run.FileThere("127.0.0.1/file.bin"));
    EXPECT_EQ(run.Window.LastStats.Remaining, 0);
}

TEST_F(RunFailureTest, ShortBodyClosedEarlyCountsAsBrokenOff) {
    site.Route("/file.bin", CutAnswer(1000, 300).Close());
    run.Tries = 1;
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.RequestsOf("/file.bin").size(), 2u);
    EXPECT_EQ(FileState(), lsFilteredOut);
}

// The file's first 400 bytes, ended by firstEnd; then the rest, asked for with a range.
void RouteCutThenRest(TSiteServer& site, const std::string& whole, std::function<TScript(TScript)> firstEnd) {
    site.Route("/file.bin", [=](const TSiteRequest& request, int nth) {
        if (nth == 0) return firstEnd(CutAnswer(1000, 400));
        EXPECT_EQ(request.Header("Range"), "bytes=400-999");
        return TScript()
            .Send(TSiteServer::Answer(206, "Partial Content",
                                      {"Content-Type: application/octet-stream", "Content-Range: bytes 400-999/1000"},
                                      whole.substr(400)))
            .Close();
    });
}

TEST_F(RunFailureTest, BrokenOffBodyIsContinuedOnTheRetry) {
    const std::string whole = Body(1000);
    RouteCutThenRest(site, whole, [](TScript cut) { return cut.Pause(20).Reset(); });
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.RequestsOf("/file.bin").size(), 2u);
    EXPECT_EQ(FileState(), lsDownloaded);
    EXPECT_EQ(run.FileText("127.0.0.1/file.bin"), whole);
}

// A clean close before the announced length: its own line, the partial file
// kept and continued with a range, and the file counted once in the run.
TEST_F(RunFailureTest, BodyClosedEarlyIsReportedOnceAndContinued) {
    const std::string whole = Body(1000);
    RouteCutThenRest(site, whole, [](TScript cut) { return cut.Close(); });
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.Window.LogCount("received 400 of 1000 bytes, the server closed the connection early"), 1);
    EXPECT_EQ(run.Window.LogCount("Zeitbegrenzung"), 0);
    EXPECT_EQ(FileState(), lsDownloaded);
    EXPECT_EQ(run.FileText("127.0.0.1/file.bin"), whole);
    // The start page and the file, each once.
    EXPECT_EQ(run.Project.DownloadedCount, 2);
}

// A port that nobody listens on (it was free a moment ago).
uint16_t DeadPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

TEST_F(RunFailureTest, RefusedConnectionIsReportedAndFilteredOut) {
    const std::string url = "http://127.0.0.1:" + std::to_string(DeadPort()) + "/gone.html";
    site.Route("/", TSiteServer::Page("<a href=\"" + url + "\">gone</a>"));
    run.Project.FollowExternalLinks = true;
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_TRUE(run.Window.ErrorLogged("HTTP client #1 encountered an error: "));
    EXPECT_EQ(run.Window.LastStats.Downloaded, 1);
    EXPECT_EQ(run.Window.LastStats.FilteredOut, 1);
}

} // namespace
} // namespace vorlin::test
