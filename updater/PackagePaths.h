// Which files a package may touch: only files inside the program folder.
// A stored entry is a relative path with "\" separators; absolute paths,
// drive names, empty, "." and ".." parts, and paths that pass through a
// symbolic link (or name a folder) inside the program folder are refused.
#pragma once

#include <string>

namespace vorlin::updater {

// The entry as a host path relative to the program folder ("a/b.txt").
// Throws EUnsafePath naming the entry.
std::string CheckedEntryPath(const std::string& programDir, const std::string& entry);

} // namespace vorlin::updater
