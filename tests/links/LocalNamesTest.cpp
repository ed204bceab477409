#include "links/LocalNames.h"

#include "platform/StringUtils.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"

#include <gtest/gtest.h>

using namespace vorlin;

namespace {

TDownloadLink* StoredLink(TDownloadProject& project, const std::string& server,
                          const std::string& localName, const std::string& anchor = "") {
    auto* link = new TDownloadLink(&project);
    link->SetServer(server);
    link->LocalFileName = localName;
    link->Anchor = anchor;
    return link;
}

} // namespace

TEST(InvalidCharReplacement, CommaUnlessMirroring) {
    TDownloadProject project;
    project.MirroringChangeQ = "_";
    for (TInvalidCharMode mode : {icDontFollow, icReplace, icComma}) {
        project.InvalidCharMode = mode;
        project.ProjectMode = pmOfflineBrowse;
        EXPECT_EQ(InvalidCharReplacement(project), ",");
        project.ProjectMode = pmShowStructure;
        EXPECT_EQ(InvalidCharReplacement(project), ",");
    }
    project.ProjectMode = pmMirror;
    project.InvalidCharMode = icDontFollow;
    EXPECT_EQ(InvalidCharReplacement(project), "");
    project.InvalidCharMode = icReplace;
    EXPECT_EQ(InvalidCharReplacement(project), "_");
    project.InvalidCharMode = icComma;
    EXPECT_EQ(InvalidCharReplacement(project), ",");
}

TEST(FitLocalName, LongNamesAreCutAndNumberedPerServer) {
    TDownloadProject project;
    project.TargetDir = "/data/site/";  // 11 characters
    const std::string server = "http://host/";  // local directory "host\", 5 characters
    std::string longName(300 - 16, 'n');

    TDownloadLink* first = StoredLink(project, server, longName);
    std::string fitted = FitLocalName(*first, project);
    EXPECT_EQ(fitted, std::string(256 - 16, 'n') + "000");
    EXPECT_EQ(project.TargetDir.size() + first->LocalDir().size() + fitted.size(), 259u);
    first->LocalFileName = fitted;
    project.Links->Add(first);

    TDownloadLink* second = StoredLink(project, server, longName + "other");
    EXPECT_EQ(FitLocalName(*second, project), std::string(256 - 16, 'n') + "001");
    delete second;

    // The same name on another server is free.
    TDownloadLink* elsewhere = StoredLink(project, "http://other/", longName.substr(1));
    EXPECT_EQ(FitLocalName(*elsewhere, project), std::string(256 - 17, 'n') + "000");
    delete elsewhere;

    // A name that fits stays as it is, even at exactly 259 characters.
    TDownloadLink* fits = StoredLink(project, server, std::string(259 - 16, 'f'));
    EXPECT_EQ(FitLocalName(*fits, project), fits->LocalFileName);
    delete fits;
}

TEST(FitLocalName, TheIndexFollowsCompletedAndRenamedNames) {
    TDownloadProject project;
    project.TargetDir = "/t/";
    TDownloadLink* link = StoredLink(project, "http://h/", "dir\\");
    project.Links->Add(link);
    EXPECT_TRUE(project.Links->LocalNameTaken("http://h/", "dir\\"));
    link->CompleteLocalFileName();
    EXPECT_EQ(link->LocalFileName, "dir\\index.html");
    EXPECT_FALSE(project.Links->LocalNameTaken("http://h/", "dir\\"));
    EXPECT_TRUE(project.Links->LocalNameTaken("http://h/", "dir\\index.html"));

    // Changed behind the list's back, then announced.
    link->LocalFileName = "renamed";
    EXPECT_FALSE(project.Links->LocalNameTaken("http://h/", "dir\\index.html"));
    project.Links->LocalNameChanged(*link);
    EXPECT_TRUE(project.Links->LocalNameTaken("http://h/", "renamed"));

    link->SetServer("http://moved/");
    EXPECT_FALSE(project.Links->LocalNameTaken("http://h/", "renamed"));
    EXPECT_TRUE(project.Links->LocalNameTaken("http://moved/", "renamed"));
}

