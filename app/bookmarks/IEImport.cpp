#include "app/bookmarks/IEImport.h"

#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/StringUtils.h"

#include <algorithm>
#include <sys/stat.h>

namespace vorlin::app {

namespace {

// A shortcut is a few lines; anything much larger is not one.
constexpr int64_t kMaxShortcutSize = 64 * 1024;

bool IsRealDirectory(const std::string& path) {
    struct stat info {};
    // Symbolic links to directories are not followed: a link back up the
    // tree would list it forever.
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Entries in name order, each directory before its contents.
void ListTree(const std::string& directory, size_t depth, std::vector<std::string>& entries) {
    if (depth > kMaxBookmarkFolderDepth)
        throw EBookmarkImport(Format("Favourites folders are nested deeper than %d levels",
                                     static_cast<int>(kMaxBookmarkFolderDepth)));
    std::vector<std::string> names = ListDirectory(directory);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (name == "." || name == "..") continue;
        if (entries.size() >= kMaxBookmarkEntries)
            throw EBookmarkImport(Format("More than %d bookmarks: too many for a menu", static_cast<int>(kMaxBookmarkEntries)));
        const std::string path = directory + name;
        if (IsRealDirectory(path)) {
            entries.push_back(path + "/");
            ListTree(path + "/", depth + 1, entries);
        } else {
            entries.push_back(path);
        }
    }
}

} // namespace

std::string InternetShortcutURL(const std::string& path) {
    if (!FileExists(path) || FileSizeOf(path) > kMaxShortcutSize) return std::string();
    try {
        TIniFile ini;
        ini.LoadFromFile(path);
        return Trim(ini.ReadString("InternetShortcut", "URL", ""));
    } catch (const std::exception&) {
        return std::string();
    }
}

void TIEImport::Import() {
    ClearLists();
    if (FDirectory.empty()) return;
    const std::string directory = IncludeTrailingSlash(FDirectory);
    std::vector<std::string> entries;
    if (DirectoryExists(directory))
        ListTree(directory, 1, entries);
    if (FBrowserIconIndex == -1 && ImageList) {
        for (const std::string& entry : entries)
            if (entry.size() >= 3 && SameText(std::string_view(entry).substr(entry.size() - 3), "URL")) {
                FBrowserIconIndex = ImageList->AddAssociatedIcon(entry);
                break;
            }
    }
    if (FBrowserIconIndex == -1) return;
    for (const std::string& entry : entries)
        AddEntry("/" + entry.substr(directory.size()), entry.back() == '/' ? std::string() : InternetShortcutURL(entry));
    if (FKeys.empty()) return;
    FSuffix = ".url";
    BuildMenu();
}

} // namespace vorlin::app
