#include "engine/CPSThread.h"

#include "platform/MessageQueue.h"
#include "platform/Ticks.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <string>

namespace vorlin {

TCPSThread::TCPSThread(bool createSuspended, TThreadId run, THandle mainWindow, uint32_t periodMs)
    : TThread(true), FRun(run), FMainWindow(mainWindow), FPeriod(periodMs) {
    if (!createSuspended) Resume();
}

TCPSThread::~TCPSThread() {
    Terminate();
    WaitFor();
}

bool TCPSThread::ReportBytes(int64_t bytes) const {
    return PostThreadMessage(ThreadId(), WM_RATE_BYTES, 0, static_cast<intptr_t>(bytes));
}

int32_t TCPSThread::CurrentRate() {
    std::lock_guard<std::mutex> g(FLock);
    return FCurrentRate;
}

void TCPSThread::MeasureOnce() {
    // Terminating cuts the sleep short; the pass still completes, so the
    // run's end does not wait out a whole period for its figures.
    SleepUnlessTerminated(FPeriod);
    TMsg msg;
    while (PeekMessage(msg)) {
        if (msg.Message == WM_QUIT) break;
        if (msg.Message == WM_RATE_BYTES)
            FTotal += msg.LParam;
        else
            DispatchMessage(msg);
    }
    // The time that really passed: a pass that a run's end cut short, or a
    // loop that was late to wake, would otherwise show a rate its bytes
    // never had (and an average above the peak).
    const uint32_t now = GetTickCount();
    const uint32_t elapsed = now - FLastTick;
    int32_t rate;
    {
        std::lock_guard<std::mutex> g(FLock);
        FCurrentRate = elapsed == 0 ? 0 : static_cast<int32_t>((FTotal - FTotalAtLast) * 1000 / elapsed);
        rate = FCurrentRate;
    }
    PostMessage(FMainWindow, WM_RUN_RATE, 0, rate);
    PostThreadMessage(FRun, WM_RUN_RATE, 0, rate);
    FLastTick = now;
    FTotalAtLast = FTotal;
    if (FPeak < rate) FPeak = rate;
}

void TCPSThread::Execute() {
    FStartTick = FLastTick = GetTickCount();
    FTotal = FTotalAtLast = 0;
    FPeak = 0;
    FCurrentRate = 0;
    while (!Terminated()) {
        try {
            MeasureOnce();
        } catch (const std::exception& e) {
            PostMessage(FMainWindow, WM_RUN_ERROR, 0, 0, MakePayload(std::string("Error: ") + e.what()));
        }
    }
    const uint32_t elapsed = FLastTick - FStartTick;
    FRunningTime = elapsed / 86400000.0;
    if (elapsed != 0) {
        // A weighted mean of the passes' rates; rounding must not lift it above them.
        int64_t average = std::llround(static_cast<double>(FTotal) * 1000.0 / elapsed);
        SetReturnValue(static_cast<int>(std::min<int64_t>(average, std::max(FPeak, 0))));
    }
}

} // namespace vorlin
