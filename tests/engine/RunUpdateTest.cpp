// A second run over the link data of a first: resuming what is missing,
// asking the server what changed, continuing cut-off files with a range.
#include "engine/RunTexts.h"
#include "platform/FileSystem.h"
#include "project/DownloadLinks.h"
#include "tests/engine/RunHarness.h"
#include "tests/engine/SiteServer.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vorlin::test {
namespace {

const char* const kLastModified = "Last-Modified: Sun, 06 Nov 1994 08:49:37 GMT";

// The saved link data with one change made to it.
void ChangeSavedLink(TRunHarness& run, const std::string& url, const std::function<void(TDownloadLink&)>& change) {
    auto saved = run.SavedLinks();
    TDownloadLink* link = TRunHarness::LinkOf(*saved, url);
    ASSERT_NE(link, nullptr) << url;
    change(*link);
    saved->Links->SaveToFile(run.DataFile());
}

std::string Bytes(size_t count) {
    std::string bytes;
    for (size_t i = 0; i < count; ++i) bytes += static_cast<char>('a' + i % 26);
    return bytes;
}

class RunUpdateTest : public TSiteRunTest {};

TEST_F(RunUpdateTest, ResumesOnlyThePendingLink) {
    Home("<a href=\"/a.html\">a</a><a href=\"/b.html\">b</a>");
    site.Route("/a.html", TSiteServer::Page("A"));
    site.Route("/b.html", TSiteServer::Page("B"));
    ASSERT_TRUE(run.RunToEnd());
    ChangeSavedLink(run, site.Url("/b.html"), [](TDownloadLink& link) { link.State = lsPending; });

    size_t before = site.Requests().size();
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_TRUE(run.Window.Logged(RunText(619)));
    EXPECT_EQ(site.Gets(before), std::vector<std::string>{"/b.html"});
    EXPECT_EQ(run.Window.LastStats.Downloaded, 3);
    EXPECT_EQ(run.Window.LastStats.Remaining, 0);
}

TEST_F(RunUpdateTest, UnchangedSiteCostsOneRequestPerFileAndRewritesNothing) {
    auto conditional = [](const std::string& body, const std::string& type) {
        return [body, type](const TSiteRequest& request, int) {
            if (!request.Header("If-Modified-Since").empty()) return TSiteServer::Status(304, "Not Modified");
            return TSiteServer::File(body, type, {kLastModified});
        };
    };
    site.Route("/", conditional("<img src=\"/a.gif\">", "text/html"));
    site.Route("/a.gif", conditional("GIF", "image/gif"));
    run.Project.URL = site.Url("/");
    ASSERT_TRUE(run.RunToEnd());
    const std::string page = run.FileText("127.0.0.1/index.html");
    auto stamp = std::filesystem::last_write_time(run.HostPath("127.0.0.1/index.html"));
    // Both copies bear the server's date, the parsed page as the plain file.
    const auto served = std::filesystem::file_time_type::clock::from_sys(
        std::chrono::sys_seconds(std::chrono::seconds(784111777)));
    EXPECT_EQ(stamp, served);
    EXPECT_EQ(std::filesystem::last_write_time(run.HostPath("127.0.0.1/a.gif")), served);

    size_t before = site.Requests().size();
    run.Window.Logs.clear();
    ASSERT_TRUE(run.RunToEnd());
    auto second = site.Requests();
    ASSERT_EQ(second.size() - before, 2u);
    for (size_t i = before; i < second.size(); ++i)
        EXPECT_EQ(second[i].Header("If-Modified-Since"), "Sun, 06 Nov 1994 08:49:37 GMT");
    EXPECT_EQ(run.Window.LogCount("Kein Update benötigt für"), 2);
    EXPECT_FALSE(run.Window.Logged("wurde heruntergeladen"));
    EXPECT_EQ(run.FileText("127.0.0.1/index.html"), page);
    EXPECT_EQ(std::filesystem::last_write_time(run.HostPath("127.0.0.1/index.html")), stamp);
    EXPECT_EQ(run.Window.LastStats.Downloaded, 2);
}

// A file of 100 bytes, cut to 40 on disk: continued from byte 40.
class RunRangeTest : public TSiteRunTest {
protected:
    void FirstRun() {
        site.Route("/", [](const TSiteRequest& request, int) {
            if (!request.Header("If-Modified-Since").empty()) return TSiteServer::Status(304, "Not Modified");
            return TSiteServer::Page("<a href=\"/big.bin\">big</a>", {kLastModified});
        });
        site.Route("/big.bin", [this](const TSiteRequest& request, int) { return Big(request); });
        run.Project.URL = site.Url("/");
        ASSERT_TRUE(run.RunToEnd());
        std::filesystem::resize_file(run.HostPath("127.0.0.1/big.bin"), 40);
    }
    virtual TScript Big(const TSiteRequest& request) {
        if (request.Header("Range") == "bytes=40-99")
            return TScript()
                .Send(TSiteServer::Answer(206, "Partial Content",
                                          {"Content-Type: application/octet-stream", "Content-Range: bytes 40-99/100"},
                                          body.substr(40)))
                .Close();
        return TSiteServer::File(body, "application/octet-stream", {kLastModified});
    }
    std::string body = Bytes(100);
};

TEST_F(RunRangeTest, CutFileIsContinuedWithARange) {
    FirstRun();
    ASSERT_TRUE(run.RunToEnd());
    auto asked = site.RequestsOf("/big.bin");
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].Header("Range"), "bytes=40-99");
    // A continued file is not asked for changes.
    EXPECT_EQ(asked[1].Header("If-Modified-Since"), "");
    EXPECT_EQ(run.FileText("127.0.0.1/big.bin"), body);
    EXPECT_TRUE(run.Window.Logged(FormatRunText(601, {site.Url("/big.bin")})));
}

