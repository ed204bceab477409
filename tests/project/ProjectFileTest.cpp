#include "project/DownloadProject.h"

#include "platform/FileSystem.h"
#include "platform/Stream.h"
#include "project/DownloadLinks.h"
#include "project/LinkStateList.h"
#include "project/TaggedStream.h"
#include "tests/project/TestFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

using namespace vorlin;

namespace {

void FillKnownProject(TDownloadProject& p) {
    p.UseMaxFileSize = true;
    p.UseMinDriveSpace = true;
    p.DownloadBckgrds = true;
    p.FollowExternalImages = true;
    p.IsNew = false;
    p.URL = "http://h/";
    p.Destination = "/d/";
    p.MirroringChangeQ = "_";
    p.MaxFileSize = 200;
    p.MaxExternalLevelCount = 1;
    p.MaxFileCount = -1;
    p.MinDriveSpace = 70000;
    p.MaxLevelCount = 3;
    p.ProjectSize = 0x100000005ll;  // only the low 32 bits are kept
    p.RunSize = 300;
    p.FileCount = 4;
    p.DownloadedCount = 2;
    p.FilteredOutCount = 1;
    p.AverageCPS = 1000;
    p.LastDuration = 0.5;
    p.LastDownloadDate = 2.0;
    p.ProjectMode = pmMirror;
    p.InvalidCharMode = icComma;
    p.ScopeMode = smStayInDirectory;
    p.ExcludeList = {"zip", ".exe"};
    p.MinFileSize = 7;
    p.UseMinFileSize = true;
    p.UseAutentfication = true;
    p.UserName = "me";
    p.Password = "secret";
    p.JavaScriptMode = jsDelete;
}

// The known project, value by value.
std::string KnownProjectBytes() {
    return Bytes({9, 8, 9, 8, 8, 9, 8, 8, 8, 9, 8}) + Str("http://h/") + Str("/d/") + Str("_") +
           Bytes({3, 200, 0}) + Bytes({2, 1}) + Bytes({2, 0xFF}) + Bytes({4, 0x70, 0x11, 1, 0}) +
           Bytes({2, 3}) + Bytes({2, 0}) + Bytes({2, 5}) + Bytes({3, 0x2C, 1}) + Bytes({2, 4}) +
           Bytes({2, 2}) + Bytes({2, 1}) + Bytes({3, 0xE8, 3}) + Bytes({2, 0}) +
           Bytes({17, 0, 0, 0, 0, 0, 0, 0xE0, 0x3F}) + Bytes({17, 0, 0, 0, 0, 0, 0, 0, 0x40}) +
           Bytes({2, 1}) + Bytes({2, 2}) + Bytes({2, 0}) + Bytes({1}) + Str("zip") + Str(".exe") +
           Bytes({0}) + Bytes({2, 7}) + Bytes({9}) + Bytes({9}) + Str("me") + Str("+HLS40Qs") +
           Bytes({8}) + Bytes({2, 2});
}

} // namespace

TEST(DownloadProject, ConstructedEmptyWithItsListsAndNoPluginVotes) {
    TDownloadProject p;
    EXPECT_TRUE(p.IsNew);
    EXPECT_FALSE(p.UseMaxFileSize);
    EXPECT_EQ(p.ProjectMode, pmOfflineBrowse);
    EXPECT_EQ(p.Links->Count(), 0);
    EXPECT_EQ(p.Downloaded->Count(), 0);
    EXPECT_EQ(p.FilteredOut->Count(), 0);
    EXPECT_EQ(p.Links->Project, &p);
    EXPECT_EQ(p.Rules, nullptr);
    ASSERT_NE(p.Plugins, nullptr);
    EXPECT_TRUE(p.RewritesLinks());
    p.ProjectMode = pmMirror;
    EXPECT_FALSE(p.RewritesLinks());
}

TEST(DownloadProject, AssignCopiesTheSettingsOnly) {
    TDownloadProject source, target;
    FillKnownProject(source);
    source.IsNew = true;  // a template never confirmed
    source.SpareFlag = true;
    source.ResetOnProjStart = true;
    source.UseMaxExternalLevelCount = true;
    source.MaxProjSize = 9;
    source.StartURL = "http://run/";
    target.JavaScriptMode = jsIgnore;
    target.FileCount = 77;
    target.DataFileName = "/p/x.dat";

    target.Assign(source);
    EXPECT_FALSE(target.IsNew);
    EXPECT_TRUE(target.UseMaxFileSize && target.UseMinDriveSpace && target.DownloadBckgrds &&
                target.FollowExternalImages && target.SpareFlag && target.ResetOnProjStart &&
                target.UseMaxExternalLevelCount && target.UseAutentfication &&
                target.UseMinFileSize);
    EXPECT_EQ(target.URL, "http://h/");
    EXPECT_EQ(target.Destination, "/d/");
    EXPECT_EQ(target.MirroringChangeQ, "_");
    EXPECT_EQ(target.MaxFileSize, 200);
    EXPECT_EQ(target.MinFileSize, 7);
    EXPECT_EQ(target.MaxExternalLevelCount, 1);
    EXPECT_EQ(target.MaxFileCount, -1);
    EXPECT_EQ(target.MinDriveSpace, 70000);
    EXPECT_EQ(target.MaxLevelCount, 3);
    EXPECT_EQ(target.MaxProjSize, 9);
    EXPECT_EQ(target.ExcludeList, source.ExcludeList);
    EXPECT_EQ(target.ProjectMode, pmMirror);
    EXPECT_EQ(target.InvalidCharMode, icComma);
    EXPECT_EQ(target.UserName, "me");
    EXPECT_EQ(target.Password, "secret");
    // Not carried: statistics, JavaScriptMode, DataFileName, run fields.
    EXPECT_EQ(target.JavaScriptMode, jsIgnore);
    EXPECT_EQ(target.FileCount, 77);
    EXPECT_EQ(target.ProjectSize, 0);
    EXPECT_EQ(target.DataFileName, "/p/x.dat");
    EXPECT_EQ(target.StartURL, "");
}

