// The live status line of a run on a terminal: the link counts, the bytes
// of the project, the rate and the busy connections, redrawn in place at
// most a few times a second.
#pragma once

#include "engine/RunMessages.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace vorlin::cli {

struct TStatusFigures {
    TRunStats Stats;
    int64_t Bytes = 0;
    int32_t BytesPerSecond = 0;
    int ActiveConnections = 0;
};

// "1.5 MB" and the like (1024-based, as sizes are typed in KB).
std::string FormatBytes(int64_t bytes);
// "0.4 s", "2 min 05 s", "1 h 02 min".
std::string FormatDuration(double seconds);
// The status line in the most detailed of its forms that fits in width
// characters; the figures at its end (rate, connections) are the last to be
// shortened, and only a terminal narrower than the tightest form loses them.
std::string FormatStatusLine(const TStatusFigures& figures, size_t width = std::string::npos);

// Says when the line is due again.
class TRedrawThrottle {
public:
    using TClock = std::chrono::steady_clock;
    explicit TRedrawThrottle(std::chrono::milliseconds interval = std::chrono::milliseconds(200))
        : FInterval(interval) {}
    // True (and the time noted) when at least the interval has passed since
    // the last true answer.
    bool Due(TClock::time_point now = TClock::now());

private:
    std::chrono::milliseconds FInterval;
    TClock::time_point FLast{};
    bool FDrawn = false;
};

} // namespace vorlin::cli
