#include "platform/Thread.h"

#include "platform/DebugLog.h"
#include "platform/MessageQueue.h"
#include "platform/MessageQueue_p.h"

#include <chrono>
#include <exception>

namespace vorlin {

TThread::TThread(bool createSuspended) : FThreadId(detail::CreateThreadQueue()) {
    if (!createSuspended) Resume();
}

TThread::~TThread() {
    Terminate();
    WaitFor();
    detail::CloseThreadQueue(FThreadId);
}

void TThread::Resume() {
    std::lock_guard<std::mutex> g(FStartLock);
    if (FThread.joinable() || FFinished) return;
    FThread = std::thread([this] { Run(); });
}

void TThread::Run() {
    detail::BindThreadQueue(FThreadId);
    try {
        Execute();
    } catch (const std::exception& e) {
        DebugLogReport("Thread ended by an exception:", e.what());
    }
    // Messages to a thread that has ended are dropped from now on.
    detail::CloseThreadQueue(FThreadId);
    FFinished = true;
}

void TThread::Terminate() {
    {
        std::lock_guard<std::mutex> g(FSleepLock);
        FTerminated = true;
    }
    FSleepWake.notify_all();
}

bool TThread::SleepUnlessTerminated(uint32_t ms) {
    std::unique_lock<std::mutex> g(FSleepLock);
    return !FSleepWake.wait_for(g, std::chrono::milliseconds(ms), [this] { return FTerminated.load(); });
}

int TThread::WaitFor() {
    std::lock_guard<std::mutex> g(FStartLock);
    if (FThread.joinable() && FThread.get_id() != std::this_thread::get_id()) FThread.join();
    return FReturnValue;
}

bool TThread::Synchronize(const std::function<void()>& fn) { return RunSynchronized(MainThreadId(), fn); }

} // namespace vorlin
