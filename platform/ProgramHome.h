// The program directory shared by `vorlin` and the desktop program: where "Projects",
// "passwords.lst" and "HttpVorlin.ini" live.
#pragma once

#include <string>

namespace vorlin {

// --home when given, else $HTTPVORLIN_HOME, else the executable's directory;
// always with a trailing "/" and absolute.
std::string ProgramHome(const std::string& homeOption);

// The directory of the running program (`vorlin` and `HTTPVorlin` share one).
std::string ProgramDirectory();

// Where the plugins are looked for ("Plugins/" below it): the home when it
// has a "Plugins" folder of its own, else the program's directory, so that a
// home kept apart for projects still runs with the installed plugins.
std::string PluginDirectory(const std::string& home);

// The path made absolute against the current directory (unchanged when it is).
std::string AbsolutePath(const std::string& path);

} // namespace vorlin
