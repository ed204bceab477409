// Whole runs over https against the scripted site with TLS: a site stored
// whole with its credentials, a site that mixes http and https and
// redirects both ways (and a loop between the schemes that ends), refused
// certificates and the setting that accepts them, a TLS stream cut short,
// a body continued with a range, an update with If-Modified-Since, and a
// handshake that never comes under the time-out.
#include "engine/RunTexts.h"
#include "project/DownloadLinks.h"
#include "project/PasswordList.h"
#include "tests/engine/RunHarness.h"
#include "tests/engine/SiteServer.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TestCertificates.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace vorlin::test {
namespace {

// A private authority, an https site with its certificate, and a plain site
// on the same host; the run trusts the authority.
class RunHttpsTest : public ::testing::Test {
protected:
    RunHttpsTest() : Certificate(Authority.Issue({"127.0.0.1"})), secure(Certificate) {
        run.Settings.CaCertificates = WriteTestFile(run.Dir(), "ca.pem", Authority.CertificatePem());
    }
    TLinkState StateOf(const std::string& url) {
        auto saved = run.SavedLinks();
        TDownloadLink* link = TRunHarness::LinkOf(*saved, url);
        return link ? link->State : static_cast<TLinkState>(99);
    }
    // The stored file of a site path, in whichever host directory it went.
    std::string Stored(const std::string& relative) const {
        namespace fs = std::filesystem;
        for (const auto& entry : fs::directory_iterator(run.TargetDir())) {
            fs::path file = entry.path() / relative;
            if (fs::is_regular_file(file)) return run.FileText(fs::relative(file, run.TargetDir()).string());
        }
        return "(not stored)";
    }

    TTestAuthority Authority;
    TTestCertificate Certificate;
    TSiteServer secure;
    TSiteServer plain;
    TRunHarness run;
};

TEST_F(RunHttpsTest, AWholeSiteIsStoredWithItsCredentials) {
    secure.Route("/", [](const TSiteRequest& request, int) {
        if (request.Header("Authorization") != "Basic YW5uOnNlY3JldA==")
            return TSiteServer::Status(401, "Unauthorized", {"WWW-Authenticate: Basic realm=\"zone\""});
        return TSiteServer::Page("<a href=\"/a.html\">a</a><img src=\"img.gif\">");
    });
    secure.Route("/a.html", TSiteServer::Page("<a href=\"/\">home</a>"));
    secure.Route("/img.gif", TSiteServer::File("GIF89a", "image/gif"));
    run.Project.URL = secure.Url("/");
    run.Project.UseAutentfication = true;
    run.Project.UserName = "ann";
    run.Project.Password = "secret";
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.Window.Errors, std::vector<std::string>{});
    EXPECT_EQ(run.Window.LastStats.Downloaded, 3);
    EXPECT_EQ(run.FileText("127.0.0.1/a.html"), "<a href=\"index.html\">home</a>");
    EXPECT_EQ(run.FileText("127.0.0.1/img.gif"), "GIF89a");
    EXPECT_EQ(StateOf(secure.Url("/a.html")), lsDownloaded);
    // The start address was tested over TLS too, and the password list keeps the https key.
    EXPECT_EQ(secure.RequestsOf("/").front().Method, "HEAD");
    TPassWordList passwords;
    passwords.LoadFromFile(run.Dir() + "/passwords.lst");
    ASSERT_EQ(passwords.Count(), 1);
    EXPECT_EQ(passwords.Items(0)->URL, secure.Url("/"));
}

TEST_F(RunHttpsTest, AMixedSiteIsOneSiteAndRedirectsGoBothWays) {
    // The plain start redirects to https; its pages link back to http, and
    // an http page redirects to https again.
    plain.Route("/", TSiteServer::Status(301, "Moved", {"Location: " + secure.Url("/")}));
    secure.Route("/", TSiteServer::Page("<a href=\"" + plain.Url("/plain.html") + "\">p</a>"
                                        "<a href=\"" + plain.Url("/moved.html") + "\">m</a>"));
    plain.Route("/plain.html", TSiteServer::Page("<a href=\"" + secure.Url("/back.html") + "\">b</a>"));
    plain.Route("/moved.html", TSiteServer::Status(302, "Found", {"Location: " + secure.Url("/moved.html")}));
    secure.Route("/back.html", TSiteServer::Page("back"));
    secure.Route("/moved.html", TSiteServer::Page("moved"));
    run.Project.URL = plain.Url("/");
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.Window.Errors, std::vector<std::string>{});
    EXPECT_EQ(StateOf(secure.Url("/")), lsDownloaded);
    EXPECT_EQ(StateOf(plain.Url("/plain.html")), lsDownloaded);
    EXPECT_EQ(StateOf(secure.Url("/back.html")), lsDownloaded);
    EXPECT_EQ(StateOf(secure.Url("/moved.html")), lsDownloaded);
    // Two ports of one host: two directories, one copy that links across.
    EXPECT_EQ(Stored("plain.html"),
              "<a href=\"../127.0.0.1+" + std::to_string(secure.Port()) + "/back.html\">b</a>");
    EXPECT_EQ(Stored("back.html"), "back");
    EXPECT_EQ(Stored("moved.html"), "moved");
}

