#include "project/DeleteDownloadedFiles.h"

#include "platform/ConfinedFiles.h"
#include "platform/FileSystem.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/LocalPath.h"
#include "project/ProgramSettings.h"

#include <algorithm>
#include <set>
#include <sys/stat.h>

namespace vorlin {

namespace {

bool IsRealDirectory(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Removes dir and the directories below it that hold no file; symbolic
// links are never followed. True when dir itself is gone.
bool PruneEmptyDirectories(const std::string& dir) {
    for (const std::string& name : ListDirectory(dir)) {
        std::string child = dir + name;
        if (IsRealDirectory(child)) PruneEmptyDirectories(child + "/");
    }
    return RemoveDir(dir);
}

} // namespace

void DeleteDownloadedFiles(TDownloadProject& project, const TProgramSettings& settings) {
    const std::string& chosen =
        project.Destination.empty() ? settings.DefaultDownloadDir : project.Destination;
    if (chosen.empty()) return;
    const std::string base = IncludeTrailingSlash(chosen);

    // Deepest first, so that a directory's subdirectories are gone before
    // it is tried; each one once, however many files it held.
    auto deeperFirst = [](const std::string& a, const std::string& b) {
        auto depth = [](const std::string& s) { return std::count(s.begin(), s.end(), '/'); };
        return depth(a) != depth(b) ? depth(a) > depth(b) : a < b;
    };
    std::set<std::string, decltype(deeperFirst)> directories(deeperFirst);
    for (TDownloadLink* link = project.Links->Last(); link; link = project.Links->Prev(link)) {
        std::string path = HostPathBelow(base, link->LocalDir() + link->LocalFileName);
        // Never through a link inside the target: it could lead anywhere.
        if (!path.empty() && path.back() != '/') DeleteFileConfined(base, path);
        std::string dir = ExtractFilePath(path);
        if (dir.size() > base.size()) directories.insert(dir);
    }
    for (const std::string& dir : directories)
        if (IsRealDirectory(dir)) PruneEmptyDirectories(dir);
}

} // namespace vorlin
