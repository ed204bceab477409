// Answers of a hostile (or broken) server, one case each: every run ends in
// bounded time on its own, says why on a line of its own, and writes nothing
// outside its target directory. Then the conditions of the machine: a full
// disk (simulated through the file layer, and a real small tmpfs where the
// machine lets the test mount one), symbolic links inside the target, a
// damaged Destination.
#include "engine/RunTexts.h"
#include "platform/FileFaults.h"
#include "platform/FileSystem.h"
#include "platform/Ticks.h"
#include "project/DownloadLinks.h"
#include "tests/engine/RunHarness.h"
#include "tests/engine/SiteServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include <sys/mount.h>
#include <unistd.h>

namespace vorlin::test {
namespace {

namespace fs = std::filesystem;

std::string Html(const std::string& body) { return "<html><body>" + body + "</body></html>"; }

// A body sent a byte at a time with a pause after each.
TScript Drip(const std::string& header, size_t bytes, uint32_t pauseMs) {
    TScript script;
    script.Send(header);
    for (size_t i = 0; i < bytes; ++i) script.Send("x").Pause(pauseMs);
    return script.Close();
}

// The files of the test directory are the run's only: the target and the
// project's data, nothing beside them.
void ExpectNothingOutside(TRunHarness& run, const std::string& name) {
    for (const std::string& file : run.AllFiles())
        EXPECT_TRUE(file.rfind("site/", 0) == 0 || file.rfind("projects/", 0) == 0) << name << ": " << file;
}

struct THostileCase {
    const char* Name;
    std::function<void(TSiteServer&, TRunHarness&)> Serve;
    const char* Line;       // a part of the error or log line that says what happened
    uint32_t MostMs;        // the run ends well within this
    std::function<void(TRunHarness&)> Check;
};

TEST(RunHostileAnswers, EachEndsBoundedAndSaysWhy) {
    const std::vector<THostileCase> cases = {
        {"redirects to ever-new addresses",
         [](TSiteServer& site, TRunHarness&) {
             site.Route("/", TSiteServer::Page(Html("<a href=\"/r/0\">chain</a>")));
             site.SetDefault([](const TSiteRequest& request, int) {
                 const int n = std::stoi(request.Path.substr(3));
                 return TSiteServer::Status(302, "Found", {"Location: /r/" + std::to_string(n + 1)});
             });
         },
         "more than 20 redirects in a row", 10000,
         [](TRunHarness& run) {
             // The start page and /r/0 to /r/20: the 21st redirect is not followed.
             EXPECT_EQ(run.Window.LastStats.All, 22);
             EXPECT_EQ(run.Window.LastStats.Remaining, 0);
         }},
        {"a body that runs on past the file size limit",
         [](TSiteServer& site, TRunHarness& run) {
             run.Project.UseMaxFileSize = true;
             run.Project.MaxFileSize = 64;  // KB
             site.Route("/", TSiteServer::Page(Html("<a href=\"/endless.html\">x</a><img src=\"/big.bin\">")));
             // No length announced: only the arriving bytes tell.
             site.Route("/endless.html", TScript()
                                             .Send(TSiteServer::Answer(200, "OK", {"Content-Type: text/html"},
                                                                       std::string(8 << 20, 'p'), false))
                                             .Close());
             site.Route("/big.bin", TScript()
                                        .Send(TSiteServer::Answer(200, "OK", {"Content-Type: image/gif"},
                                                                  std::string(8 << 20, 'g'), false))
                                        .Close());
         },
         "passed the file size limit of 64 KB", 10000,
         [](TRunHarness& run) {
             EXPECT_EQ(run.Window.LogCount("passed the file size limit"), 0);  // errors, not log lines
             int lines = 0;
             for (const std::string& e : run.Window.Errors) lines += e.find("passed the file size limit") != std::string::npos;
             EXPECT_EQ(lines, 2);
             // Neither is kept: what was stored of them is gone again.
             EXPECT_FALSE(run.FileThere("127.0.0.1/endless.html"));
             EXPECT_FALSE(run.FileThere("127.0.0.1/big.bin"));
         }},
        {"a server that drips its body",
         [](TSiteServer& site, TRunHarness& run) {
             run.LowSpeedBytes = 100;
             run.LowSpeedMs = 300;
             run.Tries = 1;
             site.Route("/", TSiteServer::Page(Html("<img src=\"/drip.gif\">")));
             // 20 bytes a second: never silent for the time-out, far too slow.
             site.Route("/drip.gif",
                        Drip("HTTP/1.0 200 OK\r\nContent-Type: image/gif\r\nContent-Length: 400\r\n\r\n", 400, 50));
         },
         "fewer than the low-speed limit of 100", 6000,
         [](TRunHarness& run) {
             // Tried twice (one try left after the first), then given up.
             EXPECT_EQ(run.Window.LogCount("low-speed limit"), 2);
             EXPECT_EQ(run.Window.LastStats.Remaining, 0);
             auto saved = run.SavedLinks();
             EXPECT_EQ(TRunHarness::LinkOf(*saved, run.Project.StartURL + "drip.gif")->State, lsFilteredOut);
         }},
        {"a page that needs a password nobody gave",
         [](TSiteServer& site, TRunHarness&) {
             site.Route("/", TSiteServer::Page(Html("<a href=\"/private/\">p</a>")));
             site.Route("/private/", TSiteServer::Status(401, "Unauthorized", {"WWW-Authenticate: Basic realm=\"Vault\""}));
         },
         "/private/ needs a user name and password (realm \"Vault\"); none were given", 10000,
         [](TRunHarness& run) {
             bool told = false;
             for (const std::string& e : run.Window.Errors) told |= e.find("--user NAME --password PASSWORD") != std::string::npos;
             EXPECT_TRUE(told);
         }},
        {"a 20 MB attribute",
         [](TSiteServer& site, TRunHarness&) {
             site.Route("/", TSiteServer::Page(Html("<a title=\"" + std::string(20 << 20, 'x') +
                                                    "\" href=\"/skipped.html\">x</a><a href=\"/after.html\">y</a>")));
             site.Route("/after.html", TSiteServer::Page(Html("after")));
         },
         "", 10000,
         [](TRunHarness& run) {
             // The tag was written through unparsed; the page went on.
             EXPECT_TRUE(run.FileThere("127.0.0.1/after.html"));
             EXPECT_FALSE(run.FileThere("127.0.0.1/skipped.html"));
             EXPECT_GT(fs::file_size(run.HostPath("127.0.0.1/index.html")), 20u << 20);
         }},
    };
    for (const THostileCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSiteServer site;
        TRunHarness run;
        run.Project.URL = site.Url("/");
        run.TimeOutMs = 2000;
        c.Serve(site, run);
        const uint32_t started = GetTickCount();
        ASSERT_TRUE(run.RunToEnd(c.MostMs));
        EXPECT_LT(GetTickCount() - started, c.MostMs);
        if (*c.Line) {
            bool said = run.Window.Logged(c.Line);
            for (const std::string& e : run.Window.Errors) said |= e.find(c.Line) != std::string::npos;
            EXPECT_TRUE(said) << c.Line;
        }
        EXPECT_TRUE(run.FatalError.empty());
        ExpectNothingOutside(run, c.Name);
        c.Check(run);
    }
}

// --- A full disk -------------------------------------------------------------------

class RunFullDisk : public TSiteRunTest {
protected:
    void SetUp() override {
        std::string links;
        for (int i = 0; i < 20; ++i) links += "<img src=\"/f" + std::to_string(i) + ".bin\">";
        Home(Html(links));
        site.SetDefault([](const TSiteRequest&, int) { return TSiteServer::File(std::string(20000, 'f'), "image/gif"); });
    }
    void TearDown() override { ClearSimulatedFullDisk(); }

