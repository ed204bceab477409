#include "updater/PatchData.h"

#include "updater/UpdateErrors.h"

#include <cstring>
#include <zlib.h>

namespace vorlin::updater {

namespace {

// Reads the patch data front to back; running out is a damaged package.
class TPatchReader {
public:
    explicit TPatchReader(std::string_view data) : FData(data) {}

    uint32_t U32(const char* what) {
        const std::string_view bytes = Take(4, what);
        return static_cast<uint32_t>(static_cast<uint8_t>(bytes[0])) |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[1])) << 8 |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[2])) << 16 |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[3])) << 24;
    }
    uint8_t U8(const char* what) { return static_cast<uint8_t>(Take(1, what)[0]); }
    std::string_view Take(size_t count, const char* what) {
        if (FData.size() - FPos < count) throw EDamagedPackage(std::string("the patch data ends inside ") + what);
        const std::string_view bytes = FData.substr(FPos, count);
        FPos += count;
        return bytes;
    }
    size_t Position() const { return FPos; }
    size_t Size() const { return FData.size(); }

private:
    std::string_view FData;
    size_t FPos = 0;
};

void CheckBlockSize(uint32_t size, const char* what) {
    if (size > kMaxBlockSize) throw EDamagedPackage(std::string(what) + " beyond the 2 MB limit");
}

// Type 1: literals fill the gaps between the copies the table lists.
std::string BuildDifference(TPatchReader& in, std::string_view oldBytes) {
    const uint32_t newCrc = in.U32("a block header");
    const uint32_t oldCrc = in.U32("a block header");
    const uint32_t literalLength = in.U32("a block header");
    const uint32_t tableLength = in.U32("a block header");
    CheckBlockSize(literalLength, "literals");
    CheckBlockSize(tableLength, "a copy table");
    if (tableLength % 12 != 0) throw EDamagedPackage("a copy table that is not made of 12-byte entries");
    const std::string_view literals = in.Take(literalLength, "the literals");
    TPatchReader table(in.Take(tableLength, "the copy table"));
    if (Crc32(oldBytes) != oldCrc) throw ECrcError();

    std::string result;
    size_t p = 1, c = 1;
    for (uint32_t i = 0; i < tableLength / 12; ++i) {
        const uint32_t lengthField = table.U32("the copy table");
        const size_t k = lengthField & 0xFFFF;  // the two upper bytes are unused
        const size_t s = table.U32("the copy table");
        const size_t t = table.U32("the copy table");
        if (t < p) throw EDamagedPackage("a copy entry whose target lies behind the result");
        const size_t gap = t - p;
        if (c - 1 + gap > literals.size()) throw EDamagedPackage("a copy entry beyond the literals");
        if (s < 1 || s - 1 + k > oldBytes.size()) throw EDamagedPackage("a copy entry beyond the old bytes");
        if (t - 1 + k > kMaxBlockSize) throw EDamagedPackage("a block result beyond the 2 MB limit");
        result.append(literals.substr(c - 1, gap));
        p += gap;
        c += gap;
        result.append(oldBytes.substr(s - 1, k));
        p += k;
    }
    if (Crc32(result) != newCrc) throw ECrcError();
    return result;
}

} // namespace

uint32_t Crc32(std::string_view data) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes at most 4 GB per call; blocks are far smaller, files may not be.
    while (!data.empty()) {
        const uInt piece = static_cast<uInt>(std::min<size_t>(data.size(), 1u << 30));
        crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data()), piece);
        data.remove_prefix(piece);
    }
    return static_cast<uint32_t>(crc);
}

std::string ApplyPatch(std::string_view oldFile, std::string_view patch, const std::function<void(int)>& progress) {
    TPatchReader in(patch);
    std::string result;
    size_t oldPos = 0;
    for (;;) {
        const uint32_t oldLength = in.U32("a block header");
        CheckBlockSize(oldLength, "old bytes");
        if (oldFile.size() - oldPos < oldLength)
            throw EUpdateError("The installed file is shorter than the update expects: it is not the version the "
                               "update was made for");
        const std::string_view oldBytes = oldFile.substr(oldPos, oldLength);
        oldPos += oldLength;
        const uint8_t type = in.U8("a block header");
        if (type == static_cast<uint8_t>(TBlockType::btRaw)) {
            const uint32_t length = in.U32("a block header");
            if (length == 0) break;
            CheckBlockSize(length, "a raw block");
            const uint32_t crc = in.U32("a block header");
            const std::string_view data = in.Take(length, "a raw block");
            if (Crc32(data) != crc) throw ECrcError();
            result.append(data);
        } else if (type == static_cast<uint8_t>(TBlockType::btDifference)) {
            result += BuildDifference(in, oldBytes);
        } else {
            throw ECrcError();
        }
        if (progress && in.Size() > 0)
            progress(static_cast<int>((in.Position() * 100 + in.Size() / 2) / in.Size()));
    }
    if (progress) progress(100);
    return result;
}

// --- Writing ----------------------------------------------------------------------

void PutU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutRawBlock(std::string& out, uint32_t oldLength, std::string_view data) {
    PutU32(out, oldLength);
    out += static_cast<char>(TBlockType::btRaw);
    PutU32(out, static_cast<uint32_t>(data.size()));
    PutU32(out, Crc32(data));
    out.append(data);
}

void PutEndMarker(std::string& out, uint32_t oldLength) {
    PutU32(out, oldLength);
    out += static_cast<char>(TBlockType::btRaw);
    PutU32(out, 0);
}

void PutDifferenceBlock(std::string& out, std::string_view oldBytes, std::string_view result, std::string_view literals,
                        const std::vector<TCopyEntry>& table) {
    PutU32(out, static_cast<uint32_t>(oldBytes.size()));
    out += static_cast<char>(TBlockType::btDifference);
    PutU32(out, Crc32(result));
    PutU32(out, Crc32(oldBytes));
    PutU32(out, static_cast<uint32_t>(literals.size()));
    PutU32(out, static_cast<uint32_t>(table.size() * 12));
    out.append(literals);
    for (const TCopyEntry& entry : table) {
        PutU32(out, entry.Length);
        PutU32(out, entry.Source);
        PutU32(out, entry.Target);
    }
}

} // namespace vorlin::updater
