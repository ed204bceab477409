// A timer component: OnTimer fires on the creating thread every Interval
// milliseconds while Enabled; an interval of 0 never fires. Changing Enabled
// or Interval, or calling Restart, starts the period anew.
#pragma once

#include "platform/MessageTarget.h"

#include <cstdint>
#include <functional>

namespace vorlin {

class TTimer {
public:
    using TNotify = std::function<void(TTimer& sender)>;

    TTimer();
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    uint32_t Interval() const { return FInterval; }
    void SetInterval(uint32_t milliseconds);
    void Restart();

    TNotify OnTimer;
    THandle Handle() const { return FTarget.Handle(); }

private:
    void Update();

    TMessageTarget FTarget;
    bool FEnabled = true;
    uint32_t FInterval = 1000;
};

} // namespace vorlin