    // The run stops by itself, names the system's reason, and leaves the
    // links it could not store pending for the next run.
    void ExpectStoppedInOrder() {
        ASSERT_TRUE(run.RunToEnd());
        EXPECT_NE(run.FatalError.find("No space left on device"), std::string::npos) << run.FatalError;
        EXPECT_TRUE(run.Window.ErrorLogged("No space left on device"));
        EXPECT_GT(site.Requests().size(), 1u);
        EXPECT_LT(site.Requests().size(), 21u);  // it did not go on through the site
        auto saved = run.SavedLinks();
        ASSERT_TRUE(saved);
        int pending = 0;
        for (TDownloadLink* link : *saved->Links) pending += link->State == lsPending;
        EXPECT_GT(pending, 0);
        // Nothing that failed counts as downloaded: every downloaded file is whole.
        for (TDownloadLink* link : *saved->Links) {
            if (link->State != lsDownloaded || link->LinkType == ltPage) continue;
            EXPECT_EQ(fs::file_size(run.HostPath("127.0.0.1/" + link->LocalFileName)), 20000u) << link->Path;
        }
    }
};

TEST_F(RunFullDisk, SimulatedStopsTheRunInOrder) {
    SimulateFullDisk(run.TargetDir(), 70000);
    ExpectStoppedInOrder();
}

// A real file system that fills up: a small tmpfs as the target, where the
// machine lets the test mount one (root, and mounting allowed).
TEST_F(RunFullDisk, RealTmpfsStopsTheRunInOrder) {
    ForceDirectories(run.TargetDir());
    if (::mount("tmpfs", run.TargetDir().c_str(), "tmpfs", 0, "size=96k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here; the simulated case covers the engine";
    struct TUnmount {
        std::string Dir;
        ~TUnmount() { ::umount2(Dir.c_str(), MNT_DETACH); }
    } unmount{run.TargetDir()};
    ExpectStoppedInOrder();
}

// Another write error (not a full disk) names its reason and only that link
// is filtered out; the run goes on.
TEST_F(RunFullDisk, OtherWriteErrorsNameTheirReason) {
    SimulateFullDisk(run.TargetDir(), 70000, EIO);
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_TRUE(run.FatalError.empty());
    EXPECT_TRUE(run.Window.ErrorLogged("Input/output error"));
    EXPECT_EQ(run.Window.LastStats.Remaining, 0);
}

// Pages are written beside the run: one that finds the disk full stops the
// run all the same, and a page that failed is neither downloaded nor counted.
class RunFullDiskPages : public TSiteRunTest {
protected:
    void SetUp() override {
        std::string links;
        for (int i = 0; i < 20; ++i) links += "<a href=\"/p" + std::to_string(i) + ".html\">p</a>";
        Home(Html(links));
        site.SetDefault([](const TSiteRequest&, int) { return TSiteServer::File(std::string(20000, 'p'), "text/html"); });
    }
    void TearDown() override { ClearSimulatedFullDisk(); }

    // Every page the saved list calls downloaded is whole on disk; the
    // number of them.
    int WholeDownloadedPages(TDownloadProject& saved) {
        int whole = 0;
        for (TDownloadLink* link : *saved.Links) {
            if (link->State != lsDownloaded || link->Path.rfind("p", 0) != 0) continue;
            EXPECT_EQ(fs::file_size(run.HostPath("127.0.0.1/" + link->LocalFileName)), 20000u) << link->Path;
            ++whole;
        }
        return whole;
    }
};

TEST_F(RunFullDiskPages, AFullDiskStopsTheRunInOrder) {
    SimulateFullDisk(run.TargetDir(), 70000);
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_NE(run.FatalError.find("No space left on device"), std::string::npos) << run.FatalError;
    EXPECT_LT(site.Requests().size(), 21u);
    auto saved = run.SavedLinks();
    ASSERT_TRUE(saved);
    int pending = 0;
    for (TDownloadLink* link : *saved->Links) pending += link->State == lsPending;
    EXPECT_GT(pending, 0);
    EXPECT_LE(WholeDownloadedPages(*saved), 3);
}

TEST_F(RunFullDiskPages, OtherWriteErrorsFileOnlyThosePagesOut) {
    SimulateFullDisk(run.TargetDir(), 70000, EIO);
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_TRUE(run.FatalError.empty());
    EXPECT_TRUE(run.Window.ErrorLogged("Input/output error"));
    EXPECT_EQ(run.Window.LastStats.Remaining, 0);
    auto saved = run.SavedLinks();
    ASSERT_TRUE(saved);
    const int whole = WholeDownloadedPages(*saved);
    EXPECT_GE(whole, 1);
    EXPECT_LE(whole, 3);
    EXPECT_EQ(run.Window.LastStats.Downloaded, whole + 1);  // and the home page
}

// --- Symbolic links inside the target ------------------------------------------------

TEST_F(TSiteRunTest, SymbolicLinksInsideTheTargetAreNeverFollowed) {
    Home(Html("<a href=\"/dir/a.html\">a</a><a href=\"/file.html\">f</a><a href=\"/fine.html\">ok</a>"));
    site.Route("/dir/a.html", TSiteServer::Page(Html("written through a directory link")));
    site.Route("/file.html", TSiteServer::Page(Html("written through a file link")));
    site.Route("/fine.html", TSiteServer::Page(Html("fine")));
    // Links left there by someone else, leading out of the target.
    const std::string outside = run.Dir() + "/outside/";
    ForceDirectories(outside);
    { std::ofstream(outside + "victim.html") << "keep me"; }
    const std::string host = run.HostPath("127.0.0.1/");
    ForceDirectories(host);
    fs::create_directory_symlink(outside, host + "dir");
    fs::create_symlink(outside + "victim.html", host + "file.html");

    ASSERT_TRUE(run.RunToEnd());
    std::vector<std::string> there;
    for (const auto& entry : fs::directory_iterator(outside)) there.push_back(entry.path().filename().string());
    EXPECT_EQ(there, std::vector<std::string>{"victim.html"});
    std::ifstream victim(outside + "victim.html");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(victim), {}), "keep me");
    EXPECT_TRUE(run.Window.ErrorLogged("symbolic link"));
    EXPECT_TRUE(run.FileThere("127.0.0.1/fine.html"));
    // The links are still links.
    EXPECT_TRUE(fs::is_symlink(host + "dir"));
    EXPECT_TRUE(fs::is_symlink(host + "file.html"));
}

// --- A damaged Destination ---------------------------------------------------------

TEST_F(TSiteRunTest, ADestinationHoldingANulByteIsRefused) {
    Home(Html("home"));
    const std::string shortened = run.Dir() + "/cut";
    run.Project.Destination = shortened + std::string(1, '\0') + "/rest";
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_TRUE(run.Window.ErrorLogged("NUL byte"));
    EXPECT_TRUE(site.Requests().empty());
    EXPECT_FALSE(fs::exists(shortened));
}

} // namespace
} // namespace vorlin::test
