#include "platform/FileSystem.h"

#include "platform/Exception.h"
#include "platform/Stream.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace vorlin {

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int64_t FileSizeOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return st.st_size;
}

int64_t FileModificationTime(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<int64_t>(st.st_mtime);
}

bool ForceDirectories(const std::string& path) {
    if (path.empty()) return false;
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    if (DirectoryExists(p)) return true;
    auto slash = p.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !ForceDirectories(p.substr(0, slash)))
        return false;
    return ::mkdir(p.c_str(), 0755) == 0 || (errno == EEXIST && DirectoryExists(p));
}

bool DeleteFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }
bool RemoveDir(const std::string& path) { return ::rmdir(path.c_str()) == 0; }
bool RenameFile(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    if (failIfExists && FileExists(to)) return false;
    try {
        TFileStream src(from, fmOpenRead);
        TFileStream dst(to, fmCreate);
        char buffer[65536];
        for (;;) {
            int64_t n = src.Read(buffer, sizeof buffer);
            if (n <= 0) break;
            dst.WriteBuffer(buffer, n);
        }
        return true;
    } catch (const Exception&) {
        return false;
    }
}

int64_t DiskFree(const std::string& path) {
    struct statvfs vfs {};
    if (::statvfs(path.c_str(), &vfs) != 0) return -1;
    return static_cast<int64_t>(vfs.f_bavail) * static_cast<int64_t>(vfs.f_frsize);
}

std::string ExtractFilePath(const std::string& path) {
    auto p = path.find_last_of('/');
    return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string ExtractFileName(const std::string& path) {
    auto p = path.find_last_of('/');
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ExtractFileExt(const std::string& path) {
    auto p = path.find_last_of("./");
    return p == std::string::npos || path[p] != '.' ? std::string() : path.substr(p);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    auto p = path.find_last_of("./");
    if (p == std::string::npos || path[p] != '.') return path + ext;
    return path.substr(0, p) + ext;
}

std::string IncludeTrailingSlash(const std::string& path) {
    return !path.empty() && path.back() == '/' ? path : path + "/";
}

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path.c_str()), ::closedir);
    if (!dir) return names;
    while (dirent* e = ::readdir(dir.get())) {
        std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    return names;
}

void WriteFileAtomically(const std::string& path, const std::function<void(TFileStream&)>& writer,
                         unsigned permissions) {
    std::string temp = path + ".tmp" + std::to_string(::getpid());
    // A temporary file left by a crash would keep its old permissions when
    // truncated: it goes first.
    DeleteFile(temp);
    try {
        {
            TFileStream out(temp, fmCreate, std::string(), permissions);
            writer(out);
            out.Sync();
        }
        if (!RenameFile(temp, path))
            throw EStreamError("Cannot replace \"" + path + "\" with its new copy");
    } catch (...) {
        DeleteFile(temp);
        throw;
    }
}

bool SetFileModificationTime(const std::string& path, int64_t unixSeconds) {
    timespec times[2] = {};
    times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(unixSeconds);
    // Never through a symbolic link: it could lead out of the target.
    return ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

bool SetFileModificationTime(int handle, int64_t unixSeconds) {
    timespec times[2] = {};
    times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(unixSeconds);
    return handle >= 0 && ::futimens(handle, times) == 0;
}

void RemoveStaleTemporaries(const std::string& path) {
    const std::string dir = ExtractFilePath(path);
    const std::string prefix = ExtractFileName(path) + ".tmp";
    for (const std::string& name : ListDirectory(dir.empty() ? "." : dir)) {
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        const char* first = name.data() + prefix.size();
        const char* last = name.data() + name.size();
        long pid = 0;
        auto [end, ec] = std::from_chars(first, last, pid);
        if (ec != std::errc() || end != last || pid <= 0 || pid == ::getpid()) continue;
        // EPERM: the process runs, it is only someone else's.
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        struct stat st {};
        const std::string stale = dir + name;
        if (::lstat(stale.c_str(), &st) == 0 && S_ISREG(st.st_mode)) DeleteFile(stale);
    }
}

std::string ExecutableDirectory() {
    char buffer[4096];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return "./";
    return ExtractFilePath(std::string(buffer, static_cast<size_t>(n)));
}

} // namespace vorlin
