// File-system operations on host paths (POSIX form). Stored local names keep
// their backslash form; project/ maps them to host paths before they get here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vorlin {

bool FileExists(const std::string& path);      // a regular file
bool DirectoryExists(const std::string& path);  // a directory
int64_t FileSizeOf(const std::string& path);    // -1 when absent
// A regular file's modification time in seconds since 1970 (a symbolic link
// is not followed); -1 when there is none.
int64_t FileModificationTime(const std::string& path);
// Creates the directory with all missing parents; false on failure.
bool ForceDirectories(const std::string& path);
bool DeleteFile(const std::string& path);
bool RemoveDir(const std::string& path);  // an empty directory only
bool RenameFile(const std::string& from, const std::string& to);
// Copies a file; with failIfExists an existing target is left alone (false).
bool CopyFile(const std::string& from, const std::string& to, bool failIfExists);
// Free bytes for the caller on the file system holding path; -1 on failure.
int64_t DiskFree(const std::string& path);

// Path pieces of host paths ("/" separated).
std::string ExtractFilePath(const std::string& path);  // up to and including the last "/"
std::string ExtractFileName(const std::string& path);  // after the last "/"
std::string ExtractFileExt(const std::string& path);   // from the last "." of the name on
std::string ChangeFileExt(const std::string& path, const std::string& ext);
std::string IncludeTrailingSlash(const std::string& path);

// Directory listing in the order the file system returns it; names only,
// without "." and "..".
std::vector<std::string> ListDirectory(const std::string& path);

// Permissions of the files written here: data anyone may read, and files
// that hold passwords (scrambled or not), which only their owner may read.
constexpr unsigned kSharedFileMode = 0644;
constexpr unsigned kPrivateFileMode = 0600;

// Writes a data file so that a crash or a full disk never destroys the old
// copy: the writer fills a temporary file beside the target, which is flushed
// and renamed over the target only when the writer returned normally. The
// temporary file is created afresh with the permissions, so the file has them
// from its first byte on and keeps them through every rewrite.
// Throws EStreamError when the temporary file cannot be made or renamed.
class TFileStream;
void WriteFileAtomically(const std::string& path, const std::function<void(TFileStream&)>& writer,
                         unsigned permissions = kSharedFileMode);

// Sets a file's modification (and access) time; false when it can't.
bool SetFileModificationTime(const std::string& path, int64_t unixSeconds);
// The same for a file still open for writing (after its last write): no
// second walk down its path.
bool SetFileModificationTime(int handle, int64_t unixSeconds);

// Removes what WriteFileAtomically left of path when a process was killed
// while saving: files named like path + ".tmp" + a process id, of processes
// that no longer run. Those of running processes are left alone.
void RemoveStaleTemporaries(const std::string& path);

// The directory of the running executable, with a trailing "/".
std::string ExecutableDirectory();

} // namespace vorlin
