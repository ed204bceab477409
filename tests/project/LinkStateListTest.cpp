#include "project/LinkStateList.h"

#include "platform/Exception.h"
#include "project/DownloadLink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vorlin;

namespace {

struct TStateLists : ::testing::Test {
    TDownloadLink A{nullptr}, B{nullptr}, C{nullptr};
    std::vector<std::string> Events;

    template <typename List> void Watch(List& list) {
        list.OnChange = [this, &list](TDownloadLink* link) {
            std::string name = link == &A ? "A" : link == &B ? "B" : "C";
            Events.push_back(name + (list.Contains(link) ? " listed" : " not listed"));
        };
    }
};

} // namespace

TEST_F(TStateLists, AddingSetsTheStateAndNotifiesAfterwards) {
    TDownloadedList downloaded;
    TFilteredOutList filtered;
    Watch(downloaded);
    Watch(filtered);
    EXPECT_EQ(downloaded.Add(&A), 0);
    EXPECT_EQ(A.State, lsDownloaded);
    EXPECT_EQ(filtered.Add(&B), 0);
    EXPECT_EQ(B.State, lsFilteredOut);
    EXPECT_EQ(Events, (std::vector<std::string>{"A listed", "B listed"}));
    EXPECT_THROW(downloaded.Add(nullptr), Exception);
}

TEST_F(TStateLists, DeletingNotifiesFirstThenRemoves) {
    TDownloadedList list;
    list.Add(&A);
    list.Add(&B);
    list.Add(&C);
    Watch(list);
    list.Delete(1);
    EXPECT_EQ(Events, std::vector<std::string>{"B listed"});
    EXPECT_FALSE(list.Contains(&B));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list[1], &C);
    EXPECT_EQ(list.Remove(&A), 0);
    EXPECT_EQ(list.Remove(&A), -1);
    EXPECT_EQ(Events, (std::vector<std::string>{"B listed", "A listed"}));
    EXPECT_EQ(list.IndexOf(&C), 0);
    EXPECT_THROW(list.Delete(1), Exception);
    EXPECT_THROW(list.Items(-1), Exception);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(Events.size(), 2u);  // clearing is silent
}

TEST_F(TStateLists, ALinkListedTwiceIsFoundAndRemovedOneEntryAtATime) {
    TFilteredOutList list;
    list.Add(&A);
    list.Add(&B);
    list.Add(&A);
    EXPECT_EQ(list.IndexOf(&A), 0);
    EXPECT_EQ(list.Remove(&A), 0);
    EXPECT_TRUE(list.Contains(&A));
    EXPECT_EQ(list.IndexOf(&A), 1);
    std::vector<TDownloadLink*> order(list.begin(), list.end());
    EXPECT_EQ(order, (std::vector<TDownloadLink*>{&B, &A}));
}

TEST_F(TStateLists, StaysConsistentOverManyAddsAndRemovals) {
    std::vector<std::unique_ptr<TDownloadLink>> links;
    for (int i = 0; i < 2000; ++i) links.push_back(std::make_unique<TDownloadLink>(nullptr));
    TDownloadedList list;
    for (auto& l : links) list.Add(l.get());
    for (size_t i = 0; i < links.size(); i += 3) list.Remove(links[i].get());
    std::vector<TDownloadLink*> expected;
    for (size_t i = 0; i < links.size(); ++i)
        if (i % 3 != 0) expected.push_back(links[i].get());
    ASSERT_EQ(list.Count(), static_cast<int>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(list.Items(static_cast<int>(i)), expected[i]);
        ASSERT_EQ(list.IndexOf(expected[i]), static_cast<int>(i));
    }
}
