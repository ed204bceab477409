// The client over TLS against the scripted TLS server: verification with
// its reasons, the option that accepts any certificate, close_notify and
// cut streams, slow handshakes, resumed sessions, large bodies that arrive
// in many records, tunnels through a proxy, and schemes it must not speak.
#include "net/HttpCli.h"
#include "net/TransportErrors.h"
#include "tests/net/HttpProbe.h"
#include "tests/net/TunnelProxy.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/ServerStream.h"
#include "tests/support/TestCertificates.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace vorlin;
using vorlin::test::PumpUntil;
using vorlin::test::TScript;
using vorlin::test::TScriptedServer;
using vorlin::test::TTestAuthority;
using vorlin::test::TTestCertificate;
using vorlin::test::TTunnelProxy;
using vorlin::test::THttpProbe;

namespace {

const std::string kOk = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 5\r\n\r\nhello";

// A private authority for each test, its certificate in a file of the test's own.
class HttpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = testing::TempDir() + "vorlin-https-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        Dir = pattern;
        CaFile = vorlin::test::WriteTestFile(Dir, "ca.pem", Authority.CertificatePem());
        Good = Authority.Issue({"127.0.0.1", "localhost"});
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }

    void Trust(THttpCli& c) const { c.Tls.CaFile = CaFile; }

    TTestAuthority Authority;
    TTestCertificate Good;
    std::string Dir, CaFile;
};

} // namespace

TEST_F(HttpsTest, AVerifiedServerGetsTheHttp10RequestOverTls) {
    TScriptedServer server(Good);
    server.AddScript(TScript::Reply(kOk));
    THttpProbe c;
    Trust(c);
    c.URL = server.Url("/page.html");
    ASSERT_EQ(c.URL.substr(0, 8), "https://");
    c.Get();
    ASSERT_TRUE(c.WaitDone());
    EXPECT_EQ(c.DoneError, 0) << c.ReasonPhrase();
    EXPECT_EQ(c.StatusCode(), 200);
    EXPECT_EQ(c.Body, "hello");
    EXPECT_EQ(c.Scheme(), "https");
    EXPECT_EQ(c.ConnectPort(), std::to_string(server.Port()));
    // Exactly the plain request, inside TLS.
    EXPECT_EQ(server.Requests()[0],
              "GET /page.html HTTP/1.0\r\n"
              "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
              "User-Agent: Mozilla/3.0 (compatible)\r\n"
              "Host: 127.0.0.1\r\n\r\n");
}

struct TBadCertificate {
    const char* Name;
    int Code;
    const char* Reason;
};

void PrintTo(const TBadCertificate& c, std::ostream* os) { *os << c.Name; }

class HttpsRefusal : public HttpsTest, public ::testing::WithParamInterface<TBadCertificate> {};

TEST_P(HttpsRefusal, IsRefusedWithItsReasonAndAcceptedWhenChecksAreOff) {
    const TBadCertificate& bad = GetParam();
    TTestCertificate certificate;
    const std::string name = bad.Name;
    if (name == "expired")
        certificate = Authority.Issue({"127.0.0.1"}, -30, -1);
    else if (name == "unknown issuer")
        certificate = vorlin::test::SelfSignedCertificate({"127.0.0.1"});
    else if (name == "wrong host")
        certificate = Authority.Issue({"www.example.test"});
    else
        certificate = TTestAuthority().Issue({"127.0.0.1"});  // an authority nobody trusts
    TScriptedServer server(certificate);
    server.AddScript(TScript().ReadRequest().Send(kOk).Close());  // never reached: the client refuses
    server.AddScript(TScript::Reply(kOk));
    THttpProbe c;
    Trust(c);
    c.URL = server.Url("/");
    c.Get();
    ASSERT_TRUE(c.WaitDone());
    EXPECT_EQ(c.DoneError, bad.Code) << c.ReasonPhrase();
    EXPECT_EQ(c.StatusCode(), 404);
    EXPECT_NE(c.ReasonPhrase().find(bad.Reason), std::string::npos) << c.ReasonPhrase();
    EXPECT_NE(c.ReasonPhrase().find("127.0.0.1"), std::string::npos) << c.ReasonPhrase();
    EXPECT_EQ(c.TransportFailure().empty(), false);
    EXPECT_EQ(c.Body, "");

    c.Tls.CheckCertificates = false;
    c.Get();
    ASSERT_TRUE(c.WaitDone(2));
    EXPECT_EQ(c.DoneError, 0) << c.ReasonPhrase();
    EXPECT_EQ(c.Body, "hello");
}

