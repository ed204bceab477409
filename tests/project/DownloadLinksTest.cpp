#include "project/DownloadLinks.h"

#include "platform/DebugLog.h"
#include "project/DownloadProject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

using namespace vorlin;

namespace {

TDownloadLink* NewLink(TDownloadProject& project, const std::string& server,
                       const std::string& path) {
    auto* link = new TDownloadLink(&project);
    link->SetServer(server);
    link->Path = path;
    return link;
}

// Collects the debug log while a test runs.
class TDebugLogCapture {
public:
    TDebugLogCapture() {
        FOld = SetDebugLogSink([this](const std::string& line) { Lines.push_back(line); });
    }
    ~TDebugLogCapture() { SetDebugLogSink(FOld); }
    std::vector<std::string> Lines;

private:
    TDebugLogSink FOld;
};

} // namespace

TEST(DownloadLinks, OrderFollowsAddInsertAndInsertAfter) {
    TDownloadProject project;
    TDownloadLinks& links = *project.Links;
    std::vector<TDownloadLink*> added;
    links.OnChange = [&](TDownloadLink* link) { added.push_back(link); };

    TDownloadLink* start = NewLink(project, "http://h/", "");
    EXPECT_EQ(links.Add(start), 0);
    TDownloadLink* page2 = NewLink(project, "http://h/", "b.html");
    EXPECT_EQ(links.Add(page2), 1);
    TDownloadLink* image = NewLink(project, "http://h/", "i.gif");
    links.InsertAfter(start, image);
    TDownloadLink* first = NewLink(project, "http://h/", "first");
    links.Insert(0, first);

    std::vector<TDownloadLink*> order(links.begin(), links.end());
    EXPECT_EQ(order, (std::vector<TDownloadLink*>{first, start, image, page2}));
    EXPECT_EQ(added, (std::vector<TDownloadLink*>{start, page2, image, first}));
    EXPECT_EQ(links.IndexOf(image), 2);
    EXPECT_EQ(links[3], page2);
    EXPECT_EQ(links.Prev(start), first);
    EXPECT_EQ(links.Next(page2), nullptr);
    EXPECT_EQ(links.Last(), page2);

    TDownloadLink stranger(&project);
    EXPECT_EQ(links.IndexOf(&stranger), -1);
    EXPECT_EQ(links.IndexOf(nullptr), -1);
    EXPECT_THROW(links.Items(4), Exception);
    EXPECT_THROW(links.Items(-1), Exception);
    EXPECT_THROW(links.Add(start), Exception);  // already listed
}

// Appends, inserts after random pages, and inserts at the very front, in
// numbers that split leaves and inner nodes several levels deep.
TEST(DownloadLinks, PositionQueriesAgreeWithAPlainVectorUnderRandomInserts) {
    TDownloadProject project;
    TDownloadLinks& links = *project.Links;
    std::vector<TDownloadLink*> model;
    std::mt19937 random(7);
    for (int i = 0; i < 12000; ++i) {
        TDownloadLink* link = NewLink(project, "http://h/", "p" + std::to_string(i));
        unsigned pick = random() % 10;
        if (model.empty() || pick < 3) {
            EXPECT_EQ(links.Add(link), static_cast<int>(model.size()));
            model.push_back(link);
        } else if (pick == 3) {
            links.Insert(0, link);
            model.insert(model.begin(), link);
        } else {
            size_t at = random() % model.size();
            links.InsertAfter(model[at], link);
            model.insert(model.begin() + static_cast<long>(at) + 1, link);
        }
    }
    ASSERT_EQ(links.Count(), static_cast<int>(model.size()));
    for (size_t i = 0; i < model.size(); ++i) {
        ASSERT_EQ(links.Items(static_cast<int>(i)), model[i]) << i;
        ASSERT_EQ(links.IndexOf(model[i]), static_cast<int>(i)) << i;
    }
    EXPECT_TRUE(std::equal(links.begin(), links.end(), model.begin(), model.end()));
    std::vector<TDownloadLink*> forwards, backwards;
    for (TDownloadLink* l = links.First(); l; l = links.Next(l)) forwards.push_back(l);
    for (TDownloadLink* l = links.Last(); l; l = links.Prev(l)) backwards.push_back(l);
    EXPECT_EQ(forwards, model);
    EXPECT_TRUE(std::equal(backwards.rbegin(), backwards.rend(), model.begin(), model.end()));
}

TEST(DownloadLinks, InsertAtEveryBoundary) {
    TDownloadProject project;
    TDownloadLinks& links = *project.Links;
    std::vector<TDownloadLink*> model;
    // Fill exactly to leaf and node boundaries, then insert around them.
    for (int i = 0; i < 64 * 64 + 1; ++i) {
        TDownloadLink* link = NewLink(project, "http://h/", "a" + std::to_string(i));
        links.Add(link);
        model.push_back(link);
    }
    for (int at : {0, 63, 64, 65, 127, 128, 4095, 4096, 4097, 2048}) {
        TDownloadLink* link = NewLink(project, "http://h/", "b" + std::to_string(at));
        links.Insert(at, link);
        model.insert(model.begin() + at, link);
    }
    for (size_t i = 0; i < model.size(); ++i) ASSERT_EQ(links.IndexOf(model[i]), static_cast<int>(i));
    EXPECT_EQ(links.Items(links.Count() - 1), model.back());
    EXPECT_THROW(links.Insert(links.Count() + 1, NewLink(project, "http://h/", "x")), Exception);
}

