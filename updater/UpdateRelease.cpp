#include "updater/UpdateRelease.h"

#include "platform/FileSystem.h"
#include "platform/Stream.h"
#include "updater/PatchData.h"
#include "updater/UpdateErrors.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace vorlin::updater {

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EUpdateError("Can't read " + path.string());
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Relative names ("a/b") of the plain files below dir, sorted.
std::vector<std::string> ProgramFiles(const std::string& dir) {
    std::vector<std::string> names;
    for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator(); ++it) {
        const std::string relative = fs::relative(it->path(), dir).generic_string();
        if (IsUserFile(relative)) {
            if (it->is_directory()) it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file() && !it->is_symlink()) names.push_back(relative);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Stored(std::string relative) {
    std::replace(relative.begin(), relative.end(), '/', '\\');
    return relative;
}

} // namespace

bool IsUserFile(const std::string& relative) {
    static const char* const kUserNames[] = {"Projects", "Updates", "HttpVorlin.ini", "passwords.lst",
                                             "settings.cfg", "docking.cfg"};
    const std::string first = relative.substr(0, relative.find('/'));
    for (const char* name : kUserNames)
        if (first == name) return true;
    const auto endsWith = [&](const char* suffix) {
        const std::string s = suffix;
        return relative.size() >= s.size() && relative.compare(relative.size() - s.size(), s.size(), s) == 0;
    };
    return endsWith(".bak") || endsWith(".update-new");
}

std::string DescriptionFileName(const std::string& version) { return "httpvorl32ge-" + version + ".upd"; }

TRelease BuildRelease(const TReleaseOptions& options) {
    TRelease release;
    std::string fileList;
    for (const std::string& name : ProgramFiles(options.NewDir)) {
        const std::string fresh = ReadAll(options.NewDir + name);
        const bool existed = fs::is_regular_file(options.OldDir + name);
        const std::string old = existed ? ReadAll(options.OldDir + name) : std::string();
        if (existed && old == fresh) continue;
        if (name == options.PatcherName) {
            // The running patcher is replaced by the main program after the restart.
            release.Package.Adds.push_back({Stored(name) + ".new", fresh});
        } else if (existed) {
            release.Package.Patches.push_back({Stored(name), BuildPatch(old, fresh)});
        } else {
            release.Package.Adds.push_back({Stored(name), fresh});
        }
        fileList += (fileList.empty() ? "" : ";") + Stored(name);
    }
    release.PackageName = "httpvorl32ge-" + options.NewVersion + ".dat";
    release.DescriptionName = DescriptionFileName(options.OldVersion);
    release.Description = "UpdateExists=1\r\nNewVersion=" + options.NewVersion + "\r\nChanges=" + options.Changes +
                          "\r\nDatFile=" + release.PackageName + "\r\nFileList=" + fileList + "\r\n";
    return release;
}

void WriteSignedFile(const std::string& path, const std::string& bytes, const TKeyPair& keys) {
    const TSignature signature = Sign(keys, bytes);
    const std::string text = ToHex(signature.data(), signature.size()) + "\n";
    WriteFileAtomically(path, [&](TFileStream& f) { f.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size())); });
    WriteFileAtomically(path + kSignatureSuffix,
                        [&](TFileStream& f) { f.WriteBuffer(text.data(), static_cast<int64_t>(text.size())); });
}

} // namespace vorlin::updater
