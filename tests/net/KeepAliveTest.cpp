// Persistent connections against the scripted server: the HTTP/1.1 request,
// bodies framed by length and by chunks, answers without body, the short
// bodies read to keep a connection, connections not kept, a kept connection
// that died meanwhile, aborts that close, and the pool's time-out.
#include "net/ConnectionPool.h"
#include "net/HttpCli.h"
#include "net/TransportErrors.h"
#include "tests/net/HttpProbe.h"
#include "tests/support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vorlin;
using vorlin::test::PumpFor;
using vorlin::test::PumpUntil;
using vorlin::test::THttpProbe;
using vorlin::test::TScript;
using vorlin::test::TScriptedServer;

namespace {

std::string Answer(const std::string& body, const std::string& extra = "") {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n" + extra + "Content-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

// A client with persistent connections and a pool of the test's own.
class KeepAlive : public ::testing::Test {
protected:
    void SetUp() override {
        c.KeepAlive = true;
        c.ConnectionPool = &pool;
    }
    // One GET of path, waited for; answers the body.
    std::string Fetch(const std::string& url) {
        c.Body.clear();
        c.URL = url;
        c.Get();
        EXPECT_TRUE(c.WaitDone(++requests)) << url;
        return c.Body;
    }

    THttpConnectionPool pool;
    THttpProbe c;
    int requests = 0;
};

std::string FirstLine(const std::string& request) { return request.substr(0, request.find("\r\n")); }

int CountOf(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1)) ++n;
    return n;
}

} // namespace

TEST_F(KeepAlive, TwoRequestsShareOneConnectionAndNameThePort) {
    TScriptedServer server;
    server.AddScript(TScript().ReadRequest().Send(Answer("first")).ReadRequest().Send(Answer("second")).Silence());
    EXPECT_EQ(Fetch(server.Url("/a.html")), "first");
    EXPECT_FALSE(c.ConnectionReused());
    EXPECT_EQ(Fetch(server.Url("/b.html")), "second");
    EXPECT_TRUE(c.ConnectionReused());
    EXPECT_EQ(c.DoneError, 0);
    EXPECT_EQ(server.Connections(), 1);
    const std::string sent = server.Requests()[0];
    EXPECT_EQ(sent, "GET /a.html HTTP/1.1\r\n"
                    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
                    "User-Agent: Mozilla/3.0 (compatible)\r\n"
                    "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n\r\n"
                    "GET /b.html HTTP/1.1\r\n"
                    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
                    "User-Agent: Mozilla/3.0 (compatible)\r\n"
                    "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n\r\n");
    EXPECT_EQ(pool.ReuseCount(), 1u);
}

// Each answer's header lines are its own, however many the one before had.
TEST_F(KeepAlive, EachAnswerHoldsItsOwnHeaderLines) {
    TScriptedServer server;
    // More room than is kept from answer to answer: 30 lines of 3,000 bytes.
    std::string manyLines;
    for (int i = 0; i < 30; ++i) manyLines += "X-Many: " + std::string(3000, 'm') + "\r\n";
    server.AddScript(TScript()
                         .ReadRequest().Send(Answer("first", "X-One: 1\r\nX-Two: 2\r\n"))
                         .ReadRequest().Send(Answer("second"))
                         .ReadRequest().Send(Answer("third", manyLines))
                         .ReadRequest().Send(Answer("fourth", "X-Four: 4\r\n"))
                         .Silence());
    auto lines = [&] { return std::vector<std::string>(c.ReceivedHeader().begin(), c.ReceivedHeader().end()); };
    EXPECT_EQ(Fetch(server.Url("/1")), "first");
    EXPECT_EQ(lines(), (std::vector<std::string>{"HTTP/1.1 200 OK", "Content-Type: text/plain", "X-One: 1", "X-Two: 2",
                                                 "Content-Length: 5"}));
    EXPECT_EQ(Fetch(server.Url("/2")), "second");
    EXPECT_EQ(lines(), (std::vector<std::string>{"HTTP/1.1 200 OK", "Content-Type: text/plain", "Content-Length: 6"}));
    EXPECT_EQ(Fetch(server.Url("/3")), "third");
    EXPECT_EQ(lines().size(), 33u);
    EXPECT_EQ(lines()[2], "X-Many: " + std::string(3000, 'm'));
    EXPECT_EQ(Fetch(server.Url("/4")), "fourth");
    EXPECT_EQ(lines(), (std::vector<std::string>{"HTTP/1.1 200 OK", "Content-Type: text/plain", "X-Four: 4",
                                                 "Content-Length: 6"}));
    EXPECT_EQ(server.Connections(), 1);
}

