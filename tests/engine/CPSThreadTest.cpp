#include "engine/CPSThread.h"
#include "platform/MessageQueue.h"
#include "platform/MessageTarget.h"
#include "platform/StringUtils.h"
#include "platform/Ticks.h"
#include "tests/support/LoopHelpers.h"

#include <gtest/gtest.h>

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

TEST(CPSThread, PublishesBytesPerSecondWithTheDivisorFour) {
    TMainWindow window;
    TRunStandIn run;
    TCPSThread meter(true, run.ThreadId(), window.Target.Handle(), 50);
    meter.ReportBytes(400000);
    meter.ReportBytes(9600);  // reported before it runs: kept for the first pass
    meter.Resume();
    ASSERT_TRUE(PumpUntil([&] { return !window.Rates.empty(); }));
    EXPECT_EQ(window.Rates[0], 102400);
    EXPECT_EQ(Format("%.2f KB/s", window.Rates[0] / 1024.0), "100.00 KB/s");
    // The run gets the same figure as a thread message.
    ASSERT_TRUE(PumpUntil([&] { return run.LastRate >= 0; }));
    EXPECT_EQ(run.LastRate, 102400);
    meter.Terminate();
    meter.WaitFor();
    EXPECT_EQ(meter.PeakRate(), 102400);
    EXPECT_GT(meter.RunningTime(), 0.0);
    EXPECT_GT(meter.AverageRate(), 0);
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
    EXPECT_EQ(meter.PeakRate(), 1000);
    EXPECT_GT(meter.RunningTime(), 0.0);
    EXPECT_TRUE(PumpUntil([&] { return window.Rates.size() == 1; }));
}
