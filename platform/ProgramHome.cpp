#include "platform/ProgramHome.h"

#include "platform/FileSystem.h"

#include <cstdlib>
#include <filesystem>

namespace vorlin {

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

std::string ProgramHome(const std::string& homeOption) {
    std::string home = homeOption;
    if (home.empty()) {
        const char* env = std::getenv("HTTPVORLIN_HOME");
        if (env && *env) home = env;
    }
    if (home.empty()) return ProgramDirectory();
    return IncludeTrailingSlash(AbsolutePath(home));
}

} // namespace vorlin
