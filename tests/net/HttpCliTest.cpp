// The client against the scripted server: request bytes, responses,
// redirects, aborts and failures.
#include "net/HttpCli.h"
#include "platform/DateTime.h"
#include "platform/Resolver.h"
#include "platform/Ticks.h"
#include "tests/net/HttpProbe.h"
#include "tests/support/ScriptedServer.h"

#include <gtest/gtest.h>

using namespace vorlin;
using vorlin::test::PumpFor;
using vorlin::test::PumpUntil;
using vorlin::test::THttpProbe;
using vorlin::test::TScript;
using vorlin::test::TScriptedServer;

namespace {

const std::string kAccept = "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n";
const std::string kAgent = "User-Agent: Mozilla/3.0 (compatible)\r\n";
const std::string kOk = "HTTP/1.0 200 OK\r\nContent-Type: Text/HTML\r\nContent-Length: 5\r\n\r\nhello";

std::string HostPort(const TScriptedServer& s) { return "127.0.0.1:" + std::to_string(s.Port()); }

} // namespace

TEST(HttpCliRequest, DefaultRequestWithCredentialsFromTheUrl) {
    TScriptedServer server;
    server.AddScript(TScript::Reply(kOk));
    THttpProbe c;
    c.URL = "http://joe:secret@" + HostPort(server);
    c.Get();
    ASSERT_TRUE(c.WaitDone());
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], "GET / HTTP/1.0\r\n" + kAccept + kAgent +
                                        "Host: 127.0.0.1\r\n"
                                        "Authorization: Basic am9lOnNlY3JldA==\r\n\r\n");
    EXPECT_EQ(c.DocumentName(), "document.htm");
    EXPECT_EQ(c.Username, "joe");
    EXPECT_EQ(c.Password, "secret");
    EXPECT_EQ(c.DoneKind, THttpRequest::hrGet);
    EXPECT_EQ(c.DoneError, 0);
    EXPECT_EQ(c.StateAtDone, THttpCliState::hcIdle);
}

TEST(HttpCliRequest, EveryOptionalLineInOrderAndTheRangeForOneRequestOnly) {
    TScriptedServer server;
    server.AddScript(TScript::Reply(kOk));
    server.AddScript(TScript::Reply(kOk));
    THttpProbe c;
    c.URL = "http://" + HostPort(server) + "/dir/page.html?x=1";
    c.Sender = "me@example.test";
    c.Reference = "http://ref.test/";
    c.NoCache = true;
    c.ModifiedSince = EncodeDate(1994, 11, 6) + EncodeTime(8, 49, 37, 0);
    c.Username = "u";
    c.Cookie = "a=b";
    c.ContentRangeBegin = "100";
    c.OnCommand = [](THttpCli&, std::string& line) {
        if (line.rfind("Cookie:", 0) == 0) line += "; c=d";
    };
    c.Head();
    ASSERT_TRUE(c.WaitDone());
    EXPECT_EQ(server.Requests()[0], "HEAD /dir/page.html?x=1 HTTP/1.0\r\n"
                                    "From: me@example.test\r\n" +
                                        kAccept + "Referer: http://ref.test/\r\n" + kAgent +
                                        "Host: 127.0.0.1\r\n"
                                        "Pragma: no-cache\r\n"
                                        "If-Modified-Since: Sun, 06 Nov 1994 08:49:37 GMT\r\n"
                                        "Authorization: Basic dTo=\r\n"
                                        "Cookie: a=b; c=d\r\n"
                                        "Range: bytes=100-\r\n\r\n");
    EXPECT_EQ(c.DocumentName(), "page.html");
    EXPECT_EQ(c.DoneKind, THttpRequest::hrHead);
    EXPECT_TRUE(c.ContentRangeBegin.empty());
    c.Get();
    ASSERT_TRUE(c.WaitDone(2));
    EXPECT_EQ(server.Requests()[1].find("Range:"), std::string::npos);
}

