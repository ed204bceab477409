// Files below a base directory: opened, made and deleted without following
// a symbolic link below the base; write failures that name their reason;
// temporary copies of killed saves cleared away.
#include "platform/ConfinedFiles.h"
#include "platform/Exception.h"
#include "platform/FileFaults.h"
#include "platform/FileSystem.h"
#include "platform/Stream.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace vorlin;
using vorlin::test::FileText;
using vorlin::test::TTempDir;
namespace fs = std::filesystem;

TEST(ConfinedFiles, LinksBelowTheBaseAreNeverFollowed) {
    TTempDir dir("vorlin-confined");
    const std::string base = dir.Path + "target/", outside = dir.Path + "outside/";
    fs::create_directories(base + "real");
    fs::create_directories(outside);
    { std::ofstream(outside + "victim") << "keep"; }
    fs::create_directory_symlink(outside, base + "dirlink");
    fs::create_symlink(outside + "victim", base + "filelink");
    fs::create_symlink(outside + "absent", base + "dangling");
    fs::create_symlink(outside + "victim", base + "real/filelink");

    struct TCase {
        std::string Path;
        bool Opens;
    };
    const std::vector<TCase> cases = {
        {base + "real/new.html", true},         {base + "made/on/the/way.html", true},
        {base + "dirlink/new.html", false},     {base + "filelink", false},
        {base + "dangling", false},             {base + "real/filelink", false},
        {base + "filelink/below", false},       {base + "real/../../outside/x", false},
        {dir.Path + "outside/x", false},        {base + std::string("nul\0x", 5), false},
    };
    for (const TCase& c : cases) {
        bool opened = false;
        try {
            TFileStream file(c.Path, fmCreate | fmCreateDirectories, base);
            file.WriteBuffer("new", 3);
            opened = true;
        } catch (const EFileError& e) {
            EXPECT_FALSE(c.Opens) << c.Path << ": " << e.what();
        }
        EXPECT_EQ(opened, c.Opens) << c.Path;
    }
    EXPECT_EQ(FileText(outside + "victim"), "keep");
    EXPECT_FALSE(fs::exists(outside + "absent"));
    EXPECT_FALSE(fs::exists(outside + "new.html"));
    EXPECT_FALSE(fs::exists(outside + "x"));
    // Deleting through a link removes nothing outside; a link itself may go.
    EXPECT_FALSE(DeleteFileConfined(base, base + "dirlink/victim"));
    EXPECT_TRUE(fs::exists(outside + "victim"));
    EXPECT_TRUE(DeleteFileConfined(base, base + "filelink"));
    EXPECT_TRUE(fs::exists(outside + "victim"));
    EXPECT_THROW(ForceDirectoriesConfined(base, base + "dirlink/sub/"), EFileError);
    EXPECT_FALSE(fs::exists(outside + "sub"));
    // The base itself may be a link: the user chose it.
    fs::create_directory_symlink(base, dir.Path + "chosen");
    TFileStream viaBase(dir.Path + "chosen/real/ok", fmCreate, dir.Path + "chosen/");
    EXPECT_TRUE(fs::exists(base + "real/ok"));
}

