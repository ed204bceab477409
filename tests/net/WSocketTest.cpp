#include "net/SendBuffer.h"
#include "net/WSocket.h"
#include "platform/Resolver.h"
#include "platform/Ticks.h"
#include "tests/support/LoopHelpers.h"
#include "tests/support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/socket.h>
#include <string>

using namespace vorlin;
using vorlin::test::PumpUntil;
using vorlin::test::TScript;
using vorlin::test::TScriptedServer;

namespace {

// A socket with every event recorded.
struct TProbe {
    TWSocket Socket;
    std::vector<std::string> Events;
    int Closed = 0;
    uint16_t ClosedError = 0;
    int Looked = 0;
    uint16_t LookupError = 0xFFFF;
    bool Connected = false;
    bool InSend = false;
    bool SentDuringSend = false;
    std::string Received;
    int ChunkSize = 4096;

    TProbe() {
        Socket.OnDnsLookupDone = [this](TWSocket&, uint16_t e) {
            ++Looked;
            LookupError = e;
        };
        Socket.OnSessionConnected = [this](TWSocket&, uint16_t e) {
            Events.push_back("connected:" + std::to_string(e));
            Connected = e == 0;
        };
        Socket.OnDataAvailable = [this](TWSocket& s, uint16_t) {
            std::string buf(static_cast<size_t>(ChunkSize), '\0');
            int n = s.Receive(buf.data(), ChunkSize);
            if (n > 0) Received.append(buf.data(), static_cast<size_t>(n));
            if (Closed) Events.push_back("data after close");
        };
        Socket.OnDataSent = [this](TWSocket&, uint16_t) {
            if (InSend) SentDuringSend = true;
            Events.push_back("sent");
        };
        Socket.OnSessionClosed = [this](TWSocket&, uint16_t e) {
            ++Closed;
            ClosedError = e;
            Events.push_back("closed:" + std::to_string(e));
        };
    }

    void ConnectTo(uint16_t port) {
        Socket.SetAddr("127.0.0.1");
        Socket.SetPort(std::to_string(port));
        Socket.SetProto("tcp");
        Socket.Connect();
    }
    int Send(const std::string& data) {
        InSend = true;
        int n = Socket.Send(data.data(), static_cast<int>(data.size()));
        InSend = false;
        return n;
    }
};

std::string Pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
    return s;
}

uint16_t ClosedPort() {
    TScriptedServer probe;
    return probe.Port();  // nothing listens there once it is gone
}

} // namespace

TEST(SendBuffer, BlocksFillDrainAndAreReused) {
    TBuffer b(0);
    EXPECT_EQ(b.BufSize(), 1514);
    std::string big(2000, 'x');
    EXPECT_EQ(b.Write(big.data(), 2000), 1514);
    int len = 0;
    b.Peek(len);
    EXPECT_EQ(len, 1514);
    b.Remove(1000);
    b.Peek(len);
    EXPECT_EQ(len, 514);
    b.Remove(514);
    EXPECT_EQ(b.WrCount(), 0);  // read to the end: reused from the start
    EXPECT_EQ(b.Write("abc", 3), 3);
}

