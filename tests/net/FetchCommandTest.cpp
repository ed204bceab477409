// `vorlin fetch` as a user runs it, against the scripted server.
#include "tests/support/ScriptedServer.h"
#include "tests/support/TestCertificates.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

using vorlin::test::TScript;
using vorlin::test::TScriptedServer;
using vorlin::test::TTestAuthority;

namespace {

struct TRun {
    int Status = -1;
    std::string Out, Err;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TRun Fetch(const std::string& arguments) {
    // Test cases run as parallel processes: each uses files of its own.
    std::string stem = testing::TempDir() + "/vorlin-fetch-" + std::to_string(getpid());
    std::string out = stem + ".out", err = stem + ".err";
    std::string command = std::string(VORLIN_BINARY) + " fetch " + arguments + " >" + out + " 2>" + err;
    TRun r;
    int rc = std::system(command.c_str());
    r.Status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.Out = ReadFile(out);
    r.Err = ReadFile(err);
    std::remove(out.c_str());
    std::remove(err.c_str());
    return r;
}

} // namespace

TEST(FetchCommand, PrintsTheHeaderFollowsRedirectsAndWritesTheBody) {
    TScriptedServer server;
    server.AddScript(TScript::Reply("HTTP/1.0 302 Found\r\nLocation: /there\r\n\r\n"));
    server.AddScript(TScript::Reply("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nthe body"));
    TRun r = Fetch("--user-agent Probe/1 " + server.Url("/here"));
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "the body");
    EXPECT_NE(r.Err.find("HTTP/1.0 302 Found\nLocation: /there\n"), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find("HTTP/1.0 200 OK\nContent-Type: text/plain\n"), std::string::npos) << r.Err;
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_NE(server.Requests()[1].find("GET /there HTTP/1.0\r\n"), std::string::npos);
    EXPECT_NE(server.Requests()[1].find("User-Agent: Probe/1\r\n"), std::string::npos);
}

TEST(FetchCommand, HeadToAFileAndAnErrorStatusStillExitZero) {
    TScriptedServer server;
    server.AddScript(TScript::Reply("HTTP/1.0 404 Not Found\r\n\r\n"));
    server.AddScript(TScript::Reply("HTTP/1.0 200 OK\r\n\r\nstored"));
    TRun r = Fetch("--head " + server.Url("/missing"));
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(server.Requests()[0].rfind("HEAD /missing HTTP/1.0\r\n", 0), 0u);
    std::string file = testing::TempDir() + "/vorlin-fetched-" + std::to_string(getpid()) + ".bin";
    r = Fetch("-o " + file + " " + server.Url("/f"));
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(ReadFile(file), "stored");
    std::remove(file.c_str());
}

TEST(FetchCommand, FailuresExitOneWithTheReason) {
    uint16_t closedPort;
    {
        TScriptedServer gone;
        closedPort = gone.Port();
    }
    TRun r = Fetch("http://127.0.0.1:" + std::to_string(closedPort) + "/");
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("Connection refused (Error #10061)"), std::string::npos) << r.Err;

    TScriptedServer loop;
    for (int i = 0; i < 12; ++i) loop.AddScript(TScript::Reply("HTTP/1.0 302 Found\r\nLocation: /again\r\n\r\n"));
    r = Fetch(loop.Url("/"));
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("more than 10 redirects"), std::string::npos) << r.Err;
    EXPECT_EQ(loop.Connections(), 11);
    EXPECT_EQ(Fetch("").Status, 2);
}

TEST(FetchCommand, HttpsSpeaksTlsAndNoSchemeIsFetchedInClear) {
    TTestAuthority authority;
    TScriptedServer server(authority.Issue({"127.0.0.1"}));
    server.AddScript(TScript::Reply("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nsecret body"));
    server.AddScript(TScript::Reply("HTTP/1.0 200 OK\r\n\r\nnever sent"));
    std::string ca = vorlin::test::WriteTestFile(testing::TempDir() + "vorlin-fetch-ca-" + std::to_string(getpid()),
                                                 "ca.pem", authority.CertificatePem());
    TRun r = Fetch("--ca-certificate " + ca + " " + server.Url("/s"));
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "secret body");
    EXPECT_EQ(server.Requests()[0].rfind("GET /s HTTP/1.0\r\n", 0), 0u);
    // Unknown authority: refused with its reason.
    r = Fetch(server.Url("/s"));
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("unknown authority"), std::string::npos) << r.Err;
    std::remove(ca.c_str());

    TScriptedServer plain;
    plain.AddScript(TScript::Reply("HTTP/1.0 200 OK\r\n\r\nclear"));
    r = Fetch("ftp://127.0.0.1:" + std::to_string(plain.Port()) + "/file");
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("Protocol not supported (Error #10043)"), std::string::npos) << r.Err;
    EXPECT_EQ(plain.Connections(), 0);
}
