// The program's debug log ("Possible Bug Window"): internal warnings and
// reports of exceptions that nothing else caught. Adding a line is
// synchronous and may happen from any thread; the front end installs a sink
// (the command line prints to stderr, the desktop program shows its window).
#pragma once

#include <functional>
#include <string>

namespace vorlin {

using TDebugLogSink = std::function<void(const std::string& line)>;

// Installs the sink (an empty function drops lines); returns the previous one.
TDebugLogSink SetDebugLogSink(TDebugLogSink sink);
// Adds one line.
void DebugLog(const std::string& line);
// Adds the context text (when not empty) and the exception's message as lines.
void DebugLogReport(const std::string& context, const std::string& message);

} // namespace vorlin
