// `vorlin get` of an https site on nginx: refused with its reason while the
// certificate's authority is unknown, trusted with --ca-certificate,
// accepted with --no-check-certificate, and with --keep-alive; the options
// stay in the settings file for the next run.
#include "tests/e2e/support/FixtureSite.h"
#include "tests/e2e/support/NginxServer.h"
#include "tests/e2e/support/Program.h"
#include "tests/e2e/support/SiteRun.h"
#include "tests/support/TestCertificates.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vorlin::test {
namespace {

namespace fs = std::filesystem;

class HttpsProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!NginxAvailable()) GTEST_SKIP() << "nginx is not installed";
        char pattern[] = "/tmp/vorlin-e2e-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        FDir = pattern;
        const std::string site = FDir + "/served";
        TTestCertificate certificate = FAuthority.Issue({"127.0.0.1"});
        TNginxOptions options;
        options.ServerConfig = FixtureServerConfig(site);
        options.CertificateFile = WriteTestFile(FDir + "/tls", "server.pem", certificate.CertificatePem);
        options.KeyFile = WriteTestFile(FDir + "/tls", "server.key", certificate.KeyPem);
        options.KeepAlive = true;
        FCaFile = WriteTestFile(FDir + "/tls", "ca.pem", FAuthority.CertificatePem());
        FServer = std::make_unique<TNginxServer>(site, options);
        WriteFixtureSite(site, FServer->SecurePort(), "https");
    }
    void TearDown() override {
        FServer.reset();
        std::error_code ec;
        if (!FDir.empty()) fs::remove_all(FDir, ec);
    }
    TProgramResult Get(std::vector<std::string> extra, const std::string& copy) {
        std::vector<std::string> args = {"get", "--home", FDir + "/home", "-q", "-c", "4", "--user", kFixtureUser,
                                         "--password", kFixturePassword};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(FServer->SecureBaseURL());
        args.push_back(FDir + "/" + copy);
        return RunProgram(VORLIN_BINARY, args);
    }
    std::set<std::string> Stored(const std::string& copy) const {
        return FilesBelow(FDir + "/" + copy + "/127.0.0.1+" + std::to_string(FServer->SecurePort()) + "/");
    }

    TTestAuthority FAuthority;
    std::string FDir, FCaFile;
    std::unique_ptr<TNginxServer> FServer;
};

TEST_F(HttpsProgramTest, UnknownAuthorityIsRefusedTrustedOrAccepted) {
    TProgramResult refused = Get({}, "refused");
    EXPECT_EQ(refused.Status, 1);
    EXPECT_NE(refused.Err.find("TLS: the certificate of 127.0.0.1 was issued by an unknown authority"),
              std::string::npos)
        << refused.Err;
    EXPECT_TRUE(Stored("refused").empty());

    TProgramResult trusted = Get({"--ca-certificate", FCaFile}, "trusted");
    EXPECT_EQ(trusted.Status, 0) << trusted.Err;
    EXPECT_TRUE(Stored("trusted").count("files/big.bin"));
    EXPECT_TRUE(Stored("trusted").count("private/secret.html"));

    // The authority is remembered in the settings: no longer given, still trusted.
    TProgramResult again = Get({}, "again");
    EXPECT_EQ(again.Status, 0) << again.Err;

    TProgramResult accepted = Get({"--ca-certificate=", "--no-check-certificate", "--keep-alive", "-m", "mirror"},
                                  "accepted");
    EXPECT_EQ(accepted.Status, 0) << accepted.Err;
    EXPECT_EQ(Stored("accepted"), Stored("trusted"));
    const std::string ini = ReadWholeFile(FDir + "/home/HttpVorlin.ini");
    EXPECT_NE(ini.find("[Network]\nLowSpeedLimit=1024\nLowSpeedTime=60\nCheckCertificates=0\nCaCertificates=\nKeepAlive=1\n"), std::string::npos) << ini;
    EXPECT_LT(FServer->LoggedConnections(), FServer->LoggedRequests());
}

} // namespace
} // namespace vorlin::test
