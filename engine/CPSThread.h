// TCPSThread: the transfer-rate meter of a download run. A thread of its
// own that sums the byte counts the run posts to it, publishes bytes per
// second every period to the main window and the run, and yields the run's
// average rate, peak rate and running time once it has ended. Rates are
// worked out over the time that really passed, not the nominal period.
#pragma once

#include "engine/RunMessages.h"
#include "platform/DateTime.h"
#include "platform/Messages.h"
#include "platform/Thread.h"

#include <cstdint>
#include <mutex>

namespace vorlin {

class TCPSThread : public TThread {
public:
    // To the meter: LParam bytes. It answers with WM_RUN_RATE (to the main
    // window and the run) and WM_RUN_ERROR lines (RunMessages.h).
    static constexpr uint32_t WM_RATE_BYTES = WM_USER + 1;
    static constexpr uint32_t kDefaultPeriodMs = 4100;

    // The period is fixed at 4100 ms in the program; tests pass a shorter one.
    TCPSThread(bool createSuspended, TThreadId run, THandle mainWindow, uint32_t periodMs = kDefaultPeriodMs);
    ~TCPSThread() override;

    // Posts a chunk's byte count to the meter (what the run does per chunk).
    bool ReportBytes(int64_t bytes) const;

    int32_t CurrentRate();
    // Read only after the thread has ended.
    int32_t AverageRate() const { return ReturnValue(); }
    int32_t PeakRate() const { return FPeak; }
    TDateTime RunningTime() const { return FRunningTime; }

protected:
    void Execute() override;

private:
    void MeasureOnce();

    TThreadId FRun;
    THandle FMainWindow;
    uint32_t FPeriod;
    std::mutex FLock;
    int32_t FCurrentRate = 0;
    uint32_t FStartTick = 0, FLastTick = 0;
    // 64-bit, so a run of more than 4 GiB still averages correctly.
    int64_t FTotal = 0, FTotalAtLast = 0;
    int32_t FPeak = 0;
    TDateTime FRunningTime = 0;
};

} // namespace vorlin
