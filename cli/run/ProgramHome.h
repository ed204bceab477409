// The program directory of the command line: where "Projects",
// "passwords.lst" and "HttpVorlin.ini" live.
#pragma once

#include <string>

namespace vorlin::cli {

// --home when given, else $HTTPVORLIN_HOME, else the executable's directory;
// always with a trailing "/" and absolute.
std::string ProgramHome(const std::string& homeOption);

// The directory of the "vorlin" program itself (its "Plugins/" live there).
std::string ProgramDirectory();

// The path made absolute against the current directory (unchanged when it is).
std::string AbsolutePath(const std::string& path);

} // namespace vorlin::cli