TEST(HttpCliRequest, ThroughAProxyTheRequestLineCarriesTheAbsoluteUrl) {
    TScriptedServer proxy;
    proxy.AddScript(TScript::Reply(kOk));
    THttpProbe c;
    c.URL = "http://www.example.test:8080/a/b.gif";
    c.Proxy = "127.0.0.1";
    c.ProxyPort = std::to_string(proxy.Port());
    c.ProxyUsername = "pu";
    c.ProxyPassword = "pp";
    c.Agent.clear();
    c.Accept.clear();
    c.Get();  // no name lookup for the server: only the proxy is connected
    ASSERT_TRUE(c.WaitDone());
    EXPECT_EQ(c.ConnectHost(), "127.0.0.1");
    EXPECT_EQ(proxy.Requests()[0], "GET http://www.example.test:8080/a/b.gif HTTP/1.0\r\n"
                                   "Host: www.example.test\r\n"
                                   "Proxy-Authorization: Basic cHU6cHA=\r\n\r\n");
}

TEST(HttpCliResponse, HeaderAndBodyEventsInOrder) {
    TScriptedServer server;
    server.AddScript(TScript().ReadRequest().Send("HTTP/1.1 200 OK\r\nContent-Type: Text/HTML; charset=x\r\n"
                                                  "Content-Length: 11\r\nAccept-Ranges: bytes\r\n\r\nhello")
                         .Pause(30)
                         .Send(" world")
                         .Close());
    THttpProbe c;
    c.URL = server.Url("/x.exe");
    c.Get();
    ASSERT_TRUE(c.WaitDone());
    EXPECT_EQ(c.Events, (std::vector<std::string>{"HeaderBegin", "HeaderEnd", "DocBegin", "DocData", "DocEnd",
                                                  "RequestDone:0"}));
    EXPECT_EQ(c.Body, "hello world");
    EXPECT_EQ(c.Stream.ToString(), "hello world");
    EXPECT_EQ(c.StatusCode(), 200);
    EXPECT_EQ(c.ReasonPhrase(), "OK");
    EXPECT_EQ(c.ContentLength(), 11);
    EXPECT_EQ(c.ContentType(), "text/html; charset=x");
    EXPECT_EQ(c.AcceptRanges(), "bytes");
    EXPECT_EQ(c.ReceivedCount(), 11);
    EXPECT_EQ(c.ReceivedHeader().size(), 4u);
    EXPECT_EQ(c.DocumentName(), "x.exe");  // only text/html renames
}

TEST(HttpCliResponse, PartialContentRangeIsKeptForTheNextRequest) {
    TScriptedServer server;
    server.AddScript(TScript::Reply("HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 100-199/1000\r\n\r\nx"));
    server.AddScript(TScript::Reply(kOk));
    THttpProbe c;
    c.URL = server.Url("/f");
    c.Get();
    ASSERT_TRUE(c.WaitDone());
    EXPECT_EQ(c.StatusCode(), 206);
    EXPECT_EQ(c.ContentRangeBegin, "100");
    EXPECT_EQ(c.ContentRangeEnd, "199");
    c.Get();
    ASSERT_TRUE(c.WaitDone(2));
    EXPECT_NE(server.Requests()[1].find("Range: bytes=100-199\r\n"), std::string::npos);
}

TEST(HttpCliResponse, AnErrorStatusEndsAfterItsHeaderWithoutReadingTheBody) {
    TScriptedServer server;
    server.AddScript(TScript()
                         .ReadRequest()
                         .Send("HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Basic Realm=\"zone\"\r\n\r\nbody")
                         .Silence());
    THttpProbe c;
    c.URL = server.Url("/secret");
    c.Get();
    ASSERT_TRUE(c.WaitDone());
    EXPECT_EQ(c.StatusCode(), 401);
    EXPECT_EQ(c.DoneError, 0);
    EXPECT_EQ(c.AuthenticateHeaders(), (std::vector<std::string>{"Basic Realm=\"zone\""}));
    EXPECT_EQ(c.Body, "");
    EXPECT_EQ(c.Events, (std::vector<std::string>{"HeaderBegin", "HeaderEnd", "RequestDone:0"}));
}

