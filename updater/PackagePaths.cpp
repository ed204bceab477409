#include "updater/PackagePaths.h"

#include "updater/UpdateErrors.h"

#include <sys/stat.h>

namespace vorlin::updater {

namespace {

[[noreturn]] void Refuse(const std::string& entry, const std::string& why) {
    throw EUnsafePath("The update package names a file outside the program folder (" + why + "): \"" + entry +
                      "\"; nothing was changed");
}

} // namespace

std::string CheckedEntryPath(const std::string& programDir, const std::string& entry) {
    if (entry.empty()) Refuse(entry, "an empty name");
    if (entry.find('\0') != std::string::npos) Refuse(entry, "a zero byte");
    if (entry[0] == '\\' || entry[0] == '/') Refuse(entry, "an absolute path");
    if (entry.size() >= 2 && entry[1] == ':') Refuse(entry, "a drive name");
    std::string path;
    size_t from = 0;
    for (;;) {
        size_t end = entry.find_first_of("\\/", from);
        const std::string part = entry.substr(from, end == std::string::npos ? std::string::npos : end - from);
        if (part.empty() || part == "." || part == "..") Refuse(entry, "a \"" + part + "\" part");
        path += (path.empty() ? "" : "/") + part;
        struct stat info {};
        const bool last = end == std::string::npos;
        if (lstat((programDir + path).c_str(), &info) == 0) {
            if (S_ISLNK(info.st_mode)) Refuse(entry, "a symbolic link on the way");
            if (last && !S_ISREG(info.st_mode)) Refuse(entry, "not a plain file");
            if (!last && !S_ISDIR(info.st_mode)) Refuse(entry, "a file where a folder should be");
        }
        if (last) break;
        from = end + 1;
    }
    return path;
}

} // namespace vorlin::updater
