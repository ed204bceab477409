// The per-connection rows that `-v` shows on a terminal above the status
// line: each busy connection's number, its latest status text and its URL.
// Idle connections are left out, so the block stays as short as the work
// going on. Only holds and formats the rows; drawing is the window's job.
#pragma once

#include "cli/run/TerminalText.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace vorlin::cli {

class TConnectionRows {
public:
    void Status(int clientIndex, const std::string& text);
    // An empty URL makes the connection idle.
    void URL(int clientIndex, const std::string& url);
    void Clear() { FRows.clear(); }
    int BusyCount() const;

    // The rows of the busy connections by number, each cut to fewer than
    // width characters so that none wraps. At most maxRows rows: past that
    // the last row tells how many more are busy.
    std::vector<std::string> Lines(size_t width, size_t maxRows) const;

private:
    struct TRow {
        std::string Status, URL;
    };
    std::map<int, TRow> FRows;
};

} // namespace vorlin::cli
