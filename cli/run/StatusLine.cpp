#include "cli/run/StatusLine.h"

#include <cstdio>
#include <iterator>

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

std::string FormatDuration(double seconds) {
    char text[32];
    if (seconds < 60) {
        std::snprintf(text, sizeof text, "%.1f s", seconds < 0 ? 0.0 : seconds);
        return text;
    }
    const long long whole = static_cast<long long>(seconds);
    if (whole < 3600)
        std::snprintf(text, sizeof text, "%lld min %02lld s", whole / 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%lld h %02lld min", whole / 3600, whole / 60 % 60);
    return text;
}

std::string FormatStatusLine(const TStatusFigures& f, size_t width) {
    const std::string done = std::to_string(f.Stats.Downloaded), filtered = std::to_string(f.Stats.FilteredOut),
                      remaining = std::to_string(f.Stats.Remaining), all = std::to_string(f.Stats.All);
    const std::string bytes = FormatBytes(f.Bytes), rate = FormatBytes(f.BytesPerSecond) + "/s",
                      active = std::to_string(f.ActiveConnections);
    // From the most detailed to the tightest; all are ASCII, so their
    // length is their width.
    const std::string forms[] = {
        done + " downloaded, " + filtered + " filtered out, " + remaining + " remaining, " + all + " links | " +
            bytes + " | " + rate + " | " + active + " active",
        done + " done, " + filtered + " filtered, " + remaining + " to go, " + all + " links | " + bytes + " | " +
            rate + " | " + active + " active",
        done + " done, " + filtered + " filtered, " + remaining + " to go | " + bytes + " | " + rate + " | " + active +
            " active",
        done + "/" + filtered + "/" + remaining + " | " + bytes + " | " + rate + " | " + active + " active",
        done + "/" + filtered + "/" + remaining + " " + bytes + " " + rate + " " + active + "c",
    };
    for (const std::string& form : forms)
        if (form.size() <= width) return form;
    return forms[std::size(forms) - 1].substr(0, width);
}

bool TRedrawThrottle::Due(TClock::time_point now) {
    if (FDrawn && now - FLast < FInterval) return false;
    FDrawn = true;
    FLast = now;
    return true;
}

} // namespace vorlin::cli
