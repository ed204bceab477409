// Text made fit for a terminal. URLs are shown decoded and servers name
// realms and statuses, so a page could otherwise send escape sequences of
// its own (clearing the screen, moving the cursor, changing the title).
#pragma once

#include <cstddef>
#include <string>

namespace vorlin::cli {

// One line: control characters shown as '?', cut to at most width
// characters (UTF-8 aware, never in the middle of one).
std::string TerminalSafe(const std::string& text, size_t width);

// Characters (not bytes) of a UTF-8 text: the columns it takes.
size_t CharacterCount(const std::string& text);

// The same for text of several lines: line breaks and tabs are kept, nothing is cut.
std::string TerminalSafeLines(const std::string& text);

} // namespace vorlin::cli
