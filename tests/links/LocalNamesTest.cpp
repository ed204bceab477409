#include "links/LocalNames.h"

#include "platform/StringUtils.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"

#include "project/LocalPath.h"

#include <gtest/gtest.h>

#include <random>

using namespace vorlin;

namespace {

// The way from one stored file to another, worked out whole each time:
// both names mapped to host paths, then up out of the page's directories
// past those they share, and down into the target's.
std::string WayWorkedOutWhole(const TDownloadLink& page, const TDownloadLink& target) {
    auto hostPath = [](const TDownloadLink& link) {
        std::string name = link.LocalDir() + link.LocalFileName, path;
        if (link.LocalFileName.empty() || name.back() == '\\') name += "index.html";
        AppendHostPath(path, name);
        return path;
    };
    auto components = [](const std::string& path) {
        std::vector<std::string> parts;
        for (size_t start = 0, slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1)
            parts.push_back(path.substr(start, slash - start));
        return parts;
    };
    const std::string from = hostPath(page), to = hostPath(target);
    const std::vector<std::string> a = components(from), b = components(to);
    size_t shared = 0;
    while (shared < a.size() && shared < b.size() && SameText(a[shared], b[shared])) ++shared;
    std::string way;
    for (size_t i = shared; i < a.size(); ++i) way += "../";
    for (size_t i = shared; i < b.size(); ++i) way += b[i] + "/";
    return way + to.substr(to.rfind('/') + 1);
}

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

// The way to a directory is kept from link to link of a page: it must be
// the way worked out whole for every page, directory and name, in any order.
TEST(LocalRelativeLink, WaysKeptFromLinkToLinkAreThoseWorkedOutWhole) {
    TDownloadProject project;
    project.TargetDir = "/t/";
    const char* servers[] = {"http://host/", "http://Host/", "http://other:8080/"};
    const std::string longName(300, 'n');  // cut when stored
    const char* pieces[] = {"a", "A", "b", "..", ".", "", "docs", "x.html", "index.html", "d\\e", longName.c_str()};
    std::mt19937 random(20261210);
    auto randomName = [&] {
        std::string name;
        const int depth = static_cast<int>(random() % 4);
        for (int i = 0; i < depth; ++i) name += std::string(pieces[random() % std::size(pieces)]) + (random() % 5 ? "\\" : "/");
        if (random() % 4) name += pieces[random() % std::size(pieces)];
        return name;
    };
    TDownloadLink page(&project), target(&project);
    int checked = 0;
    for (int round = 0; round < 300; ++round) {
        page.SetServer(servers[random() % std::size(servers)]);
        page.LocalFileName = randomName();
        // Runs of targets in a few directories, as a page names them.
        for (int k = 0; k < 20; ++k) {
            target.SetServer(servers[random() % std::size(servers)]);
            target.LocalFileName = k % 3 == 0 ? randomName() : target.LocalFileName + (k % 2 ? "" : "z");
            ASSERT_EQ(RelativeLocalPath(page, target.LocalDir(), target.LocalFileName), WayWorkedOutWhole(page, target))
                << page.FullURL() << " [" << page.LocalFileName << "] -> [" << target.LocalFileName << "]";
            ++checked;
        }
    }
    EXPECT_EQ(checked, 6000);
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
