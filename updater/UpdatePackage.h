// The update package: one zlib stream holding the patch list (tagged
// values: list start, one string per file, list end), each file's patch
// data as an integer length and that many raw bytes, then the add list and
// each added file's content the same way. Paths are relative to the
// program folder, with "\" separators.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorlin::updater {

struct TPackageEntry {
    std::string Path;  // as stored: relative, "\" separators
    std::string Data;  // patch data (patch list) or the whole file (add list)
};

struct TUpdatePackage {
    std::vector<TPackageEntry> Patches;
    std::vector<TPackageEntry> Adds;
};

// The most a package may unpack to: a damaged or hostile stream can't make
// the patcher fill memory.
constexpr size_t kMaxUnpackedPackage = size_t{1} << 30;

// Reads a package from its compressed bytes. Throws EDamagedPackage for a
// damaged zlib stream, a stream that ends early, values of the wrong kind,
// negative lengths or bytes after the add list.
TUpdatePackage ReadPackage(std::string_view compressed);

// The compressed bytes of a package (the makers' tool and tests).
std::string WritePackage(const TUpdatePackage& package);

} // namespace vorlin::updater