class RunWholeAnswerTest : public RunRangeTest {
protected:
    TScript Big(const TSiteRequest&) override { return TSiteServer::File(body, "application/octet-stream"); }
};

TEST_F(RunWholeAnswerTest, ServerIgnoringTheRangeReplacesTheFile) {
    FirstRun();
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.RequestsOf("/big.bin").back().Header("Range"), "bytes=40-99");
    EXPECT_EQ(run.FileText("127.0.0.1/big.bin"), body);
}

TEST_F(RunUpdateTest, ResumedMirrorPageAnsweredWholeIsStoredOnce) {
    const std::string page = "<html><body>" + Bytes(200) + "</body></html>";
    Home(page);
    run.Project.ProjectMode = pmMirror;
    ASSERT_TRUE(run.RunToEnd());
    std::filesystem::resize_file(run.HostPath("127.0.0.1/index.html"), 50);
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.RequestsOf("/").back().Header("Range"), "bytes=50-" + std::to_string(page.size() - 1));
    EXPECT_EQ(run.FileText("127.0.0.1/index.html"), page);
}

TEST_F(RunUpdateTest, ResumedMirrorPageContinuesWithTheRange) {
    const std::string page = "<html><body><a href=\"/x.html\">" + Bytes(200) + "</a></body></html>";
    site.Route("/", [&](const TSiteRequest& request, int) {
        if (request.Header("Range").empty()) return TSiteServer::Page(page);
        return TScript()
            .Send(TSiteServer::Answer(206, "Partial Content",
                                      {"Content-Type: text/html",
                                       "Content-Range: bytes 50-" + std::to_string(page.size() - 1) + "/" +
                                           std::to_string(page.size())},
                                      page.substr(50)))
            .Close();
    });
    site.Route("/x.html", TSiteServer::Page("x"));
    run.Project.URL = site.Url("/");
    run.Project.ProjectMode = pmMirror;
    ASSERT_TRUE(run.RunToEnd());
    std::filesystem::resize_file(run.HostPath("127.0.0.1/index.html"), 50);
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.FileText("127.0.0.1/index.html"), page);
}

// An interval of 0 minutes still keeps a second between two saves (a save
// after every message cost more than the download itself).
TEST_F(RunUpdateTest, AutosaveAtZeroMinutesSavesWhileRunningOncePerSecond) {
    Home("<a href=\"/slow.html\">slow</a>");
    site.Route("/slow.html",
               TScript().Pause(1300).Send(TSiteServer::Answer(200, "OK", {"Content-Type: text/html"}, "slow")).Close());
    run.Settings.AutosaveEnabled = true;
    run.Settings.AutosaveMinutes = 0;
    bool savedWhileRunning = false;
    run.Window.OnLog = [&](const std::string& line) {
        if (line == RunText(630) && run.Window.States.back() == TRunState::ssRunning)
            savedWhileRunning = FileExists(run.DataFile()) && FileExists(run.Dir() + "/projects/project.prj");
    };
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_TRUE(savedWhileRunning);
    EXPECT_GE(run.Window.LogCount(RunText(629)), 1);
    EXPECT_LE(run.Window.LogCount(RunText(629)), 2);
}

// The link data is written beside the run: a write that fails there is
// still reported as an autosave error, never as completed, and the run goes
// on to its end.
TEST_F(RunUpdateTest, AnAutosaveThatFailsToWriteIsReportedAndTheRunGoesOn) {
    Home("<a href=\"/slow.html\">slow</a>");
    site.Route("/slow.html",
               TScript().Pause(1300).Send(TSiteServer::Answer(200, "OK", {"Content-Type: text/html"}, "slow")).Close());
    run.Settings.AutosaveEnabled = true;
    run.Settings.AutosaveMinutes = 0;  // still a second between two saves
    // A directory where the data file should go: the new file can't replace it.
    std::filesystem::create_directories(run.DataFile() + "/in-the-way");
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_TRUE(run.Window.ErrorLogged("Error autosaving project´s data: "));
    EXPECT_FALSE(run.Window.Logged(RunText(630)));
    EXPECT_TRUE(FileExists(run.HostPath("127.0.0.1/slow.html")));
}

TEST_F(RunUpdateTest, AutosaveSwitchedOffSavesOnlyAtTheEnd) {
    Home("home");
    run.Settings.AutosaveEnabled = false;
    run.Settings.AutosaveMinutes = 0;
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_FALSE(run.Window.Logged(RunText(629)));
    EXPECT_TRUE(FileExists(run.DataFile()));
}

} // namespace
} // namespace vorlin::test