// Directories renamed, moved out or swapped for a link between two opens:
// each open resolves the path anew, so a write never follows the old
// directory out of the base nor through the link that took its place.
TEST(ConfinedFiles, DirectoriesChangedBetweenOpensLeadNoWriteAstray) {
    TTempDir dir("vorlin-confined");
    const std::string base = dir.Path + "target/", outside = dir.Path + "outside/";
    fs::create_directories(base + "site/docs");
    fs::create_directories(outside);
    auto write = [&](const std::string& path) {
        TFileStream file(path, fmCreate | fmCreateDirectories, base);
        file.WriteBuffer("new", 3);
    };
    write(base + "site/docs/a.html");
    ASSERT_TRUE(fs::exists(base + "site/docs/a.html"));

    // Moved out of the base: the next write makes the directory anew inside.
    fs::rename(base + "site/docs", outside + "docs");
    write(base + "site/docs/b.html");
    EXPECT_TRUE(fs::exists(base + "site/docs/b.html"));
    EXPECT_FALSE(fs::exists(outside + "docs/b.html"));

    // Renamed inside and a link put in its place: refused, nothing outside.
    fs::rename(base + "site", base + "renamed");
    fs::create_directory_symlink(outside, base + "site");
    EXPECT_THROW(write(base + "site/docs/c.html"), EFileError);
    EXPECT_FALSE(fs::exists(outside + "docs/c.html"));
    EXPECT_TRUE(fs::exists(base + "renamed/docs/b.html"));

    // A file swapped for a link to one outside: refused, the outside one kept.
    { std::ofstream(outside + "victim") << "keep"; }
    fs::remove(base + "renamed/docs/b.html");
    fs::create_symlink(outside + "victim", base + "renamed/docs/b.html");
    EXPECT_THROW(write(base + "renamed/docs/b.html"), EFileError);
    EXPECT_EQ(FileText(outside + "victim"), "keep");
}

TEST(ConfinedFiles, WriteFailuresNameTheirReason) {
    TTempDir dir("vorlin-confined");
    struct TCase {
        int Error;
        const char* Reason;
        bool DiskFull;
    };
    for (const TCase& c : {TCase{ENOSPC, "No space left on device", true}, TCase{EDQUOT, "Disk quota exceeded", true},
                           TCase{EIO, "Input/output error", false}}) {
        SimulateFullDisk(dir.Path, 10, c.Error);
        TFileStream file(dir.Path + "f", fmCreate);
        try {
            file.WriteBuffer("0123456789abcdef", 16);
            ADD_FAILURE() << "the write went through";
        } catch (const EFileError& e) {
            EXPECT_EQ(e.Error, c.Error);
            EXPECT_EQ(e.DiskFull(), c.DiskFull);
            EXPECT_NE(std::string(e.what()).find(c.Reason), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(dir.Path + "f"), std::string::npos) << e.what();
        }
        ClearSimulatedFullDisk();
    }
    // What fitted was written.
    EXPECT_EQ(FileText(dir.Path + "f"), "0123456789");
    // An atomic save that fails keeps the old copy and leaves no temporary file.
    { std::ofstream(dir.Path + "data.dat") << "old"; }
    SimulateFullDisk(dir.Path, 2);
    EXPECT_THROW(WriteFileAtomically(dir.Path + "data.dat", [](TFileStream& out) { out.WriteBuffer("new data", 8); }),
                 EFileError);
    ClearSimulatedFullDisk();
    EXPECT_EQ(FileText(dir.Path + "data.dat"), "old");
    EXPECT_EQ(ListDirectory(dir.Path).size(), 2u);
}

TEST(ConfinedFiles, TemporariesOfProcessesThatNoLongerRunAreRemoved) {
    TTempDir dir("vorlin-confined");
    pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    const std::string data = dir.Path + "site.dat";
    for (const std::string& name :
         {data + ".tmp" + std::to_string(gone), data + ".tmp" + std::to_string(getpid()),
          data + ".tmp" + std::to_string(getppid()), data + ".tmpX", dir.Path + "other.dat.tmp" + std::to_string(gone)})
        std::ofstream(name) << "partial";
    RemoveStaleTemporaries(data);
    EXPECT_FALSE(fs::exists(data + ".tmp" + std::to_string(gone)));
    EXPECT_TRUE(fs::exists(data + ".tmp" + std::to_string(getpid())));   // this process: a save in progress
    EXPECT_TRUE(fs::exists(data + ".tmp" + std::to_string(getppid())));  // runs
    EXPECT_TRUE(fs::exists(data + ".tmpX"));                             // not one of ours
    EXPECT_TRUE(fs::exists(dir.Path + "other.dat.tmp" + std::to_string(gone)));  // another file's
}
