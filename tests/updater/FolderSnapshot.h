// What a folder tree holds, to show that an update touched nothing outside
// the program folder: every entry below a root (folders skipped by name),
// with its kind, its bytes or its link target. Symbolic links are recorded,
// never followed.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

namespace vorlin::test {

class TFolderSnapshot {
public:
    // Records root, leaving out the entries directly below it named in skip.
    TFolderSnapshot(const std::filesystem::path& root, const std::set<std::string>& skip) {
        namespace fs = std::filesystem;
        if (!fs::exists(root)) return;
        for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
            const fs::path relative = fs::relative(it->path(), root);
            if (it.depth() == 0 && skip.count(relative.string())) {
                std::error_code ignored;
                if (it->is_directory(ignored)) it.disable_recursion_pending();
                continue;
            }
            const fs::file_status status = it->symlink_status();
            std::string& entry = FEntries[relative.string()];
            if (fs::is_symlink(status)) {
                entry = "link " + fs::read_symlink(it->path()).string();
            } else if (fs::is_directory(status)) {
                entry = "folder";
            } else {
                std::ifstream in(it->path(), std::ios::binary);
                entry = "file " + std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            }
        }
    }

    // The entries that differ between two snapshots, for a test message.
    std::string DifferencesTo(const TFolderSnapshot& other) const {
        std::string changed;
        for (const auto& [name, entry] : FEntries) {
            auto it = other.FEntries.find(name);
            if (it == other.FEntries.end()) changed += " gone: " + name;
            else if (it->second != entry) changed += " changed: " + name;
        }
        for (const auto& [name, entry] : other.FEntries)
            if (!FEntries.count(name)) changed += " new: " + name;
        return changed;
    }

private:
    std::map<std::string, std::string> FEntries;
};

} // namespace vorlin::test
