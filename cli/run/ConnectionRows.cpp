#include "cli/run/ConnectionRows.h"

#include <algorithm>

namespace vorlin::cli {

void TConnectionRows::Status(int clientIndex, const std::string& text) { FRows[clientIndex].Status = text; }

void TConnectionRows::URL(int clientIndex, const std::string& url) { FRows[clientIndex].URL = url; }

int TConnectionRows::BusyCount() const {
    return static_cast<int>(
        std::count_if(FRows.begin(), FRows.end(), [](const auto& r) { return !r.second.URL.empty(); }));
}

std::vector<std::string> TConnectionRows::Lines(size_t width, size_t maxRows) const {
    std::vector<std::string> lines;
    if (width < 2 || maxRows == 0) return lines;
    // Numbers and status texts in columns of the widest shown.
    size_t numberWidth = 0, statusWidth = 0;
    for (const auto& [index, row] : FRows) {
        if (row.URL.empty()) continue;
        numberWidth = std::max(numberWidth, std::to_string(index).size());
        statusWidth = std::max(statusWidth, CharacterCount(TerminalSafe(row.Status, width)));
    }
    const int busy = BusyCount();
    const size_t shown = static_cast<size_t>(busy) <= maxRows ? static_cast<size_t>(busy) : maxRows - 1;
    for (const auto& [index, row] : FRows) {
        if (row.URL.empty()) continue;
        if (lines.size() == shown) break;
        std::string number = std::to_string(index);
        std::string status = TerminalSafe(row.Status, width);
        std::string text = "  #" + std::string(numberWidth - number.size(), ' ') + number + " " + status +
                           std::string(statusWidth - CharacterCount(status), ' ') + "  " + row.URL;
        lines.push_back(TerminalSafe(text, width - 1));
    }
    if (lines.size() < static_cast<size_t>(busy))
        lines.push_back(
            TerminalSafe("  ... " + std::to_string(busy - static_cast<int>(lines.size())) + " more busy", width - 1));
    return lines;
}

} // namespace vorlin::cli
