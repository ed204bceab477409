#include "updater/PackageInstaller.h"

#include "updater/PackagePaths.h"
#include "updater/PatchData.h"
#include "updater/UpdateErrors.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vorlin::updater {

namespace {

// Added files are copied in pieces of this size, with progress after each.
constexpr size_t kCopyPiece = 4096;

std::string Format(const char* pattern, const std::string& value) {
    std::string text = pattern;
    const size_t at = text.find("%");
    if (at != std::string::npos) text.replace(at, 2, value);
    return text;
}

std::string SystemReason(int error) { return std::strerror(error); }

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EUpdateError("Can't open " + path + ": " + SystemReason(errno));
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw EUpdateError("Can't read " + path);
    return data;
}

int Percent(size_t part, size_t whole) { return whole == 0 ? 100 : static_cast<int>((part * 100 + whole / 2) / whole); }

// New programs and scripts must stay runnable.
unsigned ModeForNewFile(const std::string& content) {
    const bool runnable = content.rfind("\x7f" "ELF", 0) == 0 || content.rfind("#!", 0) == 0;
    return runnable ? 0755 : 0644;
}

} // namespace

TPackageInstaller::TPackageInstaller(std::string programDir, IPatcherView& view)
    : FDir(std::move(programDir)), FView(view) {
    if (!FDir.empty() && FDir.back() != '/') FDir += '/';
    Rename = [](const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()); };
}

void TPackageInstaller::Install(const TUpdatePackage& package) {
    // Every entry is checked before anything is written.
    std::set<std::string> seen;
    for (const auto* entries : {&package.Patches, &package.Adds})
        for (const TPackageEntry& entry : *entries)
            if (!seen.insert(CheckedEntryPath(FDir, entry.Path)).second)
                throw EUnsafePath("The update package names \"" + entry.Path + "\" twice; nothing was changed");
    try {
        Stage(package);
        Commit();
    } catch (...) {
        RollBack();
        throw;
    }
    FStaged.clear();
    FMadeFolders.clear();
}

void TPackageInstaller::Stage(const TUpdatePackage& package) {
    FView.SetPhaseText("Patching " + std::to_string(package.Patches.size()) + " files");
    FView.SetFileProgress(0);
    FView.SetPhaseProgress(0);
    for (size_t i = 0; i < package.Patches.size(); ++i) {
        const TPackageEntry& entry = package.Patches[i];
        const std::string relative = CheckedEntryPath(FDir, entry.Path);
        FView.SetFileText(Format("Patching %s", entry.Path));
        struct stat info {};
        if (stat((FDir + relative).c_str(), &info) != 0)
            throw EUpdateError("The file to update is missing: " + FDir + relative);
        const std::string old = ReadWholeFile(FDir + relative);
        const std::string patched = ApplyPatch(old, entry.Data, [&](int percent) {
            FView.SetFileProgress(percent);
            FView.ProcessMessages();
        });
        StageFile(relative, patched, info.st_mode & 07777);
        FView.SetPhaseProgress(Percent(i + 1, package.Patches.size()));
    }
    FView.SetPhaseText("Adding " + std::to_string(package.Adds.size()) + " files");
    FView.SetFileProgress(0);
    FView.SetPhaseProgress(0);
    for (size_t i = 0; i < package.Adds.size(); ++i) {
        const TPackageEntry& entry = package.Adds[i];
        const std::string relative = CheckedEntryPath(FDir, entry.Path);
        MakeFolders(relative);
        FView.SetFileText(Format("Extracting %s", entry.Path));
        struct stat info {};
        const unsigned mode = stat((FDir + relative).c_str(), &info) == 0 ? (info.st_mode & 07777)
                                                                          : ModeForNewFile(entry.Data);
        StageFile(relative, entry.Data, mode);
        FView.SetPhaseProgress(Percent(i + 1, package.Adds.size()));
    }
}

void TPackageInstaller::MakeFolders(const std::string& relative) {
    size_t slash = 0;
    while ((slash = relative.find('/', slash)) != std::string::npos) {
        const std::string folder = FDir + relative.substr(0, slash);
        if (mkdir(folder.c_str(), 0755) == 0)
            FMadeFolders.push_back(folder);
        else if (errno != EEXIST)
            throw EUpdateError("Can't create the folder " + folder + ": " + SystemReason(errno));
        ++slash;
    }
}

void TPackageInstaller::StageFile(const std::string& relative, const std::string& content, unsigned mode) {
    TStaged staged;
    staged.Target = FDir + relative;
    staged.Temporary = staged.Target + kStagedSuffix;
    unlink(staged.Temporary.c_str());  // left by an update that was killed
    const int fd = open(staged.Temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) throw EUpdateError("Can't create " + staged.Temporary + ": " + SystemReason(errno));
    FStaged.push_back(staged);
    size_t written = 0;
    while (written < content.size()) {
        const size_t piece = std::min(kCopyPiece, content.size() - written);
        const ssize_t n = write(fd, content.data() + written, piece);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = errno;
            close(fd);
            throw EUpdateError("Can't write " + staged.Temporary + ": " + SystemReason(error));
        }
        written += static_cast<size_t>(n);
        if (written % kCopyPiece == 0 || written == content.size()) FView.SetFileProgress(Percent(written, content.size()));
    }
    fchmod(fd, mode);  // the umask may have taken bits away
    const bool synced = fsync(fd) == 0;
    const int error = errno;
    if (close(fd) != 0 || !synced) throw EUpdateError("Can't write " + staged.Temporary + ": " + SystemReason(error));
    if (content.empty()) FView.SetFileProgress(100);
}

bool TPackageInstaller::RenameToBak(const std::string& target) {
    const std::string bak = target + ".bak";
    for (int attempt = 0; attempt < BakRenameTries; ++attempt) {
        unlink(bak.c_str());
        if (Rename(target, bak) == 0) return true;
        if (attempt + 1 < BakRenameTries) {
            FView.ProcessMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(BakRetryPauseMs));
        }
    }
    return false;
}

void TPackageInstaller::Commit() {
    for (TStaged& staged : FStaged) {
        struct stat info {};
        staged.HadOld = lstat(staged.Target.c_str(), &info) == 0;
        if (staged.HadOld && !RenameToBak(staged.Target))
            throw EUpdateError("Can't rename " + staged.Target + " to its \".bak\" name (it stays in use); the "
                               "update was undone");
        if (Rename(staged.Temporary, staged.Target) != 0) {
            const int error = errno;
            if (staged.HadOld) Rename(staged.Target + ".bak", staged.Target);
            throw EUpdateError("Can't put the new " + staged.Target + " in place: " + SystemReason(error) +
                               "; the update was undone");
        }
        staged.Swapped = true;
    }
}

void TPackageInstaller::RollBack() {
    for (auto it = FStaged.rbegin(); it != FStaged.rend(); ++it) {
        if (it->Swapped) {
            if (it->HadOld)
                Rename(it->Target + ".bak", it->Target);
            else
                unlink(it->Target.c_str());
        }
        unlink(it->Temporary.c_str());
    }
    for (auto it = FMadeFolders.rbegin(); it != FMadeFolders.rend(); ++it) rmdir(it->c_str());
    FStaged.clear();
    FMadeFolders.clear();
}

} // namespace vorlin::updater