TEST(UrlTree, FilesLinksUnderTheirSegments) {
    TDownloadProject project;
    TDownloadLinks& links = *project.Links;
    TDownloadLink* page = NewLink(project, "http://host/", "dir/page.html");
    links.Add(page);
    TLinkTreeNode* root = links.Root;
    ASSERT_NE(root->FirstChild, nullptr);
    EXPECT_EQ(root->Name, "");
    EXPECT_EQ(root->Link, nullptr);
    TLinkTreeNode* scheme = root->FirstChild;
    EXPECT_EQ(scheme->Name, "http:");
    EXPECT_EQ(scheme->FirstChild->Name, "host");
    EXPECT_EQ(scheme->FirstChild->FirstChild->Name, "dir");
    TLinkTreeNode* leaf = scheme->FirstChild->FirstChild->FirstChild;
    EXPECT_EQ(leaf->Name, "page.html");
    EXPECT_EQ(leaf->Link, page);
    EXPECT_EQ(page->TreeNode, leaf);
    EXPECT_EQ(leaf->Parent->Parent->Parent, scheme);

    TDownloadLink* found = nullptr;
    EXPECT_TRUE(links.AlreadyFound("http://host/dir/page.html", found));
    EXPECT_EQ(found, page);
    EXPECT_FALSE(links.AlreadyFound("http://host/dir/Page.html", found));
    EXPECT_EQ(found, nullptr);
    EXPECT_FALSE(links.AlreadyFound("http://host/dir/", found));
    EXPECT_FALSE(links.AlreadyFound("http://host/other/page.html", found));
    EXPECT_FALSE(links.AlreadyFound("http://host", found));
    EXPECT_FALSE(links.AlreadyFound("", found));
}

TEST(UrlTree, CaseDoubleSlashesAndDirectoryUrls) {
    TDownloadProject project;
    TDownloadLinks& links = *project.Links;
    TDownloadLink* lower = NewLink(project, "http://h/", "a/x.html");
    TDownloadLink* upper = NewLink(project, "http://h/", "A/x.html");
    TDownloadLink* doubled = NewLink(project, "http://h/", "p//q.html");
    TDownloadLink* dir = NewLink(project, "http://h/", "");
    links.Add(lower);
    links.Add(upper);
    links.Add(doubled);
    links.Add(dir);
    TDownloadLink* found = nullptr;
    EXPECT_TRUE(links.AlreadyFound("http://h/A/x.html", found));
    EXPECT_EQ(found, upper);
    EXPECT_TRUE(links.AlreadyFound("http://h/a/x.html", found));
    EXPECT_EQ(found, lower);
    // The empty segment is skipped both ways.
    EXPECT_EQ(doubled->TreeNode->Parent->Name, "p");
    EXPECT_TRUE(links.AlreadyFound("http://h/p/q.html", found));
    EXPECT_EQ(found, doubled);
    // A URL ending in "/" is a child with an empty name.
    EXPECT_EQ(dir->TreeNode->Name, "");
    EXPECT_TRUE(links.AlreadyFound("http://h/", found));
    EXPECT_EQ(found, dir);
}

TEST(UrlTree, APathAboveAFileWarnsOnlyOnceTheFileHasChildren) {
    TDebugLogCapture debug;
    TDownloadProject project;
    TDownloadLinks& links = *project.Links;
    links.Add(NewLink(project, "http://host/", "a"));
    links.Add(NewLink(project, "http://host/", "a/b/c"));
    EXPECT_TRUE(debug.Lines.empty());  // "a" had no children yet
    // Now it has: the next link on that way is reported, and the one after.
    for (const char* path : {"a/b/d", "a/b/e"}) links.Add(NewLink(project, "http://host/", path));
    ASSERT_EQ(debug.Lines.size(), 2u);
    EXPECT_EQ(debug.Lines[1], "Warning: A File may not have subfolders #1: http://host/a/b/e lies below "
                              "http://host/a, which is a file");
    debug.Lines.clear();

    TDownloadProject second;
    second.Links->Add(NewLink(second, "http://host/", "a"));
    second.Links->Add(NewLink(second, "http://host/", "a/x"));
    EXPECT_TRUE(debug.Lines.empty());
    TDownloadLink* deep = NewLink(second, "http://host/", "a/b/c");
    second.Links->Add(deep);
    EXPECT_EQ(debug.Lines, std::vector<std::string>{"Warning: A File may not have subfolders #1: http://host/a/b/c "
                                                    "lies below http://host/a, which is a file"});
    EXPECT_EQ(deep->TreeNode->Name, "c");
    EXPECT_EQ(deep->TreeNode->Parent->Name, "b");
    EXPECT_EQ(deep->TreeNode->Parent->Parent->Name, "a");
    TDownloadLink* found = nullptr;
    EXPECT_TRUE(second.Links->AlreadyFound("http://host/a/b/c", found));
    EXPECT_EQ(found, deep);
}

