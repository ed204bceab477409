#include "platform/ProgramHome.h"

#include "platform/FileSystem.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace vorlin {

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// $HOME, else the home directory the password database gives the user.
std::string UserHomeDirectory() {
    std::string home = Variable("HOME");
    if (!home.empty()) return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return "";
}

// The per-user data directory of the XDG base directory rules; a relative
// $XDG_DATA_HOME is invalid there and is ignored.
std::string UserDataDirectory(const TProgramHomeSources& s) {
    if (!s.XdgDataHome.empty() && s.XdgDataHome[0] == '/') return IncludeTrailingSlash(s.XdgDataHome) + "HTTPVorlin/";
    if (!s.UserHome.empty() && s.UserHome[0] == '/') return IncludeTrailingSlash(s.UserHome) + ".local/share/HTTPVorlin/";
    return "";
}

} // namespace

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

std::string ProgramDirectory() { return ExecutableDirectory(); }

std::string PluginDirectory(const std::string& home) {
    std::error_code error;
    if (!home.empty() && std::filesystem::is_directory(IncludeTrailingSlash(home) + "Plugins", error))
        return IncludeTrailingSlash(home);
    return ProgramDirectory();
}

std::string ChooseProgramHome(const TProgramHomeSources& s) {
    if (!s.HomeOption.empty()) return IncludeTrailingSlash(AbsolutePath(s.HomeOption));
    if (!s.HomeVariable.empty()) return IncludeTrailingSlash(AbsolutePath(s.HomeVariable));
    if (s.ProgramDirWritable) return s.ProgramDir;
    // Without any home of the user's the program's own directory is all there is.
    std::string data = UserDataDirectory(s);
    return data.empty() ? s.ProgramDir : data;
}

std::string ProgramHome(const std::string& homeOption) {
    TProgramHomeSources s;
    s.HomeOption = homeOption;
    s.HomeVariable = Variable("HTTPVORLIN_HOME");
    if (s.HomeOption.empty() && s.HomeVariable.empty()) {
        s.ProgramDir = ProgramDirectory();
        s.ProgramDirWritable = ::access(s.ProgramDir.c_str(), W_OK) == 0;
        s.XdgDataHome = Variable("XDG_DATA_HOME");
        s.UserHome = UserHomeDirectory();
    }
    return ChooseProgramHome(s);
}

} // namespace vorlin