TEST(HttpCliResponse, EmptyAnswerAndAnswerWithoutBody) {
    TScriptedServer server;
    server.AddScript(TScript().ReadRequest().Close());
    server.AddScript(TScript::Reply("HTTP/1.0 204 No Content\r\n\r\n"));
    THttpProbe c;
    c.URL = server.Url("/");
    c.Get();
    ASSERT_TRUE(c.WaitDone());
    EXPECT_EQ(c.StatusCode(), 0);
    EXPECT_EQ(c.DoneError, 0);
    c.Get();
    ASSERT_TRUE(c.WaitDone(2));
    EXPECT_EQ(c.StatusCode(), 204);
    EXPECT_EQ(std::count(c.Events.begin(), c.Events.end(), "DocBegin"), 0);
}

TEST(HttpCliResponse, NextRequestMayStartFromRequestDone) {
    TScriptedServer server;
    for (int i = 0; i < 3; ++i) server.AddScript(TScript::Reply(kOk));
    THttpProbe c;
    c.URL = server.Url("/");
    auto record = c.OnRequestDone;
    c.OnRequestDone = [&](THttpCli& s, THttpRequest k, uint16_t e) {
        record(s, k, e);
        if (c.Done < 3) s.Get();
    };
    c.Get();
    ASSERT_TRUE(c.WaitDone(3));
    EXPECT_EQ(server.Connections(), 3);
    EXPECT_EQ(c.Body, "hellohellohello");
}

TEST(HttpCliRedirect, WithoutHandlerTheRedirectIsNotFollowed) {
    TScriptedServer server;
    server.AddScript(TScript::Reply("HTTP/1.0 302 Found\r\nLocation: /next\r\n\r\nignored body"));
    THttpProbe c;
    c.URL = server.Url("/start");
    c.Get();
    ASSERT_TRUE(c.WaitDone());
    PumpFor(20);
    EXPECT_EQ(c.Done, 1);
    EXPECT_EQ(c.DoneError, 3);
    EXPECT_EQ(c.StatusCode(), 404);
    EXPECT_EQ(c.ReasonPhrase(), "Connection aborted on request");
    EXPECT_EQ(c.Location(), server.Url("/next"));
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_EQ(c.Body, "");
}

TEST(HttpCliRedirect, AHandlerThatAnswersTrueFollowsWithOneRequestDone) {
    TScriptedServer server;
    std::string absolute = server.Url("/third");
    server.AddScript(TScript::Reply("HTTP/1.0 301 Moved\r\nLocation: /second\r\n\r\n"));
    server.AddScript(TScript::Reply("HTTP/1.0 302 Found\r\nLocation: " + absolute + "\r\n\r\n"));
    server.AddScript(TScript::Reply("HTTP/1.0 302 Found\r\nLocation: fourth.html\r\n\r\n"));
    server.AddScript(TScript::Reply(kOk));
    THttpProbe c;
    int changes = 0;
    c.OnLocationChange = [&](THttpCli&, bool& redirect) {
        ++changes;
        redirect = true;
    };
    c.URL = server.Url("/first");
    c.Get();
    ASSERT_TRUE(c.WaitDone());
    PumpFor(20);
    EXPECT_EQ(c.Done, 1);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(c.StatusCode(), 200);
    EXPECT_EQ(c.Body, "hello");
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[1].substr(0, 24), "GET /second HTTP/1.0\r\nAc");
    EXPECT_EQ(requests[2].substr(0, 21), "GET /third HTTP/1.0\r\n");
    // A bare file name is sent as an absolute URL.
    EXPECT_EQ(requests[3].substr(0, requests[3].find("\r\n")), "GET " + server.Url("/fourth.html") + " HTTP/1.0");
    EXPECT_EQ(c.Location(), server.Url("/fourth.html"));
}

