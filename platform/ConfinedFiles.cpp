#include "platform/ConfinedFiles.h"

#include "platform/Exception.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace vorlin {

namespace {

class TDescriptor {
public:
    explicit TDescriptor(int fd = -1) : FFd(fd) {}
    ~TDescriptor() { Reset(); }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    int Get() const { return FFd; }
    void Reset(int fd = -1) {
        if (FFd >= 0) ::close(FFd);
        FFd = fd;
    }
    int Release() {
        int fd = FFd;
        FFd = -1;
        return fd;
    }

private:
    int FFd;
};

[[noreturn]] void Fail(const std::string& path, int error) {
    // A link in the way shows as ELOOP (the link itself) or, for a link to a
    // file where a directory is needed, as ENOTDIR.
    if (error == ELOOP) throw EFileError("Cannot open file \"" + path + "\". A symbolic link stands in the way and is not followed", error);
    throw EFileError("Cannot open file \"" + path + "\". " + std::strerror(error), error);
}

// The components of path below baseDir; throws when path is not below it.
std::vector<std::string> ComponentsBelow(const std::string& baseDir, const std::string& path) {
    if (path.find('\0') != std::string::npos || baseDir.find('\0') != std::string::npos)
        throw EFileError("Cannot open file \"" + path + "\". The name holds a NUL byte", EINVAL);
    std::string base = baseDir;
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    if (path.compare(0, base.size(), base) != 0 || (path.size() > base.size() && path[base.size()] != '/' && base != "/"))
        throw EFileError("Cannot open file \"" + path + "\". It lies outside \"" + baseDir + "\"", EINVAL);
    std::vector<std::string> parts;
    size_t start = base.size();
    while (start < path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        std::string part = path.substr(start, slash - start);
        if (part == "." || part == "..")
            throw EFileError("Cannot open file \"" + path + "\". It climbs out of \"" + baseDir + "\"", EINVAL);
        if (!part.empty()) parts.push_back(std::move(part));
        start = slash + 1;
    }
    return parts;
}

int OpenBase(const std::string& baseDir, const std::string& path, bool makeDirectories) {
    const std::string base = baseDir.empty() ? std::string(".") : baseDir;
    int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT && makeDirectories && ForceDirectories(base))
        fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) Fail(path, errno);
    return fd;
}

// Descends from the base through every directory component of parts but
// the last; answers the descriptor of the last directory.
int OpenParent(const std::string& baseDir, const std::string& path, const std::vector<std::string>& parts,
               bool makeDirectories) {
    TDescriptor dir(OpenBase(baseDir, path, makeDirectories));
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        const char* name = parts[i].c_str();
        int next = ::openat(dir.Get(), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && errno == ENOENT && makeDirectories) {
            if (::mkdirat(dir.Get(), name, 0755) != 0 && errno != EEXIST) Fail(path, errno);
            next = ::openat(dir.Get(), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        if (next < 0) {
            int error = errno;
            // A link to a file where a directory is needed reads ENOTDIR.
            struct stat st {};
            if (error == ENOTDIR && ::fstatat(dir.Get(), name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
                error = ELOOP;
            Fail(path, error);
        }
        dir.Reset(next);
    }
    return dir.Release();
}

// Every stored file is opened through here. Where the kernel can resolve the
// whole path below the base in one call, refusing any symbolic link and any
// step out of it, that call replaces the walk of one open per directory.
// Any failure (a directory still to be made, a link in the way, a kernel
// without the call) is left to the walk, which makes the directories and
// names the reason: the walk's rules hold either way.
int OpenBeneath(const std::string& baseDir, const std::vector<std::string>& parts, int flags) {
#if defined(SYS_openat2) && defined(RESOLVE_BENEATH)
    static std::atomic<bool> unavailable{false};  // the kernel lacks the call: the walk only
    if (unavailable.load(std::memory_order_relaxed)) return -1;
    const std::string base = baseDir.empty() ? std::string(".") : baseDir;
    TDescriptor dir(::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() < 0) return -1;
    std::string relative;
    for (const std::string& part : parts) {
        if (!relative.empty()) relative += '/';
        relative += part;
    }
    open_how how{};
    how.flags = static_cast<uint64_t>(flags | O_NOFOLLOW | O_CLOEXEC);
    how.mode = (flags & O_CREAT) ? 0644 : 0;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    long fd;
    do {
        fd = ::syscall(SYS_openat2, dir.Get(), relative.c_str(), &how, sizeof how);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0 && errno == ENOSYS) unavailable.store(true, std::memory_order_relaxed);
    return fd < 0 ? -1 : static_cast<int>(fd);
#else
    (void)baseDir;
    (void)parts;
    (void)flags;
    return -1;
#endif
}

} // namespace

int OpenConfined(const std::string& baseDir, const std::string& path, int flags, bool makeDirectories) {
    std::vector<std::string> parts = ComponentsBelow(baseDir, path);
    if (parts.empty()) Fail(path, EISDIR);
    const int beneath = OpenBeneath(baseDir, parts, flags);
    if (beneath >= 0) return beneath;
    TDescriptor dir(OpenParent(baseDir, path, parts, makeDirectories));
    int fd;
    do {
        fd = ::openat(dir.Get(), parts.back().c_str(), flags | O_NOFOLLOW | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) Fail(path, errno);
    return fd;
}

void ForceDirectoriesConfined(const std::string& baseDir, const std::string& dir) {
    std::vector<std::string> parts = ComponentsBelow(baseDir, dir);
    // A dummy last component makes OpenParent walk (and make) every directory.
    parts.emplace_back();
    TDescriptor last(OpenParent(baseDir, dir, parts, true));
}

bool DeleteFileConfined(const std::string& baseDir, const std::string& path) {
    try {
        std::vector<std::string> parts = ComponentsBelow(baseDir, path);
        if (parts.empty()) return false;
        TDescriptor dir(OpenParent(baseDir, path, parts, false));
        return ::unlinkat(dir.Get(), parts.back().c_str(), 0) == 0;
    } catch (const EFileError&) {
        return false;
    }
}

} // namespace vorlin
