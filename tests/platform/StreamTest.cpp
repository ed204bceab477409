#include "platform/FileSystem.h"
#include "platform/Stream.h"

#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace vorlin;

namespace {
std::string TempDir() {
    char pattern[] = "/tmp/vorlin-stream-XXXXXX";
    return std::string(mkdtemp(pattern)) + "/";
}
} // namespace

TEST(Stream, MemoryStreamReadsWritesAndSeeks) {
    TMemoryStream m;
    m.WriteBuffer("hello", 5);
    EXPECT_EQ(m.Size(), 5);
    m.SetPosition(1);
    char b[4] = {};
    EXPECT_EQ(m.Read(b, 10), 4);
    EXPECT_EQ(std::string(b, 4), "ello");
    m.SetPosition(3);
    m.WriteBuffer("LOWORLD", 7);
    EXPECT_EQ(m.ToString(), "helLOWORLD");
    EXPECT_THROW(m.ReadBuffer(b, 1), EStreamError);
}

// Appending, writing over the middle, and writing a stream's own bytes into
// it while it grows (its memory moves) or where they overlap.
TEST(Stream, MemoryStreamWritesItsOwnBytesAndAppendsAfterAHole) {
    TMemoryStream m;
    std::string expected;
    for (int i = 0; i < 100; ++i) {
        const std::string piece = std::to_string(i) + ",";
        m.WriteBuffer(piece.data(), static_cast<int64_t>(piece.size()));
        expected += piece;
    }
    m.WriteBuffer(m.Memory(), m.Size());  // doubles it, growing past its capacity
    expected += expected;
    EXPECT_EQ(m.ToString(), expected);
    m.SetPosition(2);
    m.WriteBuffer(m.Memory(), 6);  // overlapping its source
    expected.replace(2, 6, expected.substr(0, 6));
    EXPECT_EQ(m.ToString(), expected);
    m.SetPosition(m.Size() + 3);  // past the end: the gap reads as zeros
    m.WriteBuffer("x", 1);
    EXPECT_EQ(m.ToString(), expected + std::string(3, '\0') + "x");
}

TEST(Stream, AtomicWriteKeepsOldFileWhenWriterFails) {
    std::string dir = TempDir();
    std::string path = dir + "data.bin";
    WriteFileAtomically(path, [](TFileStream& f) { f.WriteBuffer("old", 3); });
    EXPECT_THROW(WriteFileAtomically(path,
                                     [](TFileStream& f) {
                                         f.WriteBuffer("new", 3);
                                         throw EStreamError("disk full");
                                     }),
                 EStreamError);
    TMemoryStream m;
    m.LoadFromFile(path);
    EXPECT_EQ(m.ToString(), "old");
    EXPECT_EQ(ListDirectory(dir).size(), 1u);  // no temporary left behind
}

TEST(Stream, FileHelpers) {
    std::string dir = TempDir();
    EXPECT_TRUE(ForceDirectories(dir + "a/b/c/"));
    EXPECT_TRUE(DirectoryExists(dir + "a/b/c"));
    EXPECT_EQ(ExtractFileExt("x/y.tar.gz"), ".gz");
    EXPECT_EQ(ExtractFileExt("x.d/y"), "");
    EXPECT_EQ(ChangeFileExt("p/name.dat", ".prj.rules"), "p/name.prj.rules");
    EXPECT_GT(DiskFree(dir), 0);
    EXPECT_THROW(TFileStream(dir + "missing", fmOpenRead), EStreamError);
}

TEST(Stream, CreateMakesMissingDirectoriesOnlyWhenAsked) {
    std::string dir = TempDir();
    EXPECT_THROW(TFileStream(dir + "x/y/plain.txt", fmCreate), EStreamError);
    EXPECT_FALSE(DirectoryExists(dir + "x"));
    {
        TFileStream f(dir + "x/y/made.txt", fmCreate | fmCreateDirectories);
        f.WriteBuffer("abc", 3);
    }
    EXPECT_EQ(FileSizeOf(dir + "x/y/made.txt"), 3);
    // A file where a directory should be is an error, not a loop.
    { TFileStream blocker(dir + "file", fmCreate); }
    EXPECT_THROW(TFileStream(dir + "file/z.txt", fmCreate | fmCreateDirectories), EStreamError);
    // The directories are not made for a file that is only read.
    EXPECT_THROW(TFileStream(dir + "q/r.txt", fmOpenRead | fmCreateDirectories), EStreamError);
    EXPECT_FALSE(DirectoryExists(dir + "q"));
}
