#include "rules/PakArchive.h"
#include "tests/plugins/PluginTestSupport.h"

#include "platform/FileSystem.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace vorlin;
using namespace vorlin::test;

namespace {

uint32_t LE(const std::string& bytes, size_t at, int size) {
    uint32_t v = 0;
    for (int i = 0; i < size; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes.at(at + i))) << (8 * i);
    return v;
}

TMemoryStream Bytes(const std::string& text) {
    TMemoryStream m;
    m.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
    return m;
}

std::string EntryText(const TPakArchive& archive, const std::string& name) {
    int i = archive.Find(name);
    if (i < 0) return "<none>";
    TMemoryStream m;
    archive.Read(i, m);
    return m.ToString();
}

void ExpectHeader(const std::string& file, uint32_t dirOffset, uint32_t count) {
    ASSERT_GE(file.size(), 86u);
    EXPECT_EQ(LE(file, 0, 2), 0u);
    EXPECT_EQ(LE(file, 2, 2), 1u);
    EXPECT_EQ(LE(file, 4, 4), dirOffset);
    EXPECT_EQ(LE(file, 8, 4), count);
    EXPECT_EQ(file.substr(12, 50), std::string(50, '\0'));
    EXPECT_EQ(file.substr(62, 24), std::string(24, 'X'));
}

void ExpectItem(const std::string& file, size_t at, const std::string& name, uint32_t offset, uint32_t size) {
    std::string padded = name + std::string(256 - name.size(), '\0');
    EXPECT_EQ(file.substr(at, 256), padded);
    EXPECT_EQ(LE(file, at + 256, 2), 0u);  // kind
    EXPECT_EQ(LE(file, at + 258, 4), offset);
    EXPECT_EQ(LE(file, at + 262, 4), size);
}

class PakArchiveTest : public ::testing::Test {
protected:
    TTempDir FDir;
    std::string FFile = FDir.Path() + "project.prj.plugins";
};

TEST_F(PakArchiveTest, NewArchiveIsAHeaderWithoutDirectory) {
    { TPakArchive archive(FFile); }
    std::string file = ReadFile(FFile);
    EXPECT_EQ(file.size(), 86u);
    ExpectHeader(file, 0, 0);
}

TEST_F(PakArchiveTest, EntriesAndDirectoryAreLaidOutByteForByte) {
    {
        TPakArchive archive(FFile);
        TMemoryStream a = Bytes("alpha-data"), b = Bytes("bb");
        archive.Add(a, "alpha");
        archive.Add(b, "beta");
        archive.Flush();
    }
    std::string file = ReadFile(FFile);
    ASSERT_EQ(file.size(), 86u + 10 + 2 + 2 * 266);
    ExpectHeader(file, 98, 2);
    EXPECT_EQ(file.substr(86, 12), "alpha-databb");
    ExpectItem(file, 98, "alpha", 86, 10);
    ExpectItem(file, 98 + 266, "beta", 96, 2);

    TPakArchive reopened(FFile);
    EXPECT_EQ(reopened.Count(), 2);
    EXPECT_EQ(EntryText(reopened, "alpha"), "alpha-data");
    EXPECT_EQ(EntryText(reopened, "beta"), "bb");
    EXPECT_EQ(reopened.Find("Alpha"), -1);  // names are case-sensitive
}

TEST_F(PakArchiveTest, ChangesAreWrittenWhenTheArchiveCloses) {
    {
        TPakArchive archive(FFile);
        TMemoryStream a = Bytes("x");
        archive.Add(a, "css");
    }
    TPakArchive reopened(FFile);
    EXPECT_EQ(EntryText(reopened, "css"), "x");
}

TEST_F(PakArchiveTest, DeletedDataStaysUntilCompactionMovesTheRestForward) {
    {
        TPakArchive archive(FFile);
        TMemoryStream a = Bytes("AAAA"), b = Bytes("BB"), c = Bytes("CCC");
        archive.Add(a, "a");
        archive.Add(b, "b");
        archive.Add(c, "c");
        archive.Delete(archive.Find("a"));
        archive.Flush();
        std::string file = ReadFile(FFile);
        EXPECT_EQ(file.substr(86, 9), "AAAABBCCC");  // not yet reclaimed
        ExpectHeader(file, 95, 2);
        archive.Compact();
    }
    std::string file = ReadFile(FFile);
    ASSERT_EQ(file.size(), 86u + 5 + 2 * 266);
    ExpectHeader(file, 91, 2);
    EXPECT_EQ(file.substr(86, 5), "BBCCC");
    ExpectItem(file, 91, "b", 86, 2);
    ExpectItem(file, 91 + 266, "c", 88, 3);
    // No temporary copy is left beside the archive.
    EXPECT_EQ(ListDirectory(FDir.Path()).size(), 1u);
}

