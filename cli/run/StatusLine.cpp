#include "cli/run/StatusLine.h"

#include <cstdio>

namespace vorlin::cli {

std::string FormatBytes(int64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + " B";
    static const char* const units[] = {"KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes) / 1024.0;
    int unit = 0;
    while (value >= 1024.0 && unit < 3) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    return text;
}

std::string FormatStatusLine(const TStatusFigures& f) {
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f KB/s", f.BytesPerSecond / 1024.0);
    return std::to_string(f.Stats.Downloaded) + " downloaded, " + std::to_string(f.Stats.FilteredOut) +
           " filtered out, " + std::to_string(f.Stats.Remaining) + " remaining, " + std::to_string(f.Stats.All) +
           " links | " + FormatBytes(f.Bytes) + " | " + rate + " | " + std::to_string(f.ActiveConnections) + " active";
}

bool TRedrawThrottle::Due(TClock::time_point now) {
    if (FDrawn && now - FLast < FInterval) return false;
    FDrawn = true;
    FLast = now;
    return true;
}

} // namespace vorlin::cli