INSTANTIATE_TEST_SUITE_P(
    Certificates, HttpsRefusal,
    ::testing::Values(TBadCertificate{"expired", ERROR_INTERNET_SEC_CERT_DATE_INVALID, "has expired"},
                      TBadCertificate{"unknown issuer", ERROR_INTERNET_INVALID_CA, "unknown authority"},
                      TBadCertificate{"untrusted authority", ERROR_INTERNET_INVALID_CA, "unknown authority"},
                      TBadCertificate{"wrong host", ERROR_INTERNET_SEC_CERT_CN_INVALID, "for another host"}),
    [](const auto& info) {
        std::string name = info.param.Name;
        for (char& ch : name)
            if (ch == ' ') ch = '_';
        return name;
    });

TEST_F(HttpsTest, AStreamCutWithoutCloseNotifyIsNoSuccessUnlessTheLengthWasMet) {
    TScriptedServer server(Good);
    // No length: only close_notify can say the body is whole.
    server.AddScript(TScript().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\nsome of the bo").Cut());
    // The announced length arrived whole: the missing close_notify loses nothing.
    server.AddScript(TScript().ReadRequest().Send(kOk).Cut());
    // A proper end.
    server.AddScript(TScript().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\nall of it").Close());
    THttpProbe c;
    Trust(c);
    c.URL = server.Url("/");
    c.Get();
    ASSERT_TRUE(c.WaitDone());
    EXPECT_EQ(c.DoneError, ERROR_INTERNET_CONNECTION_ABORTED);
    EXPECT_EQ(c.StatusCode(), 200);
    EXPECT_NE(c.TransportFailure().find("without close_notify"), std::string::npos) << c.TransportFailure();
    c.Get();
    ASSERT_TRUE(c.WaitDone(2));
    EXPECT_EQ(c.DoneError, 0);
    c.Body.clear();
    c.Get();
    ASSERT_TRUE(c.WaitDone(3));
    EXPECT_EQ(c.DoneError, 0);
    EXPECT_EQ(c.Body, "all of it");
}

TEST_F(HttpsTest, ASlowHandshakeStillCompletes) {
    TScriptedServer server(Good);
    server.AddScript(TScript().Pause(300).ReadRequest().Send(kOk).Close());
    THttpProbe c;
    Trust(c);
    c.URL = server.Url("/");
    c.Get();
    ASSERT_TRUE(c.WaitDone());
    EXPECT_EQ(c.DoneError, 0) << c.ReasonPhrase();
    EXPECT_EQ(c.Body, "hello");
}

TEST_F(HttpsTest, AnAbortDuringTheHandshakeIsAnAbort) {
    TScriptedServer server(Good);
    server.AddScript(TScript().Pause(2000).ReadRequest().Send(kOk).Close());
    THttpProbe c;
    Trust(c);
    c.URL = server.Url("/");
    c.Get();
    vorlin::test::PumpFor(50);
    ASSERT_EQ(c.State(), THttpCliState::hcResolved);  // connected, waiting for the server's hello
    c.Abort();
    ASSERT_TRUE(c.WaitDone());
    vorlin::test::PumpFor(20);
    EXPECT_EQ(c.Done, 1);
    EXPECT_EQ(c.DoneError, 3);
    EXPECT_EQ(c.ReasonPhrase(), "Connection aborted on request");
}

TEST_F(HttpsTest, AServerThatSpeaksNoTlsFailsTheHandshakeWithAReason) {
    TScriptedServer plain;
    plain.AddScript(TScript().Send("HTTP/1.0 400 Bad Request\r\n\r\n").Close());
    THttpProbe c;
    Trust(c);
    c.URL = "https://127.0.0.1:" + std::to_string(plain.Port()) + "/";
    c.Get();
    ASSERT_TRUE(c.WaitDone());
    EXPECT_EQ(c.DoneError, ERROR_INTERNET_SECURITY_CHANNEL_ERROR) << c.ReasonPhrase();
    EXPECT_NE(c.ReasonPhrase().find("handshake with 127.0.0.1"), std::string::npos) << c.ReasonPhrase();
}

TEST_F(HttpsTest, ALargeBodyInManyRecordsArrivesWhole) {
    std::string body(3 * 1024 * 1024 + 7, 'x');
    for (size_t i = 0; i < body.size(); i += 4093) body[i] = static_cast<char>('a' + i % 26);
    TScriptedServer server(Good);
    server.AddScript(TScript::Reply("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                                    "\r\n\r\n" + body));
    THttpProbe c;
    Trust(c);
    c.URL = server.Url("/big");
    c.Get();
    ASSERT_TRUE(c.WaitDone());
    EXPECT_EQ(c.DoneError, 0);
    EXPECT_EQ(c.ReceivedCount(), static_cast<int64_t>(body.size()));
    EXPECT_TRUE(c.Body == body);
}

TEST_F(HttpsTest, TheNextConnectionToAServerResumesItsSession) {
    TScriptedServer server(Good);
    for (int i = 0; i < 3; ++i) server.AddScript(TScript::Reply(kOk));
    THttpProbe c;
    Trust(c);
    c.URL = server.Url("/");
    for (int i = 1; i <= 3; ++i) {
        c.Get();
        ASSERT_TRUE(c.WaitDone(i));
        EXPECT_EQ(c.DoneError, 0);
    }
    EXPECT_EQ(server.Connections(), 3);
    EXPECT_EQ(server.Tls()->Handshakes(), 3);
    EXPECT_EQ(server.Tls()->Resumed(), 2);
}

TEST_F(HttpsTest, ThroughAProxyATunnelCarriesTheRequestAndHidesTheProxyCredentials) {
    TScriptedServer server(Good);
    server.AddScript(TScript::Reply(kOk));
    TTunnelProxy proxy;
    THttpProbe c;
    Trust(c);
    c.URL = server.Url("/in/tunnel.html");
    c.Proxy = "127.0.0.1";
    c.ProxyPort = std::to_string(proxy.Port());
    c.ProxyUsername = "pu";
    c.ProxyPassword = "pp";
    c.Get();
    ASSERT_TRUE(c.WaitDone());
    EXPECT_EQ(c.DoneError, 0) << c.ReasonPhrase();
    EXPECT_EQ(c.Body, "hello");
    const std::string authority = "127.0.0.1:" + std::to_string(server.Port());
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(proxy.Requests()[0], "CONNECT " + authority + " HTTP/1.1\r\nHost: " + authority +
                                       "\r\nProxy-Authorization: Basic cHU6cHA=\r\n"
                                       "User-Agent: Mozilla/3.0 (compatible)\r\n\r\n");
    const std::string inside = server.Requests()[0];
    EXPECT_EQ(inside.substr(0, inside.find("\r\n")), "GET /in/tunnel.html HTTP/1.0");
    EXPECT_EQ(inside.find("Proxy-Authorization"), std::string::npos);
}

TEST_F(HttpsTest, AProxyThatRefusesTheTunnelIsNamed) {
    TTunnelProxy proxy("HTTP/1.1 407 Proxy Authentication Required\r\nContent-Length: 0\r\n\r\n");
    THttpProbe c;
    Trust(c);
    c.URL = "https://www.example.test/";
    c.Proxy = "127.0.0.1:" + std::to_string(proxy.Port());
    c.Get();
    ASSERT_TRUE(c.WaitDone());
    EXPECT_EQ(c.DoneError, ERROR_INTERNET_CANNOT_CONNECT);
    EXPECT_NE(c.ReasonPhrase().find("refused the tunnel to www.example.test:443"), std::string::npos)
        << c.ReasonPhrase();
    EXPECT_NE(c.ReasonPhrase().find("407"), std::string::npos);
}

TEST_F(HttpsTest, RedirectsCarryTheirSchemeAndAnotherSchemeIsNeverFetchedInClear) {
    TScriptedServer secure(Good);
    secure.AddScript(TScript::Reply("HTTP/1.0 301 Moved\r\nLocation: /final\r\n\r\n"));
    secure.AddScript(TScript::Reply(kOk));
    TScriptedServer plain;
    plain.AddScript(TScript::Reply("HTTP/1.0 301 Moved\r\nLocation: " + secure.Url("/moved") + "\r\n\r\n"));
    plain.AddScript(TScript::Reply("HTTP/1.0 302 Found\r\nLocation: ftp://127.0.0.1:" +
                                   std::to_string(plain.Port()) + "/file\r\n\r\n"));
    THttpProbe c;
    Trust(c);
    c.OnLocationChange = [](THttpCli&, bool& redirect) { redirect = true; };
    c.URL = plain.Url("/start");
    c.Get();
    ASSERT_TRUE(c.WaitDone());
    EXPECT_EQ(c.DoneError, 0) << c.ReasonPhrase();
    EXPECT_EQ(c.Body, "hello");
    EXPECT_EQ(c.Location(), secure.Url("/final"));
    ASSERT_EQ(secure.Requests().size(), 2u);
    EXPECT_EQ(secure.Requests()[1].substr(0, 20), "GET /final HTTP/1.0\r");

    c.URL = plain.Url("/other");
    c.Get();
    ASSERT_TRUE(c.WaitDone(2));
    EXPECT_EQ(c.DoneError, WSAEPROTONOSUPPORT);
    EXPECT_NE(c.ReasonPhrase().find("can't fetch ftp:"), std::string::npos) << c.ReasonPhrase();
    EXPECT_EQ(plain.Connections(), 2);  // nothing went to the ftp address
}
