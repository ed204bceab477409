// The fixture site over https from nginx: a mirror stored byte for byte, a
// site that starts on http, redirects to https and still links http pages,
// and whole runs with persistent connections that fetch every file over
// fewer connections than requests, over http and over https.
#include "tests/e2e/support/FixtureSite.h"
#include "tests/e2e/support/SiteRun.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vorlin::test {
namespace {

class HttpsRunTest : public TFixtureSiteRun {
protected:
    void SetUp() override {
        Secure = true;
        TFixtureSiteRun::SetUp();
        run.Project.UseAutentfication = true;
        run.Project.UserName = kFixtureUser;
        run.Project.Password = kFixturePassword;
    }
    std::set<std::string> Expected() const {
        std::vector<std::string> files = FixtureExpectedFiles();
        return std::set<std::string>(files.begin(), files.end());
    }
    // Access log lines that went over plain http.
    std::vector<std::string> PlainRequests() const {
        std::vector<std::string> plain;
        std::istringstream log(Server->AccessLog());
        for (std::string line; std::getline(log, line);)
            if (line.find("scheme=http") != std::string::npos && line.find("scheme=https") == std::string::npos)
                plain.push_back(line);
        return plain;
    }
};

TEST_F(HttpsRunTest, AMirrorOverHttpsIsTheServedSite) {
    run.Project.ProjectMode = pmMirror;
    ASSERT_TRUE(run.RunToEnd(60000));
    EXPECT_EQ(StoredFiles(), Expected());
    for (const std::string& file : StoredFiles()) {
        if (file == "listing/index.html") continue;  // made by the server
        EXPECT_TRUE(Stored(file) == Served(file == "old.html" ? "new.html" : file)) << file;
    }
    EXPECT_EQ(PlainRequests(), std::vector<std::string>{});
    EXPECT_TRUE(Stored("files/big.bin") == Served("files/big.bin"));
}

TEST_F(HttpsRunTest, ASiteThatMovedToHttpsButLinksHttpIsMirroredWhole) {
    // Every plain request is sent to https; the page with a BASE names the
    // site over http, so its links come back through the redirect.
    Server = std::make_unique<TNginxServer>(
        SiteRoot, TNginxOptions{FixtureServerConfig(SiteRoot) +
                                    "    if ($scheme = http) { return 301 https://127.0.0.1:@SECURE_PORT@$request_uri; }\n",
                                run.Dir() + "/tls/server.pem", run.Dir() + "/tls/server.key", false});
    WriteFixtureSite(SiteRoot, Server->Port(), "http");
    run.Project.URL = Server->BaseURL();
    ASSERT_TRUE(run.RunToEnd(60000));
    EXPECT_EQ(run.Project.StartURL, Server->SecureBaseURL());
    // The site is stored below its https server; the links that came back
    // over http keep copies below the plain one.
    const std::string secureDir = run.TargetDir() + "127.0.0.1+" + std::to_string(Server->SecurePort()) + "/";
    EXPECT_EQ(FilesBelow(secureDir), Expected());
    EXPECT_NE(ReadWholeFile(secureDir + "based/inner/target.html").find("target"), std::string::npos);
    // Only the redirects went over http, each once.
    std::vector<std::string> plain = PlainRequests();
    EXPECT_FALSE(plain.empty());
    for (const std::string& line : plain) EXPECT_NE(line.find("\" 301 "), std::string::npos) << line;
}

class KeepAliveRunTest : public TFixtureSiteRun, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        Secure = GetParam();
        KeepConnections = true;
        TFixtureSiteRun::SetUp();
        run.Settings.KeepAlive = true;
        run.Project.UseAutentfication = true;
        run.Project.UserName = kFixtureUser;
        run.Project.Password = kFixturePassword;
    }
};

TEST_P(KeepAliveRunTest, EveryFileComesOverFewerConnectionsThanRequests) {
    ASSERT_TRUE(run.RunToEnd(60000));
    std::vector<std::string> files = FixtureExpectedFiles();
    EXPECT_EQ(StoredFiles(), std::set<std::string>(files.begin(), files.end()));
    EXPECT_TRUE(Stored("files/big.bin") == Served("files/big.bin"));
    const int requests = Server->LoggedRequests();
    const int connections = Server->LoggedConnections();
    std::cout << "  " << requests << " requests over " << connections << " connections\n";
    EXPECT_LT(connections * 2, requests);
    EXPECT_EQ(run.Window.LastStats.Remaining, 0);
}

INSTANTIATE_TEST_SUITE_P(Schemes, KeepAliveRunTest, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "Https" : "Http"); });

} // namespace
} // namespace vorlin::test
