// The shell's "open" verb: a file handed to the program the desktop
// associates with it (xdg-open). The program is started directly, without a
// shell between, detached, and never waited for.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vorlin {

// Opens the file with its associated program; false when it could not be
// started. Returns at once.
bool ShellOpen(const std::string& path);

// Starts program (looked up on PATH) with the arguments, detached from the
// caller: its output goes nowhere and it is never waited for.
bool StartDetached(const std::string& program, const std::vector<std::string>& arguments);

// What ShellOpen does; tests put a recorder in place. Returns the previous one.
using TShellOpener = std::function<bool(const std::string& path)>;
TShellOpener SetShellOpener(TShellOpener opener);

} // namespace vorlin
