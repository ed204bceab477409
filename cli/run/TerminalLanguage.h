// The language of the command line: the one the settings name ("English"
// unless changed), or the one `--language` asks for, from the same
// language libraries as the desktop program.
#pragma once

#include <string>

namespace vorlin::cli {

// Loads the language. A language named by --language (chosen) that can't be
// loaded is an error (false and a message: it is not saved); one named only
// by the settings file gives a warning on standard error and the run goes
// on with the built-in texts.
bool UseLanguage(const std::string& home, const std::string& name, bool chosen, std::string& error);

} // namespace vorlin::cli
