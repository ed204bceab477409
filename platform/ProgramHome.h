// The program directory shared by `vorlin` and the desktop program: where "Projects",
// "passwords.lst" and "HttpVorlin.ini" live.
#pragma once

#include <string>

namespace vorlin {

// What the program directory is chosen from.
struct TProgramHomeSources {
    std::string HomeOption;       // --home
    std::string HomeVariable;     // $HTTPVORLIN_HOME
    std::string ProgramDir;       // the executable's directory
    bool ProgramDirWritable = true;
    std::string XdgDataHome;      // $XDG_DATA_HOME
    std::string UserHome;         // $HOME, else the password database's
};

// --home when given, else $HTTPVORLIN_HOME, else the executable's directory
// when the user may write there; an installed copy (a folder the user can't
// write to) keeps its data per user in $XDG_DATA_HOME/HTTPVorlin, else in
// ~/.local/share/HTTPVorlin. Always with a trailing "/" and absolute.
std::string ProgramHome(const std::string& homeOption);
// The same rule over given sources (ProgramHome asks the system for them).
std::string ChooseProgramHome(const TProgramHomeSources& sources);

// The directory of the running program (`vorlin` and `HTTPVorlin` share one).
std::string ProgramDirectory();

// Where the plugins are looked for ("Plugins/" below it): the home when it
// has a "Plugins" folder of its own, else the program's directory, so that a
// home kept apart for projects still runs with the installed plugins.
std::string PluginDirectory(const std::string& home);

// The path made absolute against the current directory (unchanged when it is).
std::string AbsolutePath(const std::string& path);

} // namespace vorlin