TEST_F(KeepAlive, ChunkedWinsOverALengthAndItsExtensionsAndTrailersAreSkipped) {
    TScriptedServer server;
    server.AddScript(TScript()
                         .ReadRequest()
                         .Send("HTTP/1.1 200 OK\r\nContent-Length: 999\r\nTransfer-Encoding: gzip, Chunked\r\n\r\n"
                               "5;ext=\"v\"\r\nhello\r\n")
                         .Pause(20)
                         .Send("6\r\n world\r\n0;end\r\nX-Checksum: abc\r\n\r\n")
                         .ReadRequest()
                         .Send(Answer("next"))
                         .Silence());
    EXPECT_EQ(Fetch(server.Url("/chunked")), "hello world");
    EXPECT_EQ(c.DoneError, 0);
    EXPECT_EQ(c.BodyFraming(), TBodyFraming::bfChunked);
    EXPECT_EQ(c.ContentLength(), -1);
    EXPECT_EQ(c.ReceivedCount(), 11);
    EXPECT_EQ(c.Events, (std::vector<std::string>{"HeaderBegin", "HeaderEnd", "DocBegin", "DocData", "DocEnd",
                                                  "RequestDone:0"}));
    EXPECT_EQ(Fetch(server.Url("/after")), "next");
    EXPECT_EQ(server.Connections(), 1);
}

TEST_F(KeepAlive, HeadNoContentAndNotModifiedHaveNoBody) {
    TScriptedServer server;
    server.AddScript(TScript()
                         .ReadRequest()
                         .Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n")
                         .ReadRequest()
                         .Send("HTTP/1.1 204 No Content\r\n\r\n")
                         .ReadRequest()
                         .Send("HTTP/1.1 304 Not Modified\r\nContent-Length: 100\r\n\r\n")
                         .ReadRequest()
                         .Send("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Early Hints\r\nLink: </s.css>\r\n\r\n" +
                               Answer("final"))
                         .Silence());
    c.URL = server.Url("/head");
    c.Head();
    ASSERT_TRUE(c.WaitDone(++requests));
    EXPECT_EQ(c.ContentLength(), 100);
    EXPECT_EQ(c.DoneError, 0);
    EXPECT_EQ(Fetch(server.Url("/empty")), "");
    EXPECT_EQ(c.StatusCode(), 204);
    // The run ends a 304 with Abort from its header handler: the connection stays.
    c.OnHeaderEnd = [](THttpCli& s) {
        if (s.StatusCode() == 304) s.Abort();
    };
    EXPECT_EQ(Fetch(server.Url("/unchanged")), "");
    EXPECT_EQ(c.StatusCode(), 404);  // aborted on request
    EXPECT_EQ(Fetch(server.Url("/interim")), "final");
    EXPECT_EQ(c.StatusCode(), 200);
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_EQ(CountOf(server.Requests()[0], "HTTP/1.1\r\n"), 4);
}

TEST_F(KeepAlive, ShortErrorAndRedirectBodiesAreReadSoTheConnectionCarriesOn) {
    TScriptedServer server;
    server.AddScript(TScript()
                         .ReadRequest()
                         .Send("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found")
                         .ReadRequest()
                         .Send("HTTP/1.1 301 Moved\r\nLocation: /target\r\nTransfer-Encoding: chunked\r\n\r\n"
                               "4\r\nmove\r\n0\r\n\r\n")
                         .ReadRequest()
                         .Send(Answer("arrived"))
                         .Silence());
    EXPECT_EQ(Fetch(server.Url("/missing")), "");
    EXPECT_EQ(c.StatusCode(), 404);
    EXPECT_EQ(c.DoneError, 0);
    c.OnLocationChange = [](THttpCli&, bool& redirect) { redirect = true; };
    EXPECT_EQ(Fetch(server.Url("/old")), "arrived");
    EXPECT_EQ(c.Done, 2);
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_EQ(FirstLine(server.Requests()[0].substr(server.Requests()[0].rfind("GET "))), "GET /target HTTP/1.1");
}

TEST_F(KeepAlive, ConnectionsThatTheAnswerDoesNotAllowAreNotKept) {
    TScriptedServer server;
    // Says close; an HTTP/1.0 answer without keep-alive; no length at all;
    // more bytes than its length: none of these connections may carry more.
    server.AddScript(TScript::Reply(Answer("one", "Connection: close\r\n")));
    server.AddScript(TScript::Reply("HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\ntwo"));
    server.AddScript(TScript::Reply("HTTP/1.1 200 OK\r\n\r\nthree"));
    server.AddScript(TScript().ReadRequest().Send(Answer("four") + "junk").Silence());
    server.AddScript(TScript().ReadRequest().Send("HTTP/1.0 200 OK\r\nConnection: Keep-Alive\r\nContent-Length: 4\r\n"
                                                  "\r\nfive")
                         .ReadRequest()
                         .Send(Answer("six"))
                         .Silence());
    EXPECT_EQ(Fetch(server.Url("/1")), "one");
    EXPECT_EQ(Fetch(server.Url("/2")), "two");
    EXPECT_EQ(Fetch(server.Url("/3")), "three");
    EXPECT_EQ(Fetch(server.Url("/4")), "four");
    EXPECT_EQ(Fetch(server.Url("/5")), "five");
    EXPECT_EQ(Fetch(server.Url("/6")), "six");
    EXPECT_EQ(server.Connections(), 5);
}

