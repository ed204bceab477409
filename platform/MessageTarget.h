// A message target, the stand-in for a hidden window: created on and bound
// to one thread, identified by a handle that is never reused, so a message
// that arrives after the target was destroyed is dropped safely.
#pragma once

#include "platform/Messages.h"

#include <functional>

namespace vorlin {

class TMessageTarget {
public:
    using THandler = std::function<intptr_t(TMsg& msg)>;

    explicit TMessageTarget(THandler handler = nullptr);
    virtual ~TMessageTarget();
    TMessageTarget(const TMessageTarget&) = delete;
    TMessageTarget& operator=(const TMessageTarget&) = delete;

    THandle Handle() const { return FHandle; }
    TThreadId Thread() const { return FThread; }
    void SetHandler(THandler handler) { FHandler = std::move(handler); }

    // Called by DispatchMessage on the target's thread.
    virtual intptr_t WndProc(TMsg& msg);

private:
    THandle FHandle;
    TThreadId FThread;
    THandler FHandler;
};

} // namespace vorlin
