// Installing a package into a program folder: everything or nothing, and
// never a file outside the folder.
#include "tests/updater/FolderSnapshot.h"
#include "updater/PackageInstaller.h"
#include "updater/PatchData.h"
#include "updater/PatchSession.h"
#include "updater/UpdateErrors.h"
#include "updater/UpdateSignature.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <unistd.h>

using namespace vorlin::updater;
namespace fs = std::filesystem;

namespace {

class InstallerTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vorlin-installer-XXXXXX";
        FRoot = mkdtemp(pattern);
        FDir = FRoot + "/program/";
        fs::create_directories(FDir + "Plugins");
        Write("HTTPVorlin", "old main program");
        Write("Plugins/css.so", "old plugin");
        Write("readme.txt", "old readme");
        Write(FRoot + "/outside.txt", "outside", true);
        FOutside = std::make_unique<vorlin::test::TFolderSnapshot>(FRoot, std::set<std::string>{"program"});
    }
    void TearDown() override {
        EXPECT_EQ(FOutside->DifferencesTo(vorlin::test::TFolderSnapshot(FRoot, {"program"})), "")
            << "nothing outside the program folder changes";
        fs::remove_all(FRoot);
    }

    void Write(const std::string& name, const std::string& content, bool absolute = false) {
        std::ofstream(absolute ? name : FDir + name, std::ios::binary) << content;
    }
    // Every file below the test root with its content.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(FRoot)) {
            const std::string key = entry.path().string().substr(FRoot.size());
            if (entry.is_symlink() || entry.is_directory()) {
                files[key] = entry.is_symlink() ? "->" : "/";
                continue;
            }
            std::ifstream in(entry.path(), std::ios::binary);
            files[key] = std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        }
        return files;
    }
    TUpdatePackage Package() const {
        TUpdatePackage package;
        package.Patches = {{"HTTPVorlin", BuildPatch("old main program", "new main program")},
                           {"Plugins\\css.so", BuildPatch("old plugin", "new plugin")}};
        package.Adds = {{"languages\\de\\German.lang", "Texte"}, {"readme.txt", "new readme"}};
        return package;
    }

    std::string FRoot, FDir;
    std::unique_ptr<vorlin::test::TFolderSnapshot> FOutside;
    TSilentPatcherView FView;
};

} // namespace

