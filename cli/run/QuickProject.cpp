#include "cli/run/QuickProject.h"

#include "platform/FileSystem.h"
#include "project/DownloadProject.h"

#include <cstring>

namespace vorlin::cli {

std::string CleanCaption(const std::string& text, char replacement) {
    std::string result = text;
    for (char& c : result)
        if (static_cast<unsigned char>(c) < 32 || std::strchr("\"*/:<>?\\|", c)) c = replacement;
    return result;
}

std::string UniqueCaption(const std::string& directory, const std::string& caption) {
    const std::string dir = IncludeTrailingSlash(directory);
    if (!FileExists(dir + caption + ".prj")) return caption;
    for (int number = 2;; ++number) {
        std::string candidate = caption + " (" + std::to_string(number) + ")";
        if (!FileExists(dir + candidate + ".prj")) return candidate;
    }
}

std::string QuickProjectsDirectory(const std::string& home) {
    return IncludeTrailingSlash(home) + "Projects/Quick Projects/";
}

std::string HostOfURL(const std::string& url) {
    size_t start = url.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    size_t end = url.find_first_of("/?#", start);
    std::string authority = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
    // Credentials in the address are not part of the name.
    size_t at = authority.rfind('@');
    if (at != std::string::npos) authority.erase(0, at + 1);
    return authority;
}

void SetNewProjectDefaults(TDownloadProject& project) {
    project.DownloadBckgrds = true;
    project.FollowExternalImages = true;
    project.ScopeMode = smStayInDirectory;
    project.JavaScriptMode = jsInterpret;
    project.ProjectMode = pmOfflineBrowse;
    project.InvalidCharMode = icReplace;
    project.MirroringChangeQ.clear();
    project.ExcludeList = {"zip", ".exe"};
    project.UseAutentfication = false;
    project.IsNew = false;
}

} // namespace vorlin::cli
