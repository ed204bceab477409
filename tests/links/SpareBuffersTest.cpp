// Spare buffers serve the next page of their class without a search, never
// with less room than asked, and keep no more than their room.
#include "links/SpareBuffers.h"

#include <gtest/gtest.h>

#include <string>

using namespace vorlin;

TEST(SpareBuffers, ABufferGivenBackServesTheNextPageOfItsClassEmpty) {
    TSpareBuffers spares(1 << 20);
    std::string page = spares.Take(3000);
    EXPECT_GE(page.capacity(), 4096u);  // the room of its class, so it goes back there
    page.assign(3000, 'p');
    const char* memory = page.data();
    spares.Give(std::move(page));
    EXPECT_EQ(spares.Room(), 4096u);

    // Larger than the class holds: a buffer of the next class, not this one.
    std::string larger = spares.Take(4097);
    EXPECT_GE(larger.capacity(), 8192u);
    EXPECT_NE(larger.data(), memory);
    // Of its class: the same memory, emptied.
    std::string next = spares.Take(2100);
    EXPECT_EQ(next.data(), memory);
    EXPECT_TRUE(next.empty());
    EXPECT_EQ(spares.Room(), 0u);

    // Below the smallest class: a buffer of that class all the same.
    EXPECT_GE(spares.Take(0).capacity(), 1024u);
    EXPECT_GE(spares.Take(1).capacity(), 1024u);
    // Beyond the largest: exactly as asked, and not kept when given back.
    std::string huge = spares.Take((size_t{1} << 19) + 1);
    EXPECT_GE(huge.capacity(), (size_t{1} << 19) + 1);
    spares.Give(std::move(huge));
    EXPECT_EQ(spares.Room(), 0u);
}

TEST(SpareBuffers, KeepsNoMoreThanItsRoomNorBuffersTooSmallToServe) {
    TSpareBuffers spares(8192);
    std::string pages[3] = {spares.Take(4096), spares.Take(4096), spares.Take(4096)};
    for (std::string& page : pages) spares.Give(std::move(page));
    EXPECT_EQ(spares.Room(), 8192u);  // the third let go of
    std::string small;
    small.reserve(200);
    spares.Give(std::move(small));
    EXPECT_EQ(spares.Room(), 8192u);
    // A buffer of odd room serves its class: at least 2^k bytes.
    TSpareBuffers odd(1 << 20);
    std::string grown;
    grown.reserve(6000);
    const char* memory = grown.data();
    odd.Give(std::move(grown));
    std::string taken = odd.Take(4096);
    EXPECT_EQ(taken.data(), memory);
    EXPECT_GE(taken.capacity(), 4096u);
    odd.Give(std::move(taken));
    EXPECT_NE(odd.Take(4097).data(), memory);  // 6000 bytes may be too few for that class
}
