// The makers' tools end to end: a key pair, a release built from two
// program folders, and the installed program brought to the new folder's
// state by the signed package.
#include "updater/PatchSession.h"
#include "updater/UpdateErrors.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace vorlin::updater;

namespace {

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Write(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

int RunTool(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

} // namespace

TEST(ReleaseToolsTest, KeygenAndMakeUpdateProduceAnInstallableRelease) {
    char pattern[] = "/tmp/vorlin-release-XXXXXX";
    const fs::path root = mkdtemp(pattern);
    const std::string tools = VORLIN_TOOLS_DIR;
    ASSERT_EQ(RunTool(tools + "/vorlin-keygen " + (root / "maker.key").string() + " " + (root / "maker.pub").string()), 0);
    struct stat info {};
    ASSERT_EQ(stat((root / "maker.key").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_NE(RunTool(tools + "/vorlin-keygen " + (root / "maker.key").string() + " " + (root / "x.pub").string()), 0)
        << "an existing key is never overwritten";

    std::string big(200000, 'b');
    for (size_t i = 0; i < big.size(); i += 7) big[i] = static_cast<char>(i);
    Write(root / "old/HTTPVorlin", big);
    Write(root / "old/updater", "old patcher");
    Write(root / "old/HttpVorlin.ini", "[Settings]");
    big.replace(100, 10, "changed!!!");
    Write(root / "new/HTTPVorlin", big);
    Write(root / "new/updater", "new patcher");
    Write(root / "new/Plugins/new.so", "plugin");
    Write(root / "new/HttpVorlin.ini", "[Other]");
    ASSERT_EQ(RunTool(tools + "/vorlin-make-update --key " + (root / "maker.key").string() + " --old " +
                  (root / "old").string() + " --new " + (root / "new").string() +
                  " --from 1.0 --to 1.1 --changes 'a;b' --out " + (root / "site").string()),
              0);
    const std::string description = Read(root / "site/httpvorl32ge-1.0.upd");
    EXPECT_NE(description.find("NewVersion=1.1"), std::string::npos);
    EXPECT_NE(description.find("DatFile=httpvorl32ge-1.1.dat"), std::string::npos);
    ASSERT_TRUE(fs::exists(root / "site/httpvorl32ge-1.0.upd.sig"));
    ASSERT_TRUE(fs::exists(root / "site/httpvorl32ge-1.1.dat.sig"));
    EXPECT_LT(fs::file_size(root / "site/httpvorl32ge-1.1.dat"), 5000u) << "the main program travels as a patch";

    // The old folder, installed with the makers' public key, takes the package.
    fs::copy_file(root / "maker.pub", root / "old/update-key.pub");
    TSilentPatcherView view;
    TPatchSession session((root / "old/").string(), view);
    session.ApplyPackage((root / "site/httpvorl32ge-1.1.dat").string());
    EXPECT_EQ(Read(root / "old/HTTPVorlin"), big);
    EXPECT_EQ(Read(root / "old/Plugins/new.so"), "plugin");
    EXPECT_EQ(Read(root / "old/updater"), "old patcher") << "the running patcher is replaced after the restart";
    EXPECT_EQ(Read(root / "old/updater.new"), "new patcher");
    EXPECT_EQ(Read(root / "old/HttpVorlin.ini"), "[Settings]") << "user files are not part of an update";
    fs::remove_all(root);
}
