// File operations on paths that must stay inside a base directory (a
// project's target directory): every directory below the base is opened
// from the one above it without following a symbolic link, and so is the
// file itself. A link that a page, a server or another program put inside
// the target can therefore never lead a write, a read or a deletion out of
// it, not even if it appears between two steps. The base directory itself
// is the user's choice and may be a link.
#pragma once

#include <string>

namespace vorlin {

// Opens path, which must lie below baseDir (it is refused otherwise, as is
// a path holding a NUL byte or a "." or ".." component below the base).
// flags as for open(2); O_NOFOLLOW and O_CLOEXEC are added. With
// makeDirectories the missing directories (the base included) are made.
// Answers the descriptor; throws EFileError naming the path and the reason
// ("... is a symbolic link, not followed" for a link in the way).
int OpenConfined(const std::string& baseDir, const std::string& path, int flags, bool makeDirectories);

// Makes the directory dir below baseDir with its missing parents, never
// through a symbolic link. Throws EFileError.
void ForceDirectoriesConfined(const std::string& baseDir, const std::string& dir);

// Deletes the file path below baseDir unless a symbolic link stands in its
// way (a link itself is removed, never what it points at). False when
// nothing was deleted.
bool DeleteFileConfined(const std::string& baseDir, const std::string& path);

} // namespace vorlin
