#include "platform/Timer.h"

#include "platform/MessageQueue.h"

namespace vorlin {

namespace {
constexpr uintptr_t kTimerId = 1;
}

TTimer::TTimer() {
    FTarget.SetHandler([this](TMsg& msg) -> intptr_t {
        if (msg.Message == WM_TIMER && FEnabled && FInterval > 0 && OnTimer) OnTimer(*this);
        return 0;
    });
    Update();
}

TTimer::~TTimer() { KillTimer(FTarget.Handle(), kTimerId); }

void TTimer::SetEnabled(bool enabled) {
    FEnabled = enabled;
    Update();
}

void TTimer::SetInterval(uint32_t milliseconds) {
    FInterval = milliseconds;
    Update();
}

void TTimer::Restart() { Update(); }

void TTimer::Update() {
    KillTimer(FTarget.Handle(), kTimerId);
    if (FEnabled && FInterval > 0) SetTimer(FTarget.Handle(), kTimerId, FInterval);
}

} // namespace vorlin
