// Patch data: the edge cases of the block format, the limits that make a
// package damaged, and the builder's round trip.
#include "updater/PatchData.h"
#include "updater/UpdateErrors.h"

#include <gtest/gtest.h>
#include <random>

using namespace vorlin::updater;

namespace {

std::string Bytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::string data(size, '\0');
    for (char& c : data) c = static_cast<char>(random());
    return data;
}

std::string DifferenceHeader(uint32_t oldLength, uint32_t newCrc, uint32_t oldCrc, uint32_t literals, uint32_t table) {
    std::string out;
    PutU32(out, oldLength);
    out += '\1';
    PutU32(out, newCrc);
    PutU32(out, oldCrc);
    PutU32(out, literals);
    PutU32(out, table);
    return out;
}

} // namespace

TEST(PatchDataTest, EndMarkerAloneMakesAnEmptyFile) {
    std::string patch;
    PutEndMarker(patch);
    EXPECT_EQ(ApplyPatch("old content", patch), "");
}

TEST(PatchDataTest, DifferenceBlocksFollowTheirTable) {
    const std::string old = "0123456789";
    // Empty table with literals: the result of the block is empty.
    std::string patch;
    PutDifferenceBlock(patch, old.substr(0, 4), "", "literals", {});
    // First entry at target 1: nothing from the literals before it; then
    // literals fill the gap up to the second entry; trailing literals that
    // no entry reaches are not written.
    PutDifferenceBlock(patch, old.substr(4, 6), "567AB89", "ABCD", {{3, 2, 1}, {2, 5, 6}});
    PutEndMarker(patch);
    EXPECT_EQ(ApplyPatch(old, patch), "567AB89");
}

TEST(PatchDataTest, MismatchesAreCrcErrors) {
    const std::string old = "abcdefgh";
    std::string bad;
    PutRawBlock(bad, 0, "data");
    bad[9] ^= 1;  // the CRC
    PutEndMarker(bad);
    EXPECT_THROW(ApplyPatch(old, bad), ECrcError);

    std::string wrongOld;
    PutDifferenceBlock(wrongOld, "abcX", "ab", "", {{2, 1, 1}});
    PutEndMarker(wrongOld);
    EXPECT_THROW(ApplyPatch(old, wrongOld), ECrcError);

    std::string type;
    PutU32(type, 0);
    type += '\2';
    PutU32(type, 0);
    try {
        ApplyPatch(old, type);
        FAIL();
    } catch (const ECrcError& e) {
        EXPECT_STREQ(e.what(), "CRC Error");
    }
}

TEST(PatchDataTest, OversizeAndOutOfRangeAreDamaged) {
    const std::string old(100, 'x');
    std::string big;
    PutU32(big, kMaxBlockSize + 1);
    big += '\0';
    EXPECT_THROW(ApplyPatch(std::string(kMaxBlockSize + 1, 'x'), big), EDamagedPackage);

    std::string bigRaw;
    PutU32(bigRaw, 0);
    bigRaw += '\0';
    PutU32(bigRaw, kMaxBlockSize + 1);
    EXPECT_THROW(ApplyPatch(old, bigRaw), EDamagedPackage);

    const uint32_t oldCrc = Crc32(old.substr(0, 10));
    for (const TCopyEntry& entry : std::vector<TCopyEntry>{{5, 8, 1}, {1, 0, 1}, {1, 1, 5}}) {
        std::string patch = DifferenceHeader(10, 0, oldCrc, 2, 12) + "LL";
        PutU32(patch, entry.Length);
        PutU32(patch, entry.Source);
        PutU32(patch, entry.Target);
        PutEndMarker(patch);
        EXPECT_THROW(ApplyPatch(old, patch), EDamagedPackage) << entry.Source << " " << entry.Target;
    }
    std::string table = DifferenceHeader(0, 0, 0, 0, 13);
    EXPECT_THROW(ApplyPatch(old, table + std::string(13, '\0')), EDamagedPackage);
    // Data that ends inside a block.
    std::string cut;
    PutRawBlock(cut, 0, "some data");
    EXPECT_THROW(ApplyPatch(old, cut.substr(0, cut.size() - 3)), EDamagedPackage);
    EXPECT_THROW(ApplyPatch(old, cut), EDamagedPackage);  // no end marker
}

TEST(PatchDataTest, BuilderRoundTrips) {
    const std::string old = Bytes(300000, 1);
    std::string changed = old;
    changed.replace(1000, 50, "a new piece of text in the middle of the file");
    changed.insert(200000, Bytes(5000, 2));
    changed.erase(250000, 7000);
    changed += "tail";
    const std::string patch = BuildPatch(old, changed);
    EXPECT_EQ(ApplyPatch(old, patch), changed);
    EXPECT_LT(patch.size(), 20000u) << "the difference blocks reuse the old file";
    // Many small blocks, a file that shrinks to nothing, one that grows from nothing.
    EXPECT_EQ(ApplyPatch(old, BuildPatch(old, changed, 65536)), changed);
    EXPECT_EQ(ApplyPatch(old, BuildPatch(old, "")), "");
    EXPECT_EQ(ApplyPatch("", BuildPatch("", changed)), changed);
    const std::string unrelated = Bytes(70000, 3);
    EXPECT_EQ(ApplyPatch(old, BuildPatch(old, unrelated, 30000)), unrelated);
}