TEST(UrlTree, AFileFiledAfterADirectoryOfItsNameIsStillFound) {
    TDownloadProject project;
    TDownloadLinks& links = *project.Links;
    links.Add(NewLink(project, "http://h/", "dir/x.html"));
    TDownloadLink* file = NewLink(project, "http://h/", "dir");
    links.Add(file);
    TDownloadLink* found = nullptr;
    EXPECT_TRUE(links.AlreadyFound("http://h/dir", found));
    EXPECT_EQ(found, file);
    // A second link of a known URL gets a node of its own; the first stays
    // the one that is found.
    TDownloadLink* again = NewLink(project, "http://h/", "dir");
    links.Add(again);
    EXPECT_NE(again->TreeNode, file->TreeNode);
    EXPECT_TRUE(links.AlreadyFound("http://h/dir", found));
    EXPECT_EQ(found, file);
}

// Directories are remembered from look-up to look-up: they answer as their
// segments do while links are filed, and are forgotten with the tree.
TEST(UrlTree, RememberedDirectoriesAnswerAsTheirSegments) {
    TDownloadProject project;
    TDownloadLinks& links = *project.Links;
    TDownloadLink* found = nullptr;
    EXPECT_FALSE(links.AlreadyFound("http://h/d/x.html", found));  // before its directory is filed
    TDownloadLink* x = NewLink(project, "http://h/", "d/x.html");
    links.Add(x);
    EXPECT_TRUE(links.AlreadyFound("http://h/d/x.html", found));
    EXPECT_EQ(found, x);
    EXPECT_TRUE(links.AlreadyFound("http://h//d//x.html", found));  // another text, the same directory
    EXPECT_EQ(found, x);

    // More directories than are remembered, several files in each, asked in turns.
    std::vector<TDownloadLink*> files;
    for (int d = 0; d < 200; ++d)
        for (int f = 0; f < 3; ++f) {
            files.push_back(NewLink(project, "http://h/", "m" + std::to_string(d) + "/f" + std::to_string(f)));
            links.Add(files.back());
        }
    for (int round = 0; round < 2; ++round)
        for (TDownloadLink* file : files) {
            ASSERT_TRUE(links.AlreadyFound(file->FullURL(), found));
            ASSERT_EQ(found, file);
            ASSERT_FALSE(links.AlreadyFound(file->FullURL() + "x", found));
        }

    // After a clear, the nodes once remembered are gone: "d" is filed anew,
    // elsewhere, and only its new file is found.
    EXPECT_TRUE(links.AlreadyFound("http://h/d/x.html", found));
    links.Clear();
    links.Add(NewLink(project, "http://h/", "other/z.html"));
    TDownloadLink* y = NewLink(project, "http://h/", "d/y.html");
    links.Add(y);
    EXPECT_FALSE(links.AlreadyFound("http://h/d/x.html", found));
    EXPECT_TRUE(links.AlreadyFound("http://h/d/y.html", found));
    EXPECT_EQ(found, y);
}

TEST(UrlTree, LinksWithoutASlashStayOutsideTheTree) {
    TDownloadProject project;
    auto* mail = new TDownloadLink(&project);
    mail->Kind = lkMailto;
    mail->SetServer("mailto:me@example.com");
    project.Links->Add(mail);
    EXPECT_EQ(mail->TreeNode, nullptr);
    EXPECT_EQ(project.Links->Root->FirstChild, nullptr);
    EXPECT_EQ(project.Links->Count(), 1);
    TDownloadLink* found = nullptr;
    EXPECT_FALSE(project.Links->AlreadyFound("mailto:me@example.com", found));
}

TEST(DownloadLinks, ClearFreesLinksAndNodesButKeepsTheRoot) {
    TDownloadProject project;
    TDownloadLinks& links = *project.Links;
    for (int i = 0; i < 50; ++i)
        links.Add(NewLink(project, "http://h/", "d" + std::to_string(i % 5) + "/f" + std::to_string(i)));
    TLinkTreeNode* root = links.Root;
    links.Clear();
    EXPECT_EQ(links.Count(), 0);
    EXPECT_EQ(links.Root, root);
    EXPECT_EQ(root->FirstChild, nullptr);
    EXPECT_EQ(root->LastChild, nullptr);
    EXPECT_EQ(links.First(), nullptr);
    EXPECT_FALSE(links.LocalNameTaken("http://h/", "d0/f0"));
    TDownloadLink* found = nullptr;
    EXPECT_FALSE(links.AlreadyFound("http://h/d0/f0", found));
    links.Add(NewLink(project, "http://h/", "again"));
    EXPECT_TRUE(links.AlreadyFound("http://h/again", found));
}
