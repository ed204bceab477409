// How `vorlin get` names and sets up its projects.
#include "cli/run/QuickProject.h"
#include "platform/FileSystem.h"
#include "project/DownloadProject.h"
#include "tests/cli/CliTestSupport.h"

#include <gmock/gmock.h>

using namespace vorlin;
using namespace vorlin::cli;
using namespace vorlin::test;
using ::testing::ElementsAre;

namespace {

TEST(QuickProject, CaptionsLoseTheCharactersAFileNameCantHold) {
    EXPECT_EQ(CleanCaption("a/b:c"), "a_b_c");
    EXPECT_EQ(CleanCaption("x\"*<>?\\|\t\x01y"), "x_________y");
    EXPECT_EQ(CleanCaption("tmpl/1", ','), "tmpl,1");
    EXPECT_EQ(CleanCaption("www.example.org"), "www.example.org");
}

TEST(QuickProject, TheNameComesFromTheHost) {
    EXPECT_EQ(HostOfURL("http://www.example.org/a/b.html"), "www.example.org");
    EXPECT_EQ(HostOfURL("127.0.0.1:8080"), "127.0.0.1:8080");
    EXPECT_EQ(HostOfURL("http://user:pw@host.example?q"), "host.example");
    EXPECT_EQ(HostOfURL("http:///path"), "");
}

TEST(QuickProject, ASecondProjectOfTheSameHostIsNumbered) {
    TCliTempDir dir;
    EXPECT_EQ(UniqueCaption(dir.Path(), "site"), "site");
    WriteWholeFile(dir.Path() + "site.prj", "");
    EXPECT_EQ(UniqueCaption(dir.Path(), "site"), "site (2)");
    WriteWholeFile(dir.Path() + "site (2).prj", "");
    EXPECT_EQ(UniqueCaption(dir.Path(), "site"), "site (3)");
    // Only project files count.
    WriteWholeFile(dir.Path() + "other.dat", "");
    EXPECT_EQ(UniqueCaption(dir.Path(), "other"), "other");
    EXPECT_EQ(QuickProjectsDirectory("/home/x"), "/home/x/Projects/Quick Projects/");
}

TEST(QuickProject, NewProjectsStartAsTheOptionsDialogDoes) {
    TDownloadProject project;
    SetNewProjectDefaults(project);
    EXPECT_EQ(project.ProjectMode, pmOfflineBrowse);
    EXPECT_EQ(project.ScopeMode, smStayInDirectory);
    EXPECT_EQ(project.JavaScriptMode, jsInterpret);
    EXPECT_TRUE(project.DownloadBckgrds);
    EXPECT_TRUE(project.FollowExternalImages);
    EXPECT_EQ(project.InvalidCharMode, icReplace);
    EXPECT_EQ(project.MirroringChangeQ, "");
    EXPECT_THAT(project.ExcludeList, ElementsAre("zip", ".exe"));
    EXPECT_FALSE(project.UseMaxFileCount || project.UseMaxLevelCount || project.UseMaxFileSize ||
                 project.UseMinFileSize || project.UseMaxProjSize || project.UseMinDriveSpace);
    EXPECT_FALSE(project.UseAutentfication);
    EXPECT_FALSE(project.IsNew);
}

} // namespace
