#include "app/DisplayFormats.h"

#include <cstdio>

namespace vorlin::app {

std::string KBText(int64_t bytes) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f KB", static_cast<double>(bytes) / 1024.0);
    return buffer;
}

std::string RateText(int64_t bytesPerSecond) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f KB/s", static_cast<double>(bytesPerSecond) / 1024.0);
    return buffer;
}

std::string ClientSizeText(int64_t bytes) {
    if (bytes <= 0) return {};
    // Integer arithmetic cuts exactly where a double might round up.
    const int64_t hundredths = bytes * 100 / 1024;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%lld.%02lld KB", static_cast<long long>(hundredths / 100),
                  static_cast<long long>(hundredths % 100));
    return buffer;
}

std::string WholeKBText(int64_t bytes) { return std::to_string(bytes / 1024) + " KB"; }

std::string DateText(TDateTime value) {
    TDateParts parts = DecodeDateTime(value);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d", parts.Day, parts.Month, parts.Year);
    return buffer;
}

std::string DateTimeText(TDateTime value) {
    TDateParts parts = DecodeDateTime(value);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d %02d:%02d", parts.Day, parts.Month, parts.Year, parts.Hour,
                  parts.Minute);
    return buffer;
}

int OverallPercent(int64_t downloaded, int64_t filteredOut, int64_t all) {
    if (all <= 0) return 0;
    int64_t percent = (downloaded + filteredOut) * 100 / all;
    return static_cast<int>(percent < 0 ? 0 : percent > 100 ? 100 : percent);
}

} // namespace vorlin::app