TEST_F(RunHttpsTest, ARedirectLoopBetweenTheSchemesEnds) {
    plain.Route("/", TSiteServer::Page("<a href=\"/loop.html\">loop</a>"));
    plain.Route("/loop.html", TSiteServer::Status(301, "Moved", {"Location: " + secure.Url("/loop.html")}));
    secure.Route("/loop.html", TSiteServer::Status(301, "Moved", {"Location: " + plain.Url("/loop.html")}));
    run.Project.URL = plain.Url("/");
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_LE(plain.RequestsOf("/loop.html").size(), 2u);
    EXPECT_LE(secure.RequestsOf("/loop.html").size(), 2u);
    EXPECT_EQ(run.Window.LastStats.Remaining, 0);
}

TEST_F(RunHttpsTest, ABadCertificateIsRefusedWithItsReasonAndAcceptedWithTheSetting) {
    TSiteServer expired(Authority.Issue({"127.0.0.1"}, -20, -2));
    expired.Route("/", TSiteServer::Page("<img src=\"/i.gif\">"));
    expired.Route("/i.gif", TSiteServer::File("GIF", "image/gif"));
    run.Project.URL = expired.Url("/");
    ASSERT_TRUE(run.RunToEnd());
    ASSERT_FALSE(run.Window.Errors.empty());
    EXPECT_NE(run.Window.Errors.back().find("TLS: the certificate of 127.0.0.1 has expired"), std::string::npos)
        << run.Window.Errors.back();
    EXPECT_EQ(run.Window.LastStats.Downloaded, 0);
    EXPECT_EQ(expired.Requests().size(), 0u);  // not a byte of HTTP went out

    run.Settings.CheckCertificates = false;
    run.Project.ResetOnProjStart = true;
    run.Window = TRecordingWindow();
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.Window.LastStats.Downloaded, 2);
    EXPECT_EQ(run.FileText("127.0.0.1/i.gif"), "GIF");
}

TEST_F(RunHttpsTest, AStreamCutWithoutCloseNotifyIsNotStoredAsWhole) {
    secure.Route("/", TSiteServer::Page("<a href=\"/file.bin\">f</a>"));
    secure.Route("/file.bin", TScript().Send("HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n\r\npart").Cut());
    run.Project.URL = secure.Url("/");
    run.Tries = 1;
    run.TimeOutMs = 2000;
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(secure.RequestsOf("/file.bin").size(), 2u);
    EXPECT_TRUE(run.Window.ErrorLogged("without close_notify")) << ::testing::PrintToString(run.Window.Errors);
    EXPECT_NE(StateOf(secure.Url("/file.bin")), lsDownloaded);
}

TEST_F(RunHttpsTest, ACutBodyIsContinuedWithARangeAndAnUpdateAsksIfModifiedSince) {
    const std::string whole(1000, 'b');
    secure.Route("/", [](const TSiteRequest& request, int) {
        if (!request.Header("If-Modified-Since").empty()) return TSiteServer::Status(304, "Not Modified");
        return TSiteServer::Page("<a href=\"/file.bin\">f</a>", {"Last-Modified: Sun, 06 Nov 1994 08:49:37 GMT"});
    });
    secure.Route("/file.bin", [&](const TSiteRequest& request, int nth) {
        if (nth == 0)
            return TScript()
                .Send(TSiteServer::Answer(200, "OK", {"Content-Type: application/octet-stream", "Content-Length: 1000"},
                                          whole.substr(0, 400), false))
                .Close();
        if (request.Header("Range") == "bytes=400-999")
            return TScript()
                .Send(TSiteServer::Answer(206, "Partial Content",
                                          {"Content-Type: application/octet-stream", "Content-Range: bytes 400-999/1000"},
                                          whole.substr(400)))
                .Close();
        return TSiteServer::Status(304, "Not Modified");
    });
    run.Project.URL = secure.Url("/");
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.FileText("127.0.0.1/file.bin"), whole);
    EXPECT_EQ(StateOf(secure.Url("/file.bin")), lsDownloaded);
    // The update run asks whether the page changed.
    const size_t before = secure.Requests().size();
    run.Window = TRecordingWindow();
    ASSERT_TRUE(run.RunToEnd());
    auto requests = secure.Requests();
    ASSERT_GT(requests.size(), before);
    bool asked = false;
    for (size_t i = before; i < requests.size(); ++i)
        if (requests[i].Path == "/" && requests[i].Header("If-Modified-Since") == "Sun, 06 Nov 1994 08:49:37 GMT")
            asked = true;
    EXPECT_TRUE(asked);
}