TEST_F(InstallerTest, PatchesAndAddsKeepingBakCopies) {
    TPackageInstaller installer(FDir, FView);
    installer.Install(Package());
    auto files = Snapshot();
    EXPECT_EQ(files["/program/HTTPVorlin"], "new main program");
    EXPECT_EQ(files["/program/HTTPVorlin.bak"], "old main program");
    EXPECT_EQ(files["/program/Plugins/css.so"], "new plugin");
    EXPECT_EQ(files["/program/languages/de/German.lang"], "Texte");
    EXPECT_EQ(files["/program/readme.txt"], "new readme");
    EXPECT_EQ(files["/program/readme.txt.bak"], "old readme");
    EXPECT_EQ(FView.PhaseText, "Adding 2 files");
    EXPECT_EQ(FView.FileText, "Extracting readme.txt");
    EXPECT_EQ(FView.PhaseProgress, 100);
    for (const auto& [name, content] : files) EXPECT_EQ(name.find(kStagedSuffix), std::string::npos) << name;
    // An empty package changes nothing.
    const auto before = Snapshot();
    installer.Install({});
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(InstallerTest, EntriesOutsideTheFolderAreRefusedBeforeAnyChange) {
    fs::create_directory_symlink(FRoot, FDir + "link");
    const auto before = Snapshot();
    for (const char* bad : {"..\\outside.txt", "Plugins\\..\\..\\outside.txt", "\\tmp\\x", "/tmp/x",
                                   "C:\\x", "link\\outside.txt", "Plugins", "readme.txt\\x", "a\\\\b", ".\\x", ""}) {
        TUpdatePackage package = Package();
        package.Adds.push_back({bad, "evil"});
        TPackageInstaller installer(FDir, FView);
        EXPECT_THROW(installer.Install(package), EUnsafePath) << bad;
        EXPECT_EQ(Snapshot(), before) << bad;
    }
    TUpdatePackage twice = Package();
    twice.Adds.push_back({"HTTPVorlin", "again"});
    TPackageInstaller installer(FDir, FView);
    EXPECT_THROW(installer.Install(twice), EUnsafePath);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(InstallerTest, AFailureHalfWayLeavesEveryFileAsBefore) {
    const auto before = Snapshot();
    // A CRC error in the second patch.
    TUpdatePackage crc = Package();
    crc.Patches[1].Data[9] ^= 1;
    TPackageInstaller installer(FDir, FView);
    EXPECT_THROW(installer.Install(crc), EUpdateError);
    EXPECT_EQ(Snapshot(), before);
    // A file to patch that is not the expected version.
    Write("Plugins/css.so", "old");  // shorter than the version the patch was made for
    const auto changed = Snapshot();
    EXPECT_THROW(installer.Install(Package()), EUpdateError);
    EXPECT_EQ(Snapshot(), changed);
    Write("Plugins/css.so", "old plugin");
    // The last rename into place fails: everything already swapped goes back.
    int renames = 0;
    installer.Rename = [&](const std::string& from, const std::string& to) {
        return ++renames == 7 ? -1 : ::rename(from.c_str(), to.c_str());
    };
    EXPECT_THROW(installer.Install(Package()), EUpdateError);
    auto after = Snapshot();
    for (const auto& [name, content] : before) EXPECT_EQ(after[name], content) << name;
    EXPECT_EQ(after.count("/program/languages/de/German.lang"), 0u);
    EXPECT_EQ(after.count("/program/languages"), 0u);
    // A file that stays in use: the ".bak" rename is tried a bounded number of times.
    int tries = 0;
    installer.BakRetryPauseMs = 1;
    installer.BakRenameTries = 3;
    installer.Rename = [&](const std::string& from, const std::string& to) {
        if (to.size() > 4 && to.compare(to.size() - 4, 4, ".bak") == 0 && from.find("css.so") != std::string::npos) {
            ++tries;
            return -1;
        }
        return ::rename(from.c_str(), to.c_str());
    };
    EXPECT_THROW(installer.Install(Package()), EUpdateError);
    EXPECT_EQ(tries, 3);
    after = Snapshot();
    for (const auto& [name, content] : before) EXPECT_EQ(after[name], content) << name;
}

TEST_F(InstallerTest, TheSessionRefusesUnsignedAndForeignPackages) {
    const TKeyPair keys = GenerateKeyPair(), other = GenerateKeyPair();
    const std::string package = FRoot + "/program/Updates/update.dat";
    fs::create_directories(FDir + "Updates");
    Write("Updates/update.dat", WritePackage(Package()));
    const auto unsigned_ = Snapshot();
    TPatchSession session(FDir, FView);
    // No key installed.
    EXPECT_THROW(session.ApplyPackage(package), ESignatureError);
    Write("update-key.pub", ToHex(keys.Public.data(), 32));
    EXPECT_THROW(session.ApplyPackage(package), ESignatureError);  // no signature
    const TSignature foreign = Sign(other, WritePackage(Package()));
    Write("Updates/update.dat.sig", ToHex(foreign.data(), 64));
    EXPECT_THROW(session.ApplyPackage(package), ESignatureError);
    Write("Updates/update.dat", WritePackage(Package()) + "x");
    const TSignature good = Sign(keys, WritePackage(Package()));
    Write("Updates/update.dat.sig", ToHex(good.data(), 64));
    EXPECT_THROW(session.ApplyPackage(package), ESignatureError);  // tampered
    auto files = Snapshot();
    EXPECT_EQ(files["/program/HTTPVorlin"], "old main program");
    Write("Updates/update.dat", WritePackage(Package()));
    session.ApplyPackage(package);
    EXPECT_EQ(Snapshot()["/program/HTTPVorlin"], "new main program");
    EXPECT_EQ(Snapshot()["/outside.txt"], "outside");
    // The program to restart must live in the program folder.
    EXPECT_NO_THROW(session.CheckMainProgram(FDir + "HTTPVorlin"));
    EXPECT_THROW(session.CheckMainProgram(FRoot + "/outside.txt"), EUnsafePath);
    EXPECT_THROW(session.CheckMainProgram(FDir + "Plugins/css.so"), EUnsafePath);
}
