#include "project/PointerHashTable.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

using namespace vorlin;

namespace {

struct TItem {
    size_t Hash;
    int Id;
};

size_t HashOfItem(const TItem* item) { return item->Hash; }

using TTable = TPointerHashTable<TItem, &HashOfItem>;

bool Has(const TTable& table, const TItem& item) {
    return table.Find(item.Hash, [&](const TItem* i) { return i == &item; }) != nullptr;
}

} // namespace

// Few distinct hashes, so that runs of colliding items wrap around the end
// of the table and erasing must close gaps inside them.
TEST(PointerHashTable, FindsEveryItemThroughCollisionsAndErasures) {
    std::vector<TItem> items(3000);
    std::mt19937 random(5);
    for (size_t i = 0; i < items.size(); ++i)
        items[i] = TItem{random() % 40 + (i % 2 ? 0 : size_t{1} << 40) - 3, static_cast<int>(i)};
    TTable table;
    for (TItem& item : items) table.Insert(&item);
    EXPECT_EQ(table.Count(), items.size());
    std::set<size_t> erased;
    for (int round = 0; round < 2000; ++round) {
        size_t victim = random() % items.size();
        bool wasThere = !erased.count(victim);
        EXPECT_EQ(table.Erase(&items[victim]), wasThere);
        erased.insert(victim);
    }
    for (size_t i = 0; i < items.size(); ++i) ASSERT_EQ(Has(table, items[i]), !erased.count(i)) << i;
    EXPECT_EQ(table.Count(), items.size() - erased.size());
    // Equal keys: Find answers the first match of the predicate.
    TItem a{7, 1}, b{7, 2};
    TTable pair;
    pair.Insert(&a);
    pair.Insert(&b);
    EXPECT_EQ(pair.Find(7, [](const TItem* i) { return i->Id == 2; }), &b);
    EXPECT_EQ(pair.Find(8, [](const TItem*) { return true; }), nullptr);
    pair.Clear();
    EXPECT_EQ(pair.Find(7, [](const TItem*) { return true; }), nullptr);
    EXPECT_FALSE(pair.Erase(&a));
}