TEST_F(KeepAlive, AKeptConnectionThatDiedBeforeTheAnswerIsReplacedOnce) {
    TScriptedServer server;
    // The server reads the second request and closes without a byte.
    server.AddScript(TScript().ReadRequest().Send(Answer("first")).ReadRequest().Close());
    server.AddScript(TScript().ReadRequest().Send(Answer("again")).ReadRequest().Close());
    server.AddScript(TScript().ReadRequest().Close());
    EXPECT_EQ(Fetch(server.Url("/1")), "first");
    EXPECT_EQ(Fetch(server.Url("/2")), "again");
    EXPECT_EQ(c.DoneError, 0);
    EXPECT_EQ(c.Done, 2);  // one request, one done, although sent twice
    EXPECT_EQ(server.Connections(), 2);
    // The fresh connection dies as well: no third try, the empty answer stands.
    EXPECT_EQ(Fetch(server.Url("/3")), "");
    EXPECT_EQ(c.StatusCode(), 0);
    EXPECT_EQ(server.Connections(), 3);
    PumpFor(30);
    EXPECT_EQ(server.Connections(), 3);
}

TEST_F(KeepAlive, AnAbortedBodyClosesItsConnection) {
    TScriptedServer server;
    server.AddScript(TScript().ReadRequest().Send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\npart").Silence());
    server.AddScript(TScript().ReadRequest().Send(Answer("fresh")).Close());
    c.URL = server.Url("/long");
    c.Get();
    ASSERT_TRUE(PumpUntil([&] { return c.Body == "part"; }));
    c.Abort();
    ASSERT_TRUE(c.WaitDone(++requests));
    EXPECT_EQ(c.DoneError, 3);
    EXPECT_EQ(pool.IdleCount(), 0u);
    EXPECT_EQ(Fetch(server.Url("/next")), "fresh");
    EXPECT_EQ(server.Connections(), 2);
    // The first connection's silence ends: the client has closed it.
    EXPECT_TRUE(PumpUntil([&] { return server.Idle(); }, 3000));
}

TEST_F(KeepAlive, ABodyCutBeforeItsLastChunkOrABrokenChunkIsNoSuccess) {
    TScriptedServer server;
    server.AddScript(TScript().ReadRequest().Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhel").Close());
    server.AddScript(TScript().ReadRequest().Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n").Silence());
    Fetch(server.Url("/cut"));
    EXPECT_EQ(c.DoneError, WSAECONNABORTED);
    Fetch(server.Url("/broken"));
    EXPECT_EQ(c.DoneError, ERROR_HTTP_INVALID_SERVER_RESPONSE);
    EXPECT_NE(c.TransportFailure().find("chunked"), std::string::npos);
    EXPECT_EQ(pool.IdleCount(), 0u);
}

TEST(KeepAlivePool, IdleConnectionsAreClosedWhenTheServerClosesAndAfterTheTimeOut) {
    TScriptedServer server;
    server.AddScript(TScript()
                         .ReadRequest()
                         .Send(Answer("first"))
                         .ReadRequest()
                         .Send(Answer("closed soon"))
                         .Pause(50)
                         .Close());
    server.AddScript(TScript().ReadRequest().Send(Answer("idle")).Silence());
    THttpConnectionPool pool(200);
    THttpProbe a, b;
    for (THttpProbe* p : {&a, &b}) {
        p->KeepAlive = true;
        p->ConnectionPool = &pool;
        p->URL = server.Url("/");
    }
    a.Get();
    ASSERT_TRUE(a.WaitDone());
    b.Get();  // a's connection waits in the pool: b takes it
    ASSERT_TRUE(b.WaitDone());
    EXPECT_TRUE(b.ConnectionReused());
    EXPECT_EQ(b.Body, "closed soon");
    EXPECT_EQ(pool.IdleCount(), 1u);
    // The server closes it while it waits.
    EXPECT_TRUE(PumpUntil([&] { return pool.IdleCount() == 0; }, 3000));
    a.Get();
    ASSERT_TRUE(a.WaitDone(2));
    EXPECT_FALSE(a.ConnectionReused());
    EXPECT_EQ(pool.IdleCount(), 1u);
    // Nobody asks for it: the time-out closes it, and the server sees the close.
    EXPECT_TRUE(PumpUntil([&] { return pool.IdleCount() == 0 && server.Idle(); }, 3000));
    EXPECT_EQ(server.Connections(), 2);
}

TEST(KeepAliveOff, TheRequestStaysHttp10AndTheCloseEndsTheBody) {
    TScriptedServer server;
    // An HTTP/1.0 client waits for the close, whatever the length says.
    server.AddScript(TScript().ReadRequest().Send(Answer("one")).Pause(50).Close());
    THttpProbe c;
    c.URL = server.Url("/x");
    c.Get();
    ASSERT_TRUE(c.WaitDone());
    EXPECT_EQ(c.Body, "one");
    EXPECT_EQ(c.BodyFraming(), TBodyFraming::bfUntilClose);
    EXPECT_EQ(FirstLine(server.Requests()[0]), "GET /x HTTP/1.0");
    EXPECT_NE(server.Requests()[0].find("Host: 127.0.0.1\r\n"), std::string::npos);
}
