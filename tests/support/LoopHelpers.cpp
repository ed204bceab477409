#include "tests/support/LoopHelpers.h"

#include "platform/MessageQueue.h"
#include "platform/MessageTarget.h"

namespace vorlin::test {

bool PumpUntil(const std::function<bool()>& done, uint32_t reaperMs) {
    bool reaped = false;
    TMessageTarget reaper([&](TMsg& m) -> intptr_t {
        if (m.Message == WM_TIMER && m.WParam == 1) reaped = true;
        return 0;
    });
    SetTimer(reaper.Handle(), 1, reaperMs);
    // Conditions that change outside this loop (another thread, a server)
    // are looked at every few milliseconds.
    SetTimer(reaper.Handle(), 2, 5);
    while (!done() && !reaped) {
        TMsg msg;
        if (!GetMessage(msg)) {
            PostQuitMessage(static_cast<int>(msg.WParam));  // leave it to the caller
            break;
        }
        DispatchMessage(msg);
    }
    KillTimer(reaper.Handle(), 1);
    KillTimer(reaper.Handle(), 2);
    return done();
}

void PumpFor(uint32_t ms) {
    bool over = false;
    PumpUntil([&] { return over; }, ms);
}

} // namespace vorlin::test
