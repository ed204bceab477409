#include "project/DeleteDownloadedFiles.h"

#include "platform/FileSystem.h"
#include "platform/Stream.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/ProgramSettings.h"
#include "tests/project/TestFiles.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace vorlin;

namespace {

void Touch(const std::string& path) {
    ForceDirectories(ExtractFilePath(path));
    TFileStream f(path, fmCreate);
    f.WriteBuffer("x", 1);
}

void AddStored(TDownloadProject& project, const std::string& localName) {
    auto* link = new TDownloadLink(&project);
    link->SetServer("http://host/");
    link->LocalFileName = localName;
    project.Links->Add(link);
}

} // namespace

TEST(DeleteDownloadedFiles, RemovesTheFilesAndTheirEmptyDirectories) {
    TTempDir dir;
    TDownloadProject project;
    project.Destination = dir.Path + "site";  // no trailing "/"
    const std::string site = dir.Path + "site/";
    Touch(site + "host/index.html");
    Touch(site + "host/a/b/page.html");
    Touch(site + "host/a/keep.txt");  // not a link's file
    ForceDirectories(site + "host/a/empty/deeper");
    Touch(site + "host/img/x.gif");
    AddStored(project, "index.html");
    AddStored(project, "a\\b\\page.html");
    AddStored(project, "img\\x.gif");
    AddStored(project, "never\\fetched.html");

    DeleteDownloadedFiles(project, TProgramSettings{});
    EXPECT_FALSE(FileExists(site + "host/index.html"));
    EXPECT_FALSE(DirectoryExists(site + "host/a/b"));
    EXPECT_FALSE(DirectoryExists(site + "host/img"));
    EXPECT_FALSE(DirectoryExists(site + "host/a/empty"));
    EXPECT_TRUE(FileExists(site + "host/a/keep.txt"));
    EXPECT_TRUE(DirectoryExists(site));  // the target itself stays
    EXPECT_EQ(project.Links->Count(), 4);  // the links stay
}

TEST(DeleteDownloadedFiles, UsesTheDefaultDirectoryAndNeverLeavesIt) {
    TTempDir dir;
    TDownloadProject project;
    TProgramSettings settings;
    settings.DefaultDownloadDir = dir.Path + "default/";
    Touch(dir.Path + "default/host/x.html");
    Touch(dir.Path + "outside.html");
    ForceDirectories(dir.Path + "empty-outside");
    AddStored(project, "x.html");
    AddStored(project, "..\\..\\outside.html");
    AddStored(project, "..\\..\\empty-outside\\");

    DeleteDownloadedFiles(project, settings);
    EXPECT_FALSE(FileExists(dir.Path + "default/host/x.html"));
    EXPECT_TRUE(FileExists(dir.Path + "outside.html"));
    EXPECT_TRUE(DirectoryExists(dir.Path + "empty-outside"));
}

TEST(DeleteDownloadedFiles, DoesNotFollowSymbolicLinksOutOfTheTree) {
    TTempDir dir;
    TDownloadProject project;
    project.Destination = dir.Path + "site/";
    ForceDirectories(dir.Path + "elsewhere/empty");
    Touch(dir.Path + "site/host/a/x.html");
    ASSERT_EQ(::symlink((dir.Path + "elsewhere").c_str(), (dir.Path + "site/host/a/link").c_str()), 0);
    AddStored(project, "a\\x.html");
    DeleteDownloadedFiles(project, TProgramSettings{});
    EXPECT_TRUE(DirectoryExists(dir.Path + "elsewhere/empty"));
}