TEST_F(RunHttpsTest, AHandshakeThatNeverComesTimesOutAndASlowOneCompletes) {
    TScriptedServer silent;  // accepts, reads the client's hello and says nothing
    for (int i = 0; i < 4; ++i) silent.AddScript(TScript().Silence());
    run.Project.URL = "https://127.0.0.1:" + std::to_string(silent.Port()) + "/";
    run.TimeOutMs = 250;
    run.Tries = 1;
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.Window.LogCount(FormatRunText(607, {run.Project.URL, "0"})), 1);
    EXPECT_EQ(run.Window.LastStats.Downloaded, 0);

    TScriptedServer slow(Certificate);
    const std::string page = TSiteServer::Answer(200, "OK", {"Content-Type: text/html"}, "slow but sure");
    for (int i = 0; i < 2; ++i) slow.AddScript(TScript().Pause(150).ReadRequest().Send(page).Close());
    run.Project.URL = slow.Url("/");
    run.Project.ResetOnProjStart = true;
    run.TimeOutMs = 1000;
    run.Window = TRecordingWindow();
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.Window.LastStats.Downloaded, 1);
    EXPECT_EQ(run.FileText("127.0.0.1/index.html"), "slow but sure");
}

TEST_F(RunHttpsTest, TheRateLimitHoldsOverTlsAndAHeldReadResumes) {
    // A held read leaves bytes decrypted inside the TLS layer, where no
    // readiness announces them: resumed, the transfer must go on (not wait
    // for a time-out) and arrive whole, on fresh and on kept connections.
    std::string body(60 * 1024, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>('a' + i % 23);
    secure.Route("/", TSiteServer::Page("<a href=\"/big.bin\">big</a>"));
    secure.Route("/big.bin", TSiteServer::File(body, "application/octet-stream"));
    for (bool keepAlive : {false, true}) {
        run.Project.URL = secure.Url("/");
        run.Project.ResetOnProjStart = true;
        run.Project.Manners.LimitRate = 40 * 1024;
        run.Settings.KeepAlive = keepAlive;
        run.TimeOutMs = 5000;
        run.Window = TRecordingWindow();
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(run.RunToEnd());
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        // 60 KB at 40 KB/s, less what the budget held at the start; well
        // under the time-out, which a stalled read would have waited for.
        EXPECT_GE(seconds, 1.2) << keepAlive;
        EXPECT_LT(seconds, 4.5) << keepAlive;
        EXPECT_EQ(run.Window.Errors, std::vector<std::string>{}) << keepAlive;
        EXPECT_EQ(run.FileText("127.0.0.1/big.bin"), body) << keepAlive;
    }
}

TEST_F(RunHttpsTest, AnHttpsLinkOfOlderLinkDataIsFetchedByTheUpdate) {
    const std::string old = secure.Url("/old.html");
    plain.Route("/", TSiteServer::Page("<a href=\"" + old + "\">old</a>"));
    secure.Route("/old.html", TSiteServer::Page("now fetched"));
    run.Project.URL = plain.Url("/");
    // The links as a version without https left them: the https link of
    // another kind, its whole address as its server.
    auto start = std::make_unique<TDownloadLink>(&run.Project);
    start->SetServer(plain.Url("/"));
    start->LinkType = ltPage;
    start->State = lsDownloaded;
    auto secureLink = std::make_unique<TDownloadLink>(&run.Project);
    secureLink->Kind = lkOtherScheme;
    secureLink->SetServer(old);
    secureLink->LinkType = ltPage;
    secureLink->Level = 1;
    secureLink->State = lsFilteredOut;
    TDownloadLink* page = start.get();
    run.Project.Links->Add(start.release());
    TDownloadLink* added = secureLink.release();
    run.Project.Links->Add(added);
    page->References.push_back(added);
    added->Referrers.push_back(page);
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(secure.RequestsOf("/old.html").size(), 1u);
    auto saved = run.SavedLinks();
    TDownloadLink* link = TRunHarness::LinkOf(*saved, old);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->Kind, lkHttp);
    EXPECT_EQ(link->Server(), secure.Url("/"));
    EXPECT_EQ(link->State, lsDownloaded);
    EXPECT_EQ(Stored("old.html"), "now fetched");
}

} // namespace
} // namespace vorlin::test
