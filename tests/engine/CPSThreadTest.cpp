#include "engine/CPSThread.h"
#include "platform/MessageQueue.h"
#include "platform/MessageTarget.h"
#include "platform/StringUtils.h"
#include "platform/Ticks.h"
#include "tests/support/LoopHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <vector>

using namespace vorlin;
using vorlin::test::PumpUntil;

namespace {

struct TMainWindow {
    std::vector<intptr_t> Rates;
    TMessageTarget Target{[this](TMsg& m) -> intptr_t {
        if (m.Message == WM_RUN_RATE) Rates.push_back(m.LParam);
        return 0;
    }};
};

// The run's side: a thread whose loop records the rates it is sent.
class TRunStandIn : public TThread {
public:
    TRunStandIn() : TThread(true) { Resume(); }
    ~TRunStandIn() override {
        PostThreadMessage(ThreadId(), WM_QUIT);
        WaitFor();
    }
    std::atomic<intptr_t> LastRate{-1};

protected:
    void Execute() override {
        TMsg m;
        while (GetMessage(m))
            if (m.Message == WM_RUN_RATE && LastRate < 0) LastRate = m.LParam;
    }
};

} // namespace

// Rates over the time that really passed: a period of 200 ms that brought
// 100 000 bytes publishes about 500 000 bytes per second (less when the pass
// was late), never the nominal period's figure.
TEST(CPSThread, PublishesBytesPerSecondOverTheTimeThatPassed) {
    TMainWindow window;
    TRunStandIn run;
    TCPSThread meter(true, run.ThreadId(), window.Target.Handle(), 200);
    meter.ReportBytes(90400);
    meter.ReportBytes(9600);  // reported before it runs: kept for the first pass
    const uint32_t started = GetTickCount();
    meter.Resume();
    ASSERT_TRUE(PumpUntil([&] { return !window.Rates.empty(); }));
    const uint32_t passed = GetTickCount() - started;
    EXPECT_LE(window.Rates[0], 500000);
    EXPECT_GE(window.Rates[0], static_cast<intptr_t>(100000 * 1000 / std::max<uint32_t>(passed, 200)));
    // The run gets the same figure as a thread message.
    ASSERT_TRUE(PumpUntil([&] { return run.LastRate >= 0; }));
    EXPECT_EQ(run.LastRate, window.Rates[0]);
    meter.Terminate();
    meter.WaitFor();
    EXPECT_EQ(meter.PeakRate(), window.Rates[0]);
    EXPECT_GT(meter.RunningTime(), 0.0);
    EXPECT_GT(meter.AverageRate(), 0);
    EXPECT_LE(meter.AverageRate(), meter.PeakRate());
}

// A run much shorter than a period: its one pass is cut short at the end,
// and both the rate and the duration are those of the time it really took
// (neither an average above the peak nor a duration of 0).
TEST(CPSThread, AShortRunAveragesNoHigherThanItsPeak) {
    TMainWindow window;
    TCPSThread meter(true, CurrentThreadId(), window.Target.Handle(), 4100);
    meter.ReportBytes(50000);
    const uint32_t started = GetTickCount();
    meter.Resume();
    vorlin::Sleep(150);
    meter.Terminate();
    meter.WaitFor();
    const uint32_t passed = GetTickCount() - started;
    EXPECT_GT(meter.PeakRate(), 50000);  // 50 000 bytes in well under a second
    EXPECT_LE(meter.AverageRate(), meter.PeakRate());
    EXPECT_GE(meter.AverageRate(), meter.PeakRate() - 1);
    const double ms = meter.RunningTime() * 86400000.0;
    EXPECT_GE(ms, 100.0);
    EXPECT_LE(ms, passed + 1.0);
}

TEST(CPSThread, TerminatedBeforeItsFirstPassYieldsZero) {
    TCPSThread meter(true, CurrentThreadId(), 0, 50);
    meter.ReportBytes(1000);
    meter.Terminate();
    meter.Resume();
    EXPECT_EQ(meter.WaitFor(), 0);
    EXPECT_EQ(meter.RunningTime(), 0.0);
    EXPECT_EQ(meter.PeakRate(), 0);
}

TEST(CPSThread, TerminatedDuringItsFirstSleepStillCompletesThatPass) {
    TMainWindow window;
    TCPSThread meter(true, CurrentThreadId(), window.Target.Handle(), 400);
    meter.ReportBytes(4000);
    meter.Resume();
    vorlin::Sleep(100);  // well inside the first sleep
    meter.Terminate();
    meter.WaitFor();
    // 4000 bytes over about 100 ms, not over the nominal 400.
    EXPECT_GT(meter.PeakRate(), 4000);
    EXPECT_GT(meter.RunningTime(), 0.0);
    EXPECT_TRUE(PumpUntil([&] { return window.Rates.size() == 1; }));
}
