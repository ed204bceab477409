// The makers' side of patch data: finds the runs of each new block in the
// matching stretch of the old file and writes the smaller of a difference
// block and a raw block.
#include "updater/PatchData.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vorlin::updater {

namespace {

// Shorter runs cost more as a 12-byte copy entry than as literals.
constexpr size_t kMinCopy = 16;
constexpr size_t kMaxCopy = 0xFFFF;
constexpr size_t kWindow = 8;
constexpr int kHashBits = 20;

uint32_t HashAt(const char* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return static_cast<uint32_t>((v * 0x9E3779B97F4A7C15ull) >> (64 - kHashBits));
}

// One difference block for newPart against oldPart, or empty when a raw
// block is smaller.
std::string DifferenceBlock(std::string_view oldPart, std::string_view newPart) {
    std::vector<uint32_t> index;  // hash -> position + 1 in oldPart
    if (oldPart.size() >= kWindow) {
        index.assign(size_t{1} << kHashBits, 0);
        for (size_t i = 0; i + kWindow <= oldPart.size(); ++i) index[HashAt(oldPart.data() + i)] = static_cast<uint32_t>(i + 1);
    }
    std::string literals;
    std::vector<TCopyEntry> table;
    size_t pos = 0, pendingLiterals = 0;
    while (pos < newPart.size()) {
        size_t matchAt = 0, matchLength = 0;
        if (!index.empty() && pos + kWindow <= newPart.size()) {
            if (const uint32_t candidate = index[HashAt(newPart.data() + pos)]) {
                const size_t from = candidate - 1;
                size_t length = 0;
                const size_t limit = std::min({kMaxCopy, oldPart.size() - from, newPart.size() - pos});
                while (length < limit && oldPart[from + length] == newPart[pos + length]) ++length;
                matchAt = from;
                matchLength = length;
            }
        }
        if (matchLength >= kMinCopy) {
            table.push_back({static_cast<uint16_t>(matchLength), static_cast<uint32_t>(matchAt + 1),
                             static_cast<uint32_t>(pos + 1)});
            pos += matchLength;
            pendingLiterals = 0;
        } else {
            literals += newPart[pos++];
            ++pendingLiterals;
        }
    }
    // Literals after the last copy are written only when an entry reaches
    // past them: an empty copy at the end of the block does.
    if (pendingLiterals > 0 || (table.empty() && !literals.empty()))
        table.push_back({0, 1, static_cast<uint32_t>(newPart.size() + 1)});
    std::string block;
    PutDifferenceBlock(block, oldPart, newPart, literals, table);
    return block;
}

} // namespace

std::string BuildPatch(std::string_view oldFile, std::string_view newFile, uint32_t blockSize) {
    blockSize = std::clamp<uint32_t>(blockSize, 1, kMaxBlockSize);
    // Both files are cut into the same number of stretches, so each new
    // block is compared with the part of the old file where it most likely
    // came from, and no stretch exceeds the buffers.
    const size_t blocks = std::max<size_t>({1, (newFile.size() + blockSize - 1) / blockSize,
                                            (oldFile.size() + blockSize - 1) / blockSize});
    std::string patch;
    for (size_t i = 0; i < blocks; ++i) {
        const size_t newFrom = newFile.size() * i / blocks, newTo = newFile.size() * (i + 1) / blocks;
        const size_t oldFrom = oldFile.size() * i / blocks, oldTo = oldFile.size() * (i + 1) / blocks;
        const std::string_view newPart = newFile.substr(newFrom, newTo - newFrom);
        const std::string_view oldPart = oldFile.substr(oldFrom, oldTo - oldFrom);
        if (newPart.empty() && oldPart.empty()) continue;
        std::string difference = DifferenceBlock(oldPart, newPart);
        // A raw block of nothing would be the end marker: an empty piece is
        // always a difference block.
        if (!newPart.empty() && difference.size() > newPart.size() + 13)
            PutRawBlock(patch, static_cast<uint32_t>(oldPart.size()), newPart);
        else
            patch += difference;
    }
    PutEndMarker(patch);
    return patch;
}

} // namespace vorlin::updater