TEST(ProjectFile, AKnownProjectIsWrittenToExactBytes) {
    TTempDir dir;
    TDownloadProject p;
    FillKnownProject(p);
    p.SaveToFile(dir.Path + "p.prj");
    EXPECT_EQ(ReadAll(dir.Path + "p.prj"), KnownProjectBytes());
    EXPECT_EQ(ListDirectory(dir.Path), std::vector<std::string>{"p.prj"});  // no temporary left
}

TEST(ProjectFile, LoadsWhatItSavedAndSignExtendsTheTotals) {
    TTempDir dir;
    TDownloadProject saved, loaded;
    FillKnownProject(saved);
    saved.ProjectSize = 0xFFFFFFFFll;  // reads back as -1
    saved.SaveToFile(dir.Path + "p.prj");
    TProjectLoadReport report = loaded.LoadFromFile(dir.Path + "p.prj");
    EXPECT_EQ(report.ValuesRead, 40);
    EXPECT_EQ(report.ReadError, "");
    EXPECT_EQ(loaded.ProjectSize, -1);
    EXPECT_EQ(loaded.RunSize, 300);
    EXPECT_EQ(loaded.Password, "secret");
    EXPECT_EQ(loaded.ExcludeList, saved.ExcludeList);
    EXPECT_EQ(loaded.JavaScriptMode, jsDelete);
    EXPECT_EQ(loaded.LastDuration, 0.5);
    EXPECT_FALSE(loaded.IsNew);
    EXPECT_EQ(loaded.ScopeMode, smStayInDirectory);
    EXPECT_EQ(loaded.MinDriveSpace, 70000);
}

TEST(ProjectFile, AnOlderFileOfThirtyFiveValuesKeepsTheLaterFields) {
    TTempDir dir;
    std::string bytes = KnownProjectBytes();
    std::string older = bytes.substr(0, bytes.find(Str("me")) - 1);  // up to value 35
    WriteAll(dir.Path + "old.prj", older);
    TDownloadProject p;
    p.UseAutentfication = true;
    p.UserName = "keep";
    p.Password = "kept";
    p.ResetOnProjStart = true;
    p.JavaScriptMode = jsIgnore;
    TProjectLoadReport report = p.LoadFromFile(dir.Path + "old.prj");
    EXPECT_EQ(report.ValuesRead, 35);
    EXPECT_EQ(report.ReadError, "");
    EXPECT_TRUE(p.UseMinFileSize);
    EXPECT_EQ(p.MinFileSize, 7);
    EXPECT_TRUE(p.UseAutentfication);
    EXPECT_EQ(p.UserName, "keep");
    EXPECT_EQ(p.Password, "kept");
    EXPECT_TRUE(p.ResetOnProjStart);
    EXPECT_EQ(p.JavaScriptMode, jsIgnore);

    // With 36-38 only, 39 and 40 stay.
    std::string upTo38 = bytes.substr(0, bytes.size() - 3);
    WriteAll(dir.Path + "mid.prj", upTo38);
    TDownloadProject q;
    q.JavaScriptMode = jsIgnore;
    EXPECT_EQ(q.LoadFromFile(dir.Path + "mid.prj").ValuesRead, 38);
    EXPECT_EQ(q.Password, "secret");
    EXPECT_EQ(q.JavaScriptMode, jsIgnore);
}

TEST(ProjectFile, AnEmptyFileIsNotRead) {
    TTempDir dir;
    WriteAll(dir.Path + "empty.prj", "");
    TDownloadProject p;
    TProjectLoadReport report = p.LoadFromFile(dir.Path + "empty.prj");
    EXPECT_EQ(report.ValuesRead, 0);
    EXPECT_EQ(report.ReadError, "");
    EXPECT_TRUE(p.IsNew);
    EXPECT_EQ(p.URL, "");
}

