// Millisecond ticks of a monotonic clock, as GetTickCount gives them: the
// 32-bit value wraps after about 49.7 days, so compare differences
// (unsigned subtraction), never the values themselves.
#pragma once

#include <cstdint>

namespace vorlin {

uint32_t GetTickCount();
uint64_t GetTickCount64();
// Blocks the calling thread (no messages are served meanwhile).
void Sleep(uint32_t milliseconds);

} // namespace vorlin
