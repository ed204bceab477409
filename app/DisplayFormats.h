// How the main window writes numbers and dates: sizes in KB, rates, dates.
#pragma once

#include "platform/DateTime.h"

#include <cstdint>
#include <string>

namespace vorlin::app {

// "%.2f KB" of bytes / 1024 (the queue head's running total).
std::string KBText(int64_t bytes);
// "%.2f KB/s" of bytesPerSecond / 1024.
std::string RateText(int64_t bytesPerSecond);
// Client row size: bytes / 1024 cut (not rounded) two digits after the
// separator, with " KB"; empty for 0 or less.
std::string ClientSizeText(int64_t bytes);
// Queue size column: whole KB with " KB".
std::string WholeKBText(int64_t bytes);
// "dd.mm.yyyy" of the date; "dd.mm.yyyy hh:mm" with the time.
std::string DateText(TDateTime value);
std::string DateTimeText(TDateTime value);
// Overall progress: (downloaded + filtered out) * 100 / all, truncated; 0 with no links.
int OverallPercent(int64_t downloaded, int64_t filteredOut, int64_t all);

} // namespace vorlin::app
