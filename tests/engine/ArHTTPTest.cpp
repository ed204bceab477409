#include "engine/ArHTTP.h"
#include "engine/RunTexts.h"
#include "platform/DateTime.h"
#include "platform/MessageQueue.h"
#include "platform/Stream.h"
#include "tests/support/LoopHelpers.h"
#include "tests/support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace vorlin;
using vorlin::test::PumpUntil;
using vorlin::test::TScript;
using vorlin::test::TScriptedServer;

namespace {

struct TFakeRun : IFetchOwner {
    std::vector<std::string> Log, Errors;
    void PostLog(const std::string& text) override { Log.push_back(text); }
    void PostError(const std::string& text) override { Errors.push_back(text); }
};

struct TFetch {
    TFakeRun Run;
    TArHTTP Client{&Run, 1};
    int Done = 0;
    uint16_t LastError = 0;
    TFetch() {
        Client.OnRequestDone = [this](THttpCli&, THttpRequest, uint16_t error) {
            ++Done;
            LastError = error;
        };
    }
};

TDateTime Nov6() { return EncodeDate(1994, 11, 6) + EncodeTime(8, 49, 37, 0); }

} // namespace

TEST(ArHTTP, TheFirstStopReasonAfterAStartWins) {
    TFakeRun run;
    TArHTTP c(&run, 3);
    EXPECT_EQ(c.Tag, 3);
    EXPECT_EQ(c.StopReason(), srRunning);
    c.SetStopReason(srPaused);
    c.SetStopReason(srGivenUp);
    EXPECT_EQ(c.StopReason(), srPaused);
    c.SetStopReason(srRunning);
    c.SetStopReason(srRemoved);
    EXPECT_EQ(c.StopReason(), srRemoved);
}

// A client's next body goes into the memory of its last one, emptied,
// unless that grew too large to keep.
TEST(ArHTTP, AMemoryStreamLetGoOfServesTheNextBodyEmpty) {
    TFakeRun run;
    TArHTTP c(&run, 1);
    auto first = std::make_unique<TMemoryStream>();
    TMemoryStream* memory = first.get();
    first->WriteBuffer(std::string(10000, 'x').data(), 10000);
    first->DiscardBefore(4000);
    c.SetOwnedReceiveStream(std::move(first));
    c.FreeReceiveStream();
    EXPECT_EQ(c.ReceiveStream, nullptr);
    std::unique_ptr<TMemoryStream> next = c.TakeSpareMemory();
    EXPECT_EQ(next.get(), memory);
    EXPECT_EQ(next->Size(), 0);
    EXPECT_EQ(next->Position(), 0);
    EXPECT_EQ(next->Origin(), 0);
    next->WriteBuffer("abc", 3);
    EXPECT_EQ(next->ToString(), "abc");
    // Replaced by a file-like stream: kept as well.
    c.SetOwnedReceiveStream(std::move(next));
    c.SetOwnedReceiveStream(std::make_unique<TMemoryStream>());
    std::unique_ptr<TMemoryStream> kept = c.TakeSpareMemory();
    EXPECT_EQ(kept.get(), memory);
    // Taken once only; one grown too large is let go of.
    EXPECT_NE(c.TakeSpareMemory().get(), memory);
    auto large = std::make_unique<TMemoryStream>();
    large->Reserve(TArHTTP::kKeptMemoryRoom + 1);
    c.SetOwnedReceiveStream(std::move(large));
    c.FreeReceiveStream();
    EXPECT_EQ(c.TakeSpareMemory()->Capacity(), 0u);
}

TEST(ArHTTP, TimeOutIntervalAndContentType) {
    TFakeRun run;
    TArHTTP c(&run, 1);
    c.TimeOutLength = 30;
    c.SetTimeOutEnabled(true);
    EXPECT_EQ(c.TimeOutTimer().Interval(), 30000u);
    c.SetTimeOutEnabled(false);
    EXPECT_EQ(c.TimeOutTimer().Interval(), 0u);  // never fires
    EXPECT_FALSE(c.TimeOutTimer().Enabled());
}