TEST(SocketErrors, TextsAndErrnoMapping) {
    EXPECT_EQ(WSocketErrorDesc(0), "No Error");
    EXPECT_EQ(WSocketErrorDesc(10061), "Connection refused");
    EXPECT_EQ(WSocketErrorDesc(11001), "Host not found");
    EXPECT_EQ(WSocketErrorDesc(12345), "Not a WinSock error");
    EXPECT_EQ(WinsockErrorFromErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(WinsockErrorFromErrno(ETIMEDOUT), 10060);
    EXPECT_EQ(WinsockErrorFromErrno(ECONNRESET), 10054);
    EXPECT_EQ(WinsockErrorFromErrno(EHOSTUNREACH), 10065);
    EXPECT_EQ(WinsockErrorFromErrno(EAGAIN), 10035);
    EXPECT_EQ(WinsockErrorFromErrno(0), 0);
    EXPECT_NE(WinsockErrorFromErrno(EIO), 0);
}

TEST(WSocket, DnsLookupOfADottedAddressAnswersBeforeItReturns) {
    TProbe p;
    p.Socket.DnsLookup("127.1");
    EXPECT_EQ(p.Looked, 1);
    EXPECT_EQ(p.LookupError, 0);
    EXPECT_EQ(p.Socket.DnsResult(), "127.0.0.1");
    EXPECT_EQ(p.Socket.DnsResultList().size(), 1u);
}

// An IPv6 literal, with the brackets a URL gives it or without, is an
// address: no lookup.
TEST(WSocket, DnsLookupOfAnIPv6LiteralAnswersBeforeItReturns) {
    for (const char* host : {"[::1]", "::1", "[0:0::1]"}) {
        TProbe p;
        p.Socket.DnsLookup(host);
        EXPECT_EQ(p.Looked, 1) << host;
        EXPECT_EQ(p.LookupError, 0) << host;
        EXPECT_EQ(p.Socket.DnsResult(), "::1") << host;
    }
}

TEST(WSocket, LookupErrorsCancelAndUnknownHosts) {
    TProbe p;
    EXPECT_THROW(p.Socket.DnsLookup(""), ESocketException);
    EXPECT_EQ(p.Looked, 0);
    bool errorFired = false;
    p.Socket.OnError = [&](TWSocket&) { errorFired = true; };
    p.Socket.DnsLookup("");
    EXPECT_TRUE(errorFired);
    EXPECT_EQ(p.LookupError, 10022);
    p.Socket.OnError = nullptr;

    std::atomic<bool> release{false};
    THostLookup old = SetHostLookup([&](const std::string& host, std::vector<std::string>& out) {
        if (host == "slow.test")
            while (!release) Sleep(1);
        if (host == "two.test") {
            out = {"127.0.0.2", "::1"};
            return 0;
        }
        return 11001;
    });
    p.Looked = 0;
    p.Socket.DnsLookup("slow.test");
    EXPECT_EQ(p.Looked, 0);
    p.Socket.CancelDnsLookup();
    EXPECT_EQ(p.Looked, 1);
    EXPECT_EQ(p.LookupError, 10004);
    release = true;

    p.Socket.DnsLookup("nowhere.test");
    ASSERT_TRUE(PumpUntil([&] { return p.Looked == 2; }));
    EXPECT_EQ(p.LookupError, 11001);
    p.Socket.DnsLookup("two.test");
    ASSERT_TRUE(PumpUntil([&] { return p.Looked == 3; }));
    EXPECT_EQ(p.LookupError, 0);
    EXPECT_EQ(p.Socket.DnsResult(), "127.0.0.2");
    EXPECT_EQ(p.Socket.DnsResultList(), (std::vector<std::string>{"127.0.0.2", "::1"}));
    vorlin::test::PumpFor(20);
    EXPECT_EQ(p.Looked, 3);  // the cancelled lookup never answers
    SetHostLookup(old);
}

TEST(WSocket, ConnectChecksItsPreconditionsInOrder) {
    TProbe p;
    auto message = [&] {
        try {
            p.Socket.Connect();
        } catch (const ESocketException& e) {
            return e.Message();
        }
        return std::string("no error");
    };
    EXPECT_EQ(message(), "Connect: No Port Specified");
    p.Socket.SetPort("80");
    EXPECT_EQ(message(), "Connect: No IP Address Specified");
    p.Socket.SetAddr("127.0.0.1");
    EXPECT_EQ(message(), "Connect: No Protocol Specified");
    p.Socket.SetProto("tcp");
    p.Socket.SetAddr("300.1.1.1");
    EXPECT_EQ(message(), "connect: WSocketResolveHost: '300.1.1.1' Invalid IP address.");
}

TEST(WSocket, StatesAndTheCloseOfAPeerWithDataPending) {
    TScriptedServer server;
    std::string payload = Pattern(100000);
    server.AddScript(TScript().Send(payload).Close());
    TProbe p;
    p.ChunkSize = 700;  // several reads per notification
    std::vector<TSocketState> states;
    p.Socket.OnChangeState = [&](TWSocket&, TSocketState, TSocketState s) { states.push_back(s); };
    p.ConnectTo(server.Port());
    ASSERT_TRUE(PumpUntil([&] { return p.Closed > 0; }));
    EXPECT_EQ(p.Received, payload);
    EXPECT_EQ(p.Closed, 1);
    EXPECT_EQ(p.ClosedError, 0);
    EXPECT_EQ(states.front(), TSocketState::wsOpened);
    EXPECT_EQ(states[1], TSocketState::wsConnecting);
    EXPECT_EQ(states[2], TSocketState::wsConnected);
    EXPECT_EQ(states.back(), TSocketState::wsClosed);
    for (const std::string& e : p.Events) EXPECT_NE(e, "data after close");
    vorlin::test::PumpFor(20);
    EXPECT_EQ(p.Closed, 1);
    // Reset after the close: Addr must be set again.
    p.Socket.SetPort("80");
    p.Socket.SetProto("tcp");
    EXPECT_THROW(
        {
            try {
                p.Socket.Connect();
            } catch (const ESocketException& e) {
                EXPECT_EQ(e.Message(), "Connect: No IP Address Specified");
                throw;
            }
        },
        ESocketException);
}

TEST(WSocket, LargeSendToASlowPeerKeepsEveryByteInOrder) {
    TScriptedServer server;
    server.AddScript(TScript().Pause(200).Silence());
    TProbe p;
    p.ConnectTo(server.Port());
    ASSERT_TRUE(PumpUntil([&] { return p.Connected; }));
    // A small kernel buffer, so that most of the data waits in our blocks.
    int small = 64 * 1024;
    setsockopt(p.Socket.Handle(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    std::string data = Pattern(6 * 1024 * 1024 + 77);
    EXPECT_EQ(p.Send(data), static_cast<int>(data.size()));
    EXPECT_FALSE(p.SentDuringSend);
    EXPECT_GT(p.Socket.BufferedBytes(), 0);  // the peer is not reading yet
    ASSERT_TRUE(PumpUntil([&] { return p.Socket.BufferedBytes() == 0 && p.Events.back() == "sent"; }));
    // Lingering on with a zero time-out closes hard, so let the peer read all first.
    ASSERT_TRUE(PumpUntil([&] { return server.Requests()[0].size() >= data.size(); }));
    p.Socket.Close();
    EXPECT_EQ(p.Closed, 1);
    EXPECT_TRUE(server.Requests()[0] == data);
}

TEST(WSocket, DataSentFiresLaterNeverInsideSend) {
    TScriptedServer server;
    server.AddScript(TScript().Silence());
    TProbe p;
    p.ConnectTo(server.Port());
    ASSERT_TRUE(PumpUntil([&] { return p.Connected; }));
    p.Events.clear();
    p.Send("hello");
    EXPECT_TRUE(p.Events.empty());
    ASSERT_TRUE(PumpUntil([&] { return !p.Events.empty(); }));
    EXPECT_EQ(p.Events[0], "sent");
    EXPECT_FALSE(p.SentDuringSend);
}

TEST(WSocket, SessionClosedOnceForCloseForSendFailureAndForRefusal) {
    {
        TScriptedServer server;
        server.AddScript(TScript().Silence());
        TProbe p;
        p.ConnectTo(server.Port());
        ASSERT_TRUE(PumpUntil([&] { return p.Connected; }));
        p.Socket.Close();
        p.Socket.Close();
        p.Socket.Abort();
        vorlin::test::PumpFor(10);
        EXPECT_EQ(p.Closed, 1);
    }
    {
        TScriptedServer server;
        server.AddScript(TScript().Pause(50).Reset());
        TProbe p;
        p.Socket.OnDataAvailable = nullptr;
        p.ConnectTo(server.Port());
        // A reset can beat the connect notification; then the connect reports it.
        ASSERT_TRUE(PumpUntil([&] { return p.Connected || p.Closed > 0; }));
        // Keep sending into a connection the peer has reset.
        std::string chunk = Pattern(64 * 1024);
        ASSERT_TRUE(PumpUntil([&] {
            if (p.Closed == 0 && p.Socket.State() == TSocketState::wsConnected && p.Socket.BufferedBytes() == 0)
                p.Send(chunk);
            return p.Closed > 0;
        }));
        vorlin::test::PumpFor(20);
        EXPECT_EQ(p.Closed, 1);
        EXPECT_TRUE(p.ClosedError == 10054 || p.ClosedError == 0 || p.ClosedError == 10053) << p.ClosedError;
    }
    {
        TProbe p;
        p.ConnectTo(ClosedPort());
        ASSERT_TRUE(PumpUntil([&] { return p.Closed > 0; }));
        EXPECT_EQ(p.Events.front(), "connected:10061");
        EXPECT_EQ(p.Closed, 1);
        EXPECT_EQ(p.Socket.State(), TSocketState::wsClosed);
    }
}

TEST(WSocket, ErrorRoutineTextAndOnError) {
    TProbe p;
    try {
        p.Socket.Send("x", 1);
        FAIL() << "Send on a closed socket must fail";
    } catch (const ESocketException& e) {
        EXPECT_EQ(e.Message(), "Error 10057 in function Send\r\nSocket is not connected");
    }
    EXPECT_EQ(p.Socket.LastError(), 10057);
    bool fired = false;
    p.Socket.OnError = [&](TWSocket&) { fired = true; };
    EXPECT_EQ(p.Socket.Send("x", 1), -1);
    EXPECT_TRUE(fired);
}

TEST(WSocket, ResolveHelpers) {
    socklen_t len = 0;
    EXPECT_NO_THROW(WSocketResolveHost("255.255.255.255", len));
    EXPECT_THROW(WSocketResolveHost("", len), ESocketException);
    EXPECT_THROW(WSocketResolveHost(std::string(300, 'a'), len), ESocketException);
    EXPECT_EQ(WSocketResolvePort("8080", "tcp"), 8080);
    EXPECT_THROW(WSocketResolvePort("", "tcp"), ESocketException);
    EXPECT_EQ(WSocketResolveProto("tcp"), 6);
    EXPECT_EQ(WSocketResolveProto("6"), 6);
    EXPECT_THROW(WSocketResolveProto(""), ESocketException);
}

TEST(WSocket, AnExceptionFromAHandlerIsReportedAndAbortsTheSocket) {
    TScriptedServer server;
    server.AddScript(TScript().Silence());
    TProbe p;
    p.Socket.OnSessionConnected = [](TWSocket&, uint16_t) { throw Exception("handler failed"); };
    std::string reported;
    p.Socket.OnBgException = [&](TWSocket&, const std::exception& e, bool& canClose) {
        reported = e.what();
        EXPECT_TRUE(canClose);
    };
    p.ConnectTo(server.Port());
    ASSERT_TRUE(PumpUntil([&] { return p.Closed > 0; }));
    EXPECT_EQ(reported, "handler failed");
    EXPECT_EQ(p.Socket.State(), TSocketState::wsClosed);
}