TEST_F(PakArchiveTest, CompactingAwayTheOnlyEntryLeavesTheBareHeader) {
    {
        TPakArchive archive(FFile);
        TMemoryStream a = Bytes("settings");
        archive.Add(a, "only");
        archive.Flush();
        archive.Delete(0);
        archive.Compact();
    }
    std::string file = ReadFile(FFile);
    EXPECT_EQ(file.size(), 86u);
    ExpectHeader(file, 86, 0);
}

TEST_F(PakArchiveTest, DuplicateNamesKeepBothAndFindAnswersTheFirst) {
    TPakArchive archive(FFile);
    TMemoryStream first = Bytes("1"), second = Bytes("2"), empty;
    archive.Add(first, "p");
    archive.Add(second, "p");
    EXPECT_EQ(archive.Count(), 2);
    EXPECT_EQ(archive.Find("p"), 0);
    EXPECT_EQ(EntryText(archive, "p"), "1");
    archive.Add(empty, "empty");
    EXPECT_EQ(EntryText(archive, "empty"), "");
}

TEST_F(PakArchiveTest, LongNamesAreCutAndStillFound) {
    std::string name(300, 'n');
    {
        TPakArchive archive(FFile);
        TMemoryStream a = Bytes("v");
        archive.Add(a, name);
        EXPECT_EQ(archive.Directory().Item(0).Name.size(), 255u);
    }
    TPakArchive reopened(FFile);
    EXPECT_EQ(EntryText(reopened, name), "v");
    // A cut never splits a UTF-8 character.
    std::string wide = std::string(254, 'a') + "\xc3\xbc" + "tail";
    EXPECT_EQ(TPakArchive::StoredName(wide), std::string(254, 'a'));
}

TEST_F(PakArchiveTest, CountIsReadAsSixteenBits) {
    {
        TPakArchive archive(FFile);
        TMemoryStream a = Bytes("z");
        archive.Add(a, "z");
    }
    std::string file = ReadFile(FFile);
    file[10] = 1;  // count 0x00010001
    WriteFile(FFile, file);
    TPakArchive reopened(FFile);
    EXPECT_EQ(reopened.Count(), 1);
    EXPECT_EQ(EntryText(reopened, "z"), "z");
}

TEST_F(PakArchiveTest, DamagedFilesYieldWhatCouldBeRead) {
    {
        TPakArchive archive(FFile);
        TMemoryStream a = Bytes("first"), b = Bytes("second");
        archive.Add(a, "one");
        archive.Add(b, "two");
    }
    std::string good = ReadFile(FFile);

    // The directory breaks off inside the second item.
    WriteFile(FFile, good.substr(0, good.size() - 100));
    {
        TPakArchive archive(FFile);
        EXPECT_EQ(archive.Count(), 1);
        EXPECT_EQ(EntryText(archive, "one"), "first");
    }
    // An item whose data would lie beyond the directory is dropped.
    std::string bad = good;
    bad[86 + 11 + 266 + 262] = 100;  // size of "two"
    WriteFile(FFile, bad);
    {
        TPakArchive archive(FFile);
        EXPECT_EQ(archive.Count(), 1);
        EXPECT_EQ(archive.Find("two"), -1);
    }
    // A directory offset beyond the file, and a file shorter than a header.
    bad = good;
    bad[7] = 0x7F;
    WriteFile(FFile, bad);
    EXPECT_EQ(TPakArchive(FFile).Count(), 0);
    WriteFile(FFile, "short");
    {
        TPakArchive archive(FFile);
        EXPECT_EQ(archive.Count(), 0);
        TMemoryStream a = Bytes("new");
        archive.Add(a, "fresh");
    }
    EXPECT_EQ(EntryText(TPakArchive(FFile), "fresh"), "new");
}

TEST_F(PakArchiveTest, BadIndexIsAnError) {
    TPakArchive archive(FFile);
    EXPECT_THROW(archive.Delete(0), EPakError);
    EXPECT_THROW(TPakArchive(FDir.Path() + "missing/dir/x.plugins"), Exception);
}

} // namespace
