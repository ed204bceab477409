// Patch data: how the package turns an installed file into its new
// version, block after block. Each block consumes the next "old length"
// bytes of the old file and produces the next piece of the new one, either
// as raw bytes (type 0) or as literals plus copies from the consumed old
// bytes (type 1). All numbers are 32-bit little-endian; every piece of a
// block fits the patcher's 2 MB buffers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlin::updater {

// The size of each of the patcher's four block buffers.
constexpr uint32_t kMaxBlockSize = 2097152;

enum class TBlockType : uint8_t { btRaw = 0, btDifference = 1 };

// Builds the new file from the old one. Throws ECrcError on a CRC mismatch
// or an unknown block type, EDamagedPackage on data that ends early, sizes
// beyond kMaxBlockSize or copy entries outside the buffers. progress gets
// the position in the patch data in percent after every block.
std::string ApplyPatch(std::string_view oldFile, std::string_view patch,
                       const std::function<void(int percent)>& progress = nullptr);

// The patch data that turns oldFile into newFile: difference blocks where
// the old file helps, raw blocks where it does not, then the end marker.
// blockSize (at most kMaxBlockSize) is for tests that want many blocks.
std::string BuildPatch(std::string_view oldFile, std::string_view newFile, uint32_t blockSize = kMaxBlockSize);

// Pieces of patch data, for the builder and for tests that write damaged
// data on purpose.
void PutU32(std::string& out, uint32_t value);
void PutRawBlock(std::string& out, uint32_t oldLength, std::string_view data);
void PutEndMarker(std::string& out, uint32_t oldLength = 0);
struct TCopyEntry {
    uint16_t Length;
    uint32_t Source;  // in the consumed old bytes, from 1
    uint32_t Target;  // in the result, from 1
};
void PutDifferenceBlock(std::string& out, std::string_view oldBytes, std::string_view result, std::string_view literals,
                        const std::vector<TCopyEntry>& table);

uint32_t Crc32(std::string_view data);

} // namespace vorlin::updater
