#include "project/SharedServerRoot.h"

#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "tests/project/TestFiles.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace vorlin;

namespace {

TDownloadLink* LinkOn(TDownloadProject& project, const std::string& server, const std::string& path) {
    auto* link = new TDownloadLink(&project);
    link->SetServer(server);
    link->Path = path;
    link->LocalFileName = path;
    return link;
}

} // namespace

TEST(SharedServerRoot, LinksOfOneRootShareItUntilTheLastOneLeaves) {
    const size_t before = TSharedServerRoot::LiveRoots();
    TDownloadProject project;
    TDownloadLinks& links = *project.Links;
    links.Add(LinkOn(project, "http://h:8080/", "a"));
    links.Add(LinkOn(project, "http://h:8080/", "b"));
    links.Add(LinkOn(project, "http://other/", "c"));
    EXPECT_EQ(TSharedServerRoot::LiveRoots(), before + 2);
    EXPECT_EQ(&links[0]->Server(), &links[1]->Server());
    EXPECT_EQ(&links[0]->LocalDir(), &links[1]->LocalDir());
    EXPECT_EQ(links[1]->LocalDir(), "h+8080\\");

    // Moving a link to another root leaves the others where they were, and
    // the name index follows it.
    links[1]->SetServer("http://other/");
    EXPECT_EQ(links[0]->Server(), "http://h:8080/");
    EXPECT_EQ(links[0]->LocalDir(), "h+8080\\");
    EXPECT_EQ(links[1]->Server(), "http://other/");
    EXPECT_EQ(links[1]->LocalDir(), "other\\");
    EXPECT_EQ(links[1]->FullURL(), "http://other/b");
    EXPECT_TRUE(links.LocalNameTaken("http://other/", "b"));
    EXPECT_FALSE(links.LocalNameTaken("http://h:8080/", "b"));
    EXPECT_EQ(TSharedServerRoot::LiveRoots(), before + 2);
    links[0]->SetServer("http://third/");
    EXPECT_EQ(TSharedServerRoot::LiveRoots(), before + 2);  // h:8080 had no link left

    links.Clear();
    EXPECT_EQ(TSharedServerRoot::LiveRoots(), before);
}

TEST(SharedServerRoot, TheLayoutOfLocalDirectoriesIsPartOfTheRoot) {
    TSharedServerRoot withPort("http://h:81/", true);
    TSharedServerRoot hostOnly("http://h:81/", false);
    EXPECT_EQ(withPort.LocalDir(), "h+81\\");
    EXPECT_EQ(hostOnly.LocalDir(), "h\\");
    EXPECT_TRUE(withPort.Is("http://h:81/", true));
    EXPECT_FALSE(withPort.Is("http://h:81/", false));
    EXPECT_FALSE(withPort.Is("http://h:82/", true));

    // An unset root reads as empty texts, as a new link's fields always did.
    TSharedServerRoot none;
    EXPECT_EQ(none.Server(), "");
    EXPECT_EQ(none.LocalDir(), "");
    EXPECT_FALSE(none.Is("", true));
    TDownloadLink link(nullptr);
    EXPECT_EQ(link.Server(), "");
    EXPECT_EQ(link.LocalDir(), "");
    link.SetServer("ftp://files/");
    EXPECT_EQ(link.LocalDir(), "files\\");
}

TEST(SharedServerRoot, RootsSurviveASaveAndLoadOfInterleavedServers) {
    const size_t before = TSharedServerRoot::LiveRoots();
    TTempDir dir;
    {
        TDownloadProject project;
        for (int i = 0; i < 6; ++i)
            project.Links->Add(LinkOn(project, i % 2 ? "https://b.example/" : "http://a.example:8000/",
                                      "p" + std::to_string(i)));
        project.Links->Add(LinkOn(project, "mailto:me@a.example", ""));
        project.Links->SaveToFile(dir.Path + "links.dat");
    }
    EXPECT_EQ(TSharedServerRoot::LiveRoots(), before);
    TDownloadProject loaded;
    loaded.Links->LoadFromFile(dir.Path + "links.dat");
    ASSERT_EQ(loaded.Links->Count(), 7);
    EXPECT_EQ(TSharedServerRoot::LiveRoots(), before + 3);
    for (int i = 0; i < 6; ++i) {
        const TDownloadLink* link = loaded.Links->Items(i);
        EXPECT_EQ(link->Server(), i % 2 ? "https://b.example/" : "http://a.example:8000/") << i;
        EXPECT_EQ(link->LocalDir(), i % 2 ? "b.example\\" : "a.example+8000\\") << i;
        TDownloadLink* found = nullptr;
        EXPECT_TRUE(loaded.Links->AlreadyFound(link->FullURL(), found));
        EXPECT_EQ(found, link);
    }
    EXPECT_EQ(loaded.Links->Items(6)->Server(), "mailto:me@a.example");
    loaded.Links->Clear();
    EXPECT_EQ(TSharedServerRoot::LiveRoots(), before);
}

TEST(SharedServerRoot, HandlesMadeAndDroppedOnManyThreadsLeaveNothingBehind) {
    // Run against the sanitizers: a root freed while another thread takes
    // it up again shows as a use after free.
    const size_t before = TSharedServerRoot::LiveRoots();
    TSharedServerRoot held("http://shared/", true);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &held] {
            for (int i = 0; i < 20000; ++i) {
                TSharedServerRoot mine("http://h" + std::to_string((i + t) % 3) + "/", true);
                TSharedServerRoot copy = mine;
                TSharedServerRoot shared = held;
                if (copy.Server() != mine.Server() || shared.LocalDir() != "shared\\") std::abort();
            }
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(TSharedServerRoot::LiveRoots(), before + 1);
}