TEST(FitLocalName, AllThousandSuffixesTakenLeavesTheCutName) {
    TDownloadProject project;
    project.TargetDir = "/t/";
    std::string longName(400, 'x');
    TDownloadLink probe(&project);
    probe.SetServer("http://h/");
    probe.LocalFileName = longName;
    std::string cut = longName.substr(0, 256 - 3 - 2);  // "/t/" and "h\"
    for (int n = 0; n < 1000; ++n)
        project.Links->Add(StoredLink(project, "http://h/", cut + Format("%.3d", n)));
    EXPECT_EQ(FitLocalName(probe, project), cut);
}

TEST(LocalRelativeLink, RelativePathBetweenStoredFiles) {
    TDownloadProject project;
    project.TargetDir = "/t/";
    TDownloadLink page(&project), target(&project);
    page.SetServer("http://host/");
    target.SetServer("http://host/");
    page.LocalFileName = "a\\index.html";
    target.LocalFileName = "img\\x.gif";
    EXPECT_EQ(LocalRelativeLink(page, target, project), "../img/x.gif");

    target.LocalFileName = "a\\b\\c.html";
    target.Anchor = "#part";
    EXPECT_EQ(LocalRelativeLink(page, target, project), "b/c.html#part");

    // Directory names compare without regard to case.
    target.LocalFileName = "A\\y.html";
    target.Anchor.clear();
    EXPECT_EQ(LocalRelativeLink(page, target, project), "y.html");

    // Another host is another top directory.
    target.SetServer("http://other/");
    target.LocalFileName = "z.html";
    EXPECT_EQ(LocalRelativeLink(page, target, project), "../../other/z.html");

    // A directory URL is stored as its index.html.
    target.SetServer("http://host/");
    target.LocalFileName = "docs\\";
    EXPECT_EQ(LocalRelativeLink(page, target, project), "../docs/index.html");
    target.LocalFileName = "";
    EXPECT_EQ(LocalRelativeLink(page, target, project), "../index.html");
}

TEST(LocalRelativeLink, LeadsToTheFileAsStoredAndNeverClimbsOut) {
    TDownloadProject project;
    project.TargetDir = "/t/";
    TDownloadLink page(&project), target(&project);
    page.SetServer("http://host/");
    target.SetServer("http://host/");
    page.LocalFileName = "a\\index.html";
    // A decoded "%2e%2e%2f" is stored as a directory named "%2E%2E"; the
    // link names that directory, not the parent.
    target.LocalFileName = "a\\..\\..\\..\\x.html";
    EXPECT_EQ(LocalRelativeLink(page, target, project), "%2E%2E/%2E%2E/%2E%2E/x.html");
    target.LocalFileName = "a\\.\\y.html";
    EXPECT_EQ(LocalRelativeLink(page, target, project), "%2E/y.html");
    // Doubled separators are dropped, as when the file is stored.
    target.LocalFileName = "a\\\\b\\y.html";
    EXPECT_EQ(LocalRelativeLink(page, target, project), "b/y.html");
    // A page stored as a directory's index.html.
    page.LocalFileName = "a\\";
    target.LocalFileName = "img\\x.gif";
    EXPECT_EQ(LocalRelativeLink(page, target, project), "../img/x.gif");
}

TEST(LocalRelativeLink, ATargetsNewNamesCountFromTheirChangeOn) {
    // Targets alternate as on a page, and each may be renamed between links:
    // the path always follows the names the target has now.
    TDownloadProject project;
    project.TargetDir = "/t/";
    TDownloadLink page(&project), first(&project), second(&project);
    page.SetServer("http://host/");
    first.SetServer("http://host/");
    second.SetServer("http://host/");
    page.LocalFileName = "a\\index.html";
    first.LocalFileName = "a\\one.html";
    second.LocalFileName = "img\\two.gif";
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(LocalRelativeLink(page, first, project), "one.html");
        EXPECT_EQ(LocalRelativeLink(page, second, project), "../img/two.gif");
    }
    first.SetServer("http://other/"); // another directory, the same file name
    EXPECT_EQ(LocalRelativeLink(page, first, project), "../../other/a/one.html");
    second.LocalFileName = "img\\three.gif";
    EXPECT_EQ(LocalRelativeLink(page, second, project), "../img/three.gif");
    first.SetServer("http://host/");
    EXPECT_EQ(LocalRelativeLink(page, first, project), "one.html");
}
