// A thread object in the manner the engine expects: created suspended or
// running, a run method (Execute), a terminate flag the run method polls,
// WaitFor with the return value, and a synchronous call into the main
// thread's loop. The thread's message queue exists from construction, so
// thread messages posted before it starts are kept.
#pragma once

#include "platform/Messages.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace vorlin {

class TThread {
public:
    // A derived class must pass true and call Resume() at the end of its own
    // constructor: a thread started here could run Execute before the
    // derived object exists.
    explicit TThread(bool createSuspended);
    // Derived classes whose Execute uses their own members must terminate
    // and wait in their own destructor; this one only does it as a last resort.
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Starts a suspended thread; does nothing the second time.
    void Resume();
    // Sets the terminate flag and cuts short a SleepUnlessTerminated.
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // Waits until Execute has returned and answers ReturnValue. A thread that
    // never started answers at once.
    int WaitFor();
    bool Finished() const { return FFinished; }
    TThreadId ThreadId() const { return FThreadId; }
    int ReturnValue() const { return FReturnValue; }

protected:
    virtual void Execute() = 0;
    void SetReturnValue(int value) { FReturnValue = value; }
    // Runs fn on the main thread and waits for it; false when the main
    // thread no longer serves its loop.
    bool Synchronize(const std::function<void()>& fn);
    // Sleeps up to ms, returning early once Terminate is called; answers
    // false when it returned because of Terminate.
    bool SleepUnlessTerminated(uint32_t ms);

private:
    void Run();

    TThreadId FThreadId;
    std::thread FThread;
    std::mutex FStartLock;
    std::atomic<bool> FTerminated{false};
    std::mutex FSleepLock;
    std::condition_variable FSleepWake;
    std::atomic<bool> FFinished{false};
    std::atomic<int> FReturnValue{0};
};

} // namespace vorlin