TEST(ArHTTP, ParseHttpDateForms) {
    EXPECT_DOUBLE_EQ(TArHTTP::ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT"), Nov6());
    TDateParts p = DecodeDateTime(TArHTTP::ParseHttpDate("Sunday, 06-Nov-94 08:49:37 GMT"));
    EXPECT_EQ(p.Year, 94);
    EXPECT_EQ(p.Month, 11);
    EXPECT_EQ(p.Day, 6);
    EXPECT_EQ(p.Second, 37);
    EXPECT_THROW(TArHTTP::ParseHttpDate("Sun Nov  6 08:49:37 1994"), Exception);
    try {
        TArHTTP::ParseHttpDate("Sun, 06 Foo 1994 08:49:37 GMT");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Invalid Monthname: FOO");
    }
    EXPECT_THROW(TArHTTP::ParseHttpDate(""), Exception);
    EXPECT_THROW(TArHTTP::ParseHttpDate("Sun, 06 Nov 1994 25:99:00 GMT"), Exception);
}

TEST(ArHTTP, TheUsualDateFormReadsAsAnyOtherZoneWould) {
    // "GMT" dates are read by a shortcut; the zone is ignored otherwise, so
    // the same date with another zone takes the general way.
    auto both = [](const std::string& head, const std::string& time) {
        std::string fast, general;
        auto read = [](const std::string& text) {
            try {
                return std::to_string(TArHTTP::ParseHttpDate(text));
            } catch (const Exception& e) {
                return "error: " + e.Message();
            }
        };
        fast = read(head + " " + time + " GMT");
        general = read(head + " " + time + " UTC");
        EXPECT_EQ(fast, general) << head << " " << time;
        return fast;
    };
    const char* months[] = {"Jan", "feb", "MAR", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec", "Foo"};
    int checked = 0;
    for (const char* month : months)
        for (const char* day : {"01", "06", "29", "30", "31", "00", "1x"})
            for (const char* year : {"1994", "2024", "1899", "1800", "0094"})
                for (const char* time : {"00:00:00", "08:49:37", "23:59:59", "24:00:00", "12:60:00", "12:00:61", "1a:00:00"}) {
                    both(std::string("Sun, ") + day + " " + month + " " + year, time);
                    ++checked;
                }
    EXPECT_EQ(checked, 13 * 7 * 5 * 7);
    EXPECT_EQ(both("Sun, 06 Nov 1994", "08:49:37"), std::to_string(Nov6()));
    EXPECT_EQ(both("Sun, 06 Nov 1994", "24:00:00"), "error: '24:00:00' is not a valid time");
}

TEST(ArHTTP, HeaderEndReadsLastModifiedAndContentEncoding) {
    TScriptedServer server;
    server.AddScript(TScript::Reply("HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                                    "LAST-modified: Sun, 06 Nov 1994 08:49:37 GMT\r\ncontent-ENCODING: GZIP\r\n\r\nx"));
    server.AddScript(TScript::Reply("HTTP/1.0 200 OK\r\nLast-Modified: Sun Nov  6 08:49:37 1994\r\n\r\nx"));
    TFetch f;
    TDateTime seen = -1;
    f.Client.OnHeaderEnd = [&](THttpCli&) { seen = f.Client.LastModified; };
    f.Client.URL = server.Url("/");
    f.Client.StartGet();
    ASSERT_TRUE(PumpUntil([&] { return f.Done == 1; }));
    EXPECT_DOUBLE_EQ(seen, Nov6());  // set before OnHeaderEnd fires
    EXPECT_EQ(f.Client.ContentType(), "gzip");
    EXPECT_EQ(f.Client.ContentTypeString(), "gzip");
    EXPECT_TRUE(f.Run.Errors.empty());
    f.Client.StartGet();
    ASSERT_TRUE(PumpUntil([&] { return f.Done == 2; }));
    EXPECT_EQ(f.Client.LastModified, 0.0);
    ASSERT_EQ(f.Run.Errors.size(), 1u);
    EXPECT_EQ(f.Run.Errors[0].rfind("Server sent invalid date: Sun Nov  6 08:49:37 1994->", 0), 0u);
}

TEST(ArHTTP, ContentTypeUpToTheSemicolon) {
    TScriptedServer server;
    server.AddScript(TScript::Reply("HTTP/1.0 200 OK\r\nContent-Type: Text/HTML; charset=x\r\n\r\n"));
    TFetch f;
    f.Client.URL = server.Url("/");
    f.Client.StartGet();
    ASSERT_TRUE(PumpUntil([&] { return f.Done == 1; }));
    EXPECT_EQ(f.Client.ContentTypeString(), "text/html");
}

TEST(ArHTTP, TimeOutsRetryThenGiveUp) {
    TScriptedServer server;
    server.AddScript(TScript().ReadRequest().Silence());
    server.AddScript(TScript().ReadRequest().Silence());
    TFetch f;
    f.Client.TimeOutLength = 1;
    f.Client.NumberOfTries = 1;
    f.Client.SetTimeOutEnabled(true);
    auto stream = std::make_unique<TMemoryStream>();
    f.Client.SetOwnedReceiveStream(std::move(stream));
    std::vector<TStopReason> reasons;
    f.Client.OnRequestDone = [&](THttpCli&, THttpRequest, uint16_t error) {
        ++f.Done;
        f.LastError = error;
        reasons.push_back(f.Client.StopReason());
        // What the run does for a retry: the same link again, tries kept.
        if (f.Client.StopReason() == srRetry) {
            f.Client.StartGet(false);
            f.Client.TimeOutTimer().SetEnabled(true);
        }
    };
    f.Client.URL = server.Url("/slow");
    f.Client.StartGet();
    f.Client.TimeOutTimer().SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return f.Done == 2; }, 10000));
    EXPECT_EQ(reasons, (std::vector<TStopReason>{srRetry, srGivenUp}));
    EXPECT_EQ(f.LastError, 3);
    EXPECT_EQ(f.Client.ReceiveStream, nullptr);  // freed by the first time-out
    ASSERT_EQ(f.Run.Log.size(), 1u);
    EXPECT_EQ(f.Run.Log[0], FormatRunText(607, {server.Url("/slow"), "0"}));
    EXPECT_EQ(server.Connections(), 2);
}

TEST(ArHTTP, TheTimeOutMeasuresSilenceNotDuration) {
    TScriptedServer server;
    TScript slowBody;
    slowBody.ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\n");
    for (int i = 0; i < 5; ++i) slowBody.Pause(300).Send("piece");
    server.AddScript(slowBody.Close());
    TFetch f;
    f.Client.TimeOutLength = 1;
    f.Client.SetTimeOutEnabled(true);
    f.Client.OnDocData = [&](THttpCli&, const char*, int) { f.Client.TimeOutTimer().Restart(); };
    f.Client.URL = server.Url("/");
    f.Client.StartGet();
    f.Client.TimeOutTimer().SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return f.Done == 1; }));
    EXPECT_EQ(f.LastError, 0);
    EXPECT_EQ(f.Client.StopReason(), srRunning);
    EXPECT_EQ(f.Client.ReceivedCount(), 25);
}

TEST(ArHTTP, ProcessOneMessageTakesOnlyTheClientsOwnMessages) {
    TFakeRun run;
    TArHTTP c(&run, 1);
    int done = 0;
    c.OnRequestDone = [&](THttpCli&, THttpRequest, uint16_t) { ++done; };
    c.SetParser(nullptr);
    SetHostLookup([](const std::string&, std::vector<std::string>&) { return 11001; });
    c.URL = "http://slow.test/";
    c.StartGet();
    c.Abort();  // queues the request-done notification on the client's target
    SetHostLookup(nullptr);
    int other = 0;
    TMessageTarget t([&](TMsg&) -> intptr_t { return ++other; });
    PostMessage(t.Handle(), WM_USER);
    EXPECT_TRUE(c.ProcessOneMessage());
    EXPECT_EQ(done, 1);
    EXPECT_FALSE(c.ProcessOneMessage());
    EXPECT_EQ(other, 0);
    TMsg m;
    while (PeekMessage(m)) DispatchMessage(m);
}