TEST(HttpCliAbort, InEveryStateExactlyOneRequestDoneWithError3) {
    THostLookup old = SetHostLookup([](const std::string&, std::vector<std::string>&) {
        Sleep(50);
        return 11001;
    });
    auto expectAborted = [](THttpProbe& c) {
        PumpFor(30);
        EXPECT_EQ(c.Done, 1);
        EXPECT_EQ(c.DoneError, 3);
        EXPECT_EQ(c.StatusCode(), 404);
        EXPECT_EQ(c.ReasonPhrase(), "Connection aborted on request");
        EXPECT_EQ(c.State(), THttpCliState::hcIdle);
    };
    {
        THttpProbe c;
        c.Abort();  // idle: nothing reported
        PumpFor(10);
        EXPECT_EQ(c.Done, 0);
    }
    {
        THttpProbe c;
        c.URL = "http://slow.test/";
        c.Get();
        EXPECT_EQ(c.State(), THttpCliState::hcResolving);
        c.Abort();
        expectAborted(c);
    }
    TScriptedServer server;
    server.AddScript(TScript().ReadRequest().Silence());
    server.AddScript(TScript().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\npart").Silence());
    server.AddScript(TScript().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\n").Silence());
    {
        THttpProbe c;
        c.URL = server.Url("/");
        c.Get();
        ASSERT_TRUE(PumpUntil([&] { return c.State() == THttpCliState::hcReadingHeader; }));
        c.Abort();
        expectAborted(c);
    }
    {
        THttpProbe c;
        c.URL = server.Url("/");
        c.Get();
        ASSERT_TRUE(PumpUntil([&] { return c.Body == "part"; }));
        c.Abort();
        expectAborted(c);
        EXPECT_EQ(c.Events.back(), "RequestDone:3");
    }
    {
        // Aborted from inside its own header handler, as the run does for a 304.
        THttpProbe c;
        c.OnHeaderEnd = [](THttpCli& s) { s.Abort(); };
        c.URL = server.Url("/");
        c.Get();
        ASSERT_TRUE(c.WaitDone());
        expectAborted(c);
    }
    SetHostLookup(old);
}

TEST(HttpCliFailure, RefusedUnknownHostResetAndBusy) {
    uint16_t closedPort;
    {
        TScriptedServer gone;
        closedPort = gone.Port();
    }
    THttpProbe c;
    c.URL = "http://127.0.0.1:" + std::to_string(closedPort) + "/";
    c.Get();
    EXPECT_THROW(c.Get(), EHttpException);
    ASSERT_TRUE(c.WaitDone());
    EXPECT_EQ(c.DoneError, 10061);
    EXPECT_EQ(c.StatusCode(), 404);
    EXPECT_NE(c.ReasonPhrase().find("Connection refused (Error #10061)"), std::string::npos) << c.ReasonPhrase();

    THostLookup old = SetHostLookup([](const std::string&, std::vector<std::string>&) { return 11001; });
    c.URL = "http://no-such-host.test/";
    c.Get();
    ASSERT_TRUE(c.WaitDone(2));
    EXPECT_EQ(c.DoneError, 11001);
    EXPECT_EQ(c.ReasonPhrase(), "can't resolve hostname to IP address");
    SetHostLookup(old);

    TScriptedServer server;
    server.AddScript(TScript().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\nsome of the bo").Pause(20).Reset());
    c.URL = server.Url("/");
    c.Get();
    ASSERT_TRUE(c.WaitDone(3));
    EXPECT_EQ(c.StatusCode(), 200);
    EXPECT_EQ(c.DoneError, 10054);  // a cut body is not a success
}

TEST(HttpCliFailure, BadInputNeverHangsTheClient) {
    TScriptedServer server;
    server.AddScript(TScript::Reply("HTTP/1.1 2x0 Broken\r\nContent-Length: lots\r\n\r\nbody"));
    server.AddScript(TScript::Reply("HTTP/1.0 200 OK\r\nX-Long: " + std::string(9000, 'a') + "\r\n\r\nbody"));
    std::string flood = "HTTP/1.0 200 OK\r\n";
    for (int i = 0; i < 20000; ++i) flood += "X-" + std::to_string(i) + ": v\r\n";
    server.AddScript(TScript::Reply(flood + "\r\nbody"));
    THttpProbe c;
    c.URL = server.Url("/");
    for (int i = 1; i <= 3; ++i) {
        c.Get();
        ASSERT_TRUE(c.WaitDone(i)) << "request " << i;
        EXPECT_EQ(c.DoneError, 0);
    }
    EXPECT_LE(c.ReceivedHeader().size(), THttpCli::kMaxKeptHeaderLines);
}
