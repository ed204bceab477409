// The copy actions of phase 2: where a saved file goes in each scope mode,
// numbering instead of overwriting, and names from servers that try to
// leave the user's directory.
#include "RuleTestSupport.h"

#include "platform/Stream.h"
#include "project/LocalPath.h"
#include "rules/CopyActions.h"
#include "rules/MaskConditions.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vorlin;
using namespace vorlin::test;

namespace {

class CopyActions : public ::testing::Test, public TLinkFixture {
protected:
    TScratchDir Scratch;
    std::string Target, Copies;

    void SetUp() override {
        Target = Scratch.Path() + "target/";
        Copies = Scratch.Path() + "copies";
        Project.TargetDir = Target;
        Project.StartServer = "http://host/";
        Link.ScopeDir = "docs/";
    }
    // A saved file for the link at path, holding its path as content.
    void Saved(const std::string& path, const std::string& completedName = std::string()) {
        SetURL(path);
        if (!completedName.empty()) Link.LocalFileName = completedName;
        std::string file = LinkFilePath(Project, Link);
        ForceDirectories(ExtractFilePath(file));
        TFileStream(file, fmCreate).WriteBuffer(path.data(), static_cast<int64_t>(path.size()));
    }
    template <class T> std::string CopyWith() {
        T action;
        action.Directory = Copies;
        action.SetLink(&Link);
        action.SetProject(&Project);
        action.Execute();
        return action.DestinationName();
    }
    bool CopyExists(const std::string& below) { return FileExists(Copies + "/" + below); }
};

} // namespace

TEST_F(CopyActions, FlatCopiesAreNumberedInsteadOfOverwritten) {
    Saved("docs/a/report.pdf");
    CopyWith<TCopyToDirAction>();
    CopyWith<TCopyToDirAction>();
    CopyWith<TCopyToDirAction>();
    EXPECT_TRUE(CopyExists("report.pdf"));
    EXPECT_TRUE(CopyExists("report1.pdf"));
    EXPECT_TRUE(CopyExists("report2.pdf"));
    TMemoryStream copy;
    copy.LoadFromFile(Copies + "/report2.pdf");
    EXPECT_EQ(copy.ToString(), "docs/a/report.pdf");
    EXPECT_EQ(ListDirectory(Copies).size(), 3u);  // no temporary files left
    // Without an extension the number goes at the end.
    EXPECT_EQ(CopyToFreeName(LinkFilePath(Project, Link), Copies + "/README"), Copies + "/README");
    EXPECT_EQ(CopyToFreeName(LinkFilePath(Project, Link), Copies + "/README"), Copies + "/README1");
}

TEST_F(CopyActions, KeepingThePathFollowsTheScopeMode) {
    Saved("docs/a/report.pdf");
    Project.ScopeMode = smStayOnServer;
    EXPECT_EQ(CopyWith<TCopyToDirStructureKeepAction>(), "docs\\a\\report.pdf");
    Project.ScopeMode = smStayInDirectory;
    EXPECT_EQ(CopyWith<TCopyToDirStructureKeepAction>(), "a\\report.pdf");
    Project.ScopeMode = smStayInDomain;
    Project.StartDomain = "host";
    EXPECT_EQ(CopyWith<TCopyToDirStructureKeepAction>(), "host\\docs\\a\\report.pdf");
    EXPECT_TRUE(CopyExists("docs/a/report.pdf"));
    EXPECT_TRUE(CopyExists("a/report.pdf"));
    EXPECT_TRUE(CopyExists("host/docs/a/report.pdf"));

    // Outside the scope the host directory is kept whatever the mode.
    Project.ScopeMode = smStayOnServer;
    Project.StartServer = "http://elsewhere/";
    EXPECT_EQ(CopyWith<TCopyToDirStructureKeepAction>(), "host\\docs\\a\\report.pdf");
    EXPECT_TRUE(CopyExists("host/docs/a/report1.pdf"));
}

TEST_F(CopyActions, TheScopeDirectoryIsCutInItsLocalForm) {
    // "my%20docs/" becomes "my docs\" in the local name: cut that length.
    Link.ScopeDir = "my%20docs/";
    Project.ScopeMode = smStayInDirectory;
    Saved("my%20docs/sub/x.pdf");
    EXPECT_EQ(CopyWith<TCopyToDirStructureKeepAction>(), "sub\\x.pdf");
    EXPECT_TRUE(CopyExists("sub/x.pdf"));
    // The scope directory's own index page keeps its file name.
    Saved("my%20docs/", "my docs\\index.html");
    EXPECT_EQ(CopyWith<TCopyToDirStructureKeepAction>(), "index.html");
}

TEST_F(CopyActions, NamesFromServersStayInsideTheDirectory) {
    Project.ScopeMode = smStayOnServer;
    Saved("docs/ok.pdf");
    const std::string source = LinkFilePath(Project, Link);
    for (const std::string& hostile : {std::string("..\\..\\escaped.pdf"), std::string("a\\..\\..\\..\\escaped.pdf"),
                                       std::string("\\escaped.pdf"), std::string("/tmp/escaped.pdf")}) {
        Link.LocalFileName = hostile;
        TCopyToDirStructureKeepAction keep;
        keep.Directory = Copies;
        keep.SetLink(&Link);
        keep.SetProject(&Project);
        std::string dest = HostPathBelow(Copies, keep.DestinationName());
        EXPECT_EQ(dest.rfind(Copies + "/", 0), 0u) << hostile;
        EXPECT_EQ(CopyToFreeName(source, dest).rfind(Copies + "/", 0), 0u) << hostile;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Scratch.Path())) {
        if (entry.is_regular_file() && entry.path().filename() == "escaped.pdf") {
            EXPECT_EQ(entry.path().string().rfind(Copies + "/", 0), 0u) << entry.path();
        }
    }
    EXPECT_FALSE(FileExists(Scratch.Path() + "escaped.pdf"));
}

TEST_F(CopyActions, FailuresRaise) {
    Saved("docs/a.pdf");
    TCopyToDirAction copy;
    copy.SetLink(&Link);
    copy.SetProject(&Project);
    EXPECT_THROW(copy.Execute(), Exception);  // no directory chosen
    copy.Directory = Copies;
    Link.LocalFileName = "docs\\missing.pdf";
    EXPECT_THROW(copy.Execute(), EStreamError);
    EXPECT_FALSE(CopyExists("missing.pdf"));
}

TEST_F(CopyActions, APdfRuleCopiesInPhaseTwoOnly) {
    THTTPVorlinRules rules;
    THTTPVorlinRule& rule = rules.Add();
    rule.Enabled = true;
    auto& url = ConditionOf<TURLCondition>(rule);
    url.Active = true;
    url.Masks = {"*.pdf"};
    auto& copy = ActionOf<TCopyToDirAction>(rule);
    copy.Active = true;
    copy.Directory = Copies;
    Saved("docs/a.pdf");
    rules.RunPhase(Link, Project, 0);
    rules.RunPhase(Link, Project, 1);
    EXPECT_FALSE(DirectoryExists(Copies));
    rules.RunPhase(Link, Project, 2);
    EXPECT_TRUE(CopyExists("a.pdf"));
    Saved("docs/b.html");
    rules.RunPhase(Link, Project, 2);
    EXPECT_FALSE(CopyExists("b.html"));
}
