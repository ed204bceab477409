// Event-loop helpers for tests: run the calling thread's loop until a
// condition holds, with a reaper timer so a stuck loop fails the test
// instead of hanging it.
#pragma once

#include <cstdint>
#include <functional>

namespace vorlin::test {

// Dispatches the calling thread's messages until done() holds (true) or the
// reaper fires after reaperMs (false). done() is checked after every message
// and every few milliseconds.
bool PumpUntil(const std::function<bool()>& done, uint32_t reaperMs = 10000);
// Dispatches for about ms milliseconds, however little happens.
void PumpFor(uint32_t ms);

} // namespace vorlin::test