TEST(ProjectFile, AReadErrorKeepsWhatWasReadAndRaisesNothing) {
    TTempDir dir;
    std::string bytes = KnownProjectBytes();
    // Cut inside the Destination string (value 13).
    std::string cut = bytes.substr(0, 11 + 11 + 3);
    WriteAll(dir.Path + "cut.prj", cut);
    TDownloadProject p;
    p.Destination = "old";
    TProjectLoadReport report = p.LoadFromFile(dir.Path + "cut.prj");
    EXPECT_EQ(report.ValuesRead, 12);
    EXPECT_NE(report.ReadError.find("end of the stored data"), std::string::npos);
    EXPECT_EQ(p.URL, "http://h/");
    EXPECT_TRUE(p.UseMaxFileSize);
    EXPECT_EQ(p.Destination, "old");

    // A value of the wrong kind: an integer where the first boolean belongs.
    WriteAll(dir.Path + "wrong.prj", Bytes({2, 1}));
    TDownloadProject q;
    report = q.LoadFromFile(dir.Path + "wrong.prj");
    EXPECT_EQ(report.ValuesRead, 0);
    EXPECT_NE(report.ReadError.find("expected a boolean"), std::string::npos);
}

TEST(ProjectFile, ABadPasswordAndAMissingFilePropagate) {
    TTempDir dir;
    std::string bytes = KnownProjectBytes();
    size_t at = bytes.find(Str("+HLS40Qs"));
    std::string bad = bytes.substr(0, at) + Str("+HLS40Q") + bytes.substr(at + 10);
    WriteAll(dir.Path + "bad.prj", bad);
    TDownloadProject p;
    try {
        p.LoadFromFile(dir.Path + "bad.prj");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Base64: Incorrect string format");
    }
    EXPECT_EQ(p.UserName, "me");  // read before the password
    EXPECT_THROW(p.LoadFromFile(dir.Path + "missing.prj"), EStreamError);
}

TEST(ProjectFile, AFailedSaveLeavesTheOldFile) {
    TTempDir dir;
    TDownloadProject p;
    FillKnownProject(p);
    p.SaveToFile(dir.Path + "p.prj");
    std::string before = ReadAll(dir.Path + "p.prj");
    p.URL = std::string(1, 'u');
    EXPECT_THROW(p.SaveToFile(dir.Path + "no/such/dir/p.prj"), EStreamError);
    EXPECT_EQ(ReadAll(dir.Path + "p.prj"), before);
}

namespace vorlin {

// The settings of how runs treat servers live beside the project file: the
// project file keeps its bytes, older builds read it, and the side file
// goes away when nothing in it differs from the defaults.
TEST(ProjectFile, MannersLiveBesideTheProjectFile) {
    TTempDir dir;
    TDownloadProject p;
    FillKnownProject(p);
    p.Manners.ObeyRobots = false;
    p.Manners.WaitSeconds = 1.5;
    p.Manners.RandomWait = true;
    p.Manners.LimitRate = 20480;
    p.Manners.LoadCookies = "/home/u/cookies in.txt";
    p.Manners.SaveCookies = "/home/u/out.txt";
    p.Manners.KeepSessionCookies = true;
    const std::string file = dir.Path + "p.prj";
    p.SaveToFile(file);
    EXPECT_EQ(ReadAll(file), KnownProjectBytes());
    struct stat st {};
    ASSERT_EQ(::stat(MannersFileOf(file).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    TDownloadProject back;
    back.LoadFromFile(file);
    EXPECT_EQ(back.Manners, p.Manners);
    TDownloadProject copy;
    copy.Assign(back);
    EXPECT_EQ(copy.Manners, p.Manners);

    // A later build's keys and bad values are passed over.
    {
        std::ofstream out(MannersFileOf(file), std::ios::app);
        out << "FutureKey=7\nWaitSeconds=-3\nLimitRate=lots\n";
    }
    TDownloadProject tolerant;
    tolerant.LoadFromFile(file);
    EXPECT_EQ(tolerant.Manners, p.Manners);

    // A line break in a file name can't smuggle in a setting.
    TDownloadProject broken;
    broken.Assign(back);
    broken.Manners.SaveCookies = "/home/u/a\nObeyRobots=1\r\nb.txt";
    broken.SaveToFile(file);
    TDownloadProject kept;
    kept.LoadFromFile(file);
    EXPECT_FALSE(kept.Manners.ObeyRobots);
    EXPECT_EQ(kept.Manners.SaveCookies, "/home/u/aObeyRobots=1b.txt");
    EXPECT_EQ(kept.Manners.KeepSessionCookies, p.Manners.KeepSessionCookies);

    back.Manners = TProjectManners();
    back.SaveToFile(file);
    EXPECT_EQ(ListDirectory(dir.Path), std::vector<std::string>{"p.prj"});
    TDownloadProject defaults;
    defaults.LoadFromFile(file);
    EXPECT_TRUE(defaults.Manners.IsDefault());
}

} // namespace vorlin
