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

TEST(DownloadLinks, PositionQueriesAgreeWithAPlainVectorUnderRandomInserts) {
    TDownloadProject project;
    TDownloadLinks& links = *project.Links;
    std::vector<TDownloadLink*> model;
    std::mt19937 random(7);
    for (int i = 0; i < 3000; ++i) {
        TDownloadLink* link = NewLink(project, "http://h/", "p" + std::to_string(i));
        if (model.empty() || random() % 3 == 0) {
            links.Add(link);
            model.push_back(link);
        } else {
            TDownloadLink* page = model[random() % model.size()];
            links.InsertAfter(page, link);
            model.insert(model.begin() + (std::find(model.begin(), model.end(), page) - model.begin()) + 1,
                         link);
        }
    }
    ASSERT_EQ(links.Count(), static_cast<int>(model.size()));
    for (size_t i = 0; i < model.size(); ++i) {
        ASSERT_EQ(links.Items(static_cast<int>(i)), model[i]);
        ASSERT_EQ(links.IndexOf(model[i]), static_cast<int>(i));
    }
    std::vector<TDownloadLink*> backwards;
    for (TDownloadLink* l = links.Last(); l; l = links.Prev(l)) backwards.push_back(l);
    EXPECT_TRUE(std::equal(backwards.rbegin(), backwards.rend(), model.begin()));
}
