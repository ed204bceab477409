// The pool the link objects come from: blocks never overlap, keep new's
// alignment, serve again once given back, and hold up with several threads
// making and freeing links at once (a run's thread and the main thread).
#include "project/DownloadLink.h"
#include "project/LinkPool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <thread>
#include <vector>

namespace vorlin {
namespace {

constexpr size_t kBlock = sizeof(TDownloadLink);

TEST(LinkPool, BlocksAreDistinctAlignedAndServeAgainOnceGivenBack) {
    // More than a chunk's worth, so that a second chunk is started too.
    const size_t count = TLinkPool::kChunkBytes / kBlock + 100;
    std::vector<char*> blocks;
    for (size_t i = 0; i < count; ++i) {
        auto* block = static_cast<char*>(TLinkPool::Take(kBlock));
        ASSERT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
        std::memset(block, static_cast<int>(i & 0xff), kBlock);
        blocks.push_back(block);
    }
    std::vector<char*> sorted = blocks;
    std::sort(sorted.begin(), sorted.end());
    for (size_t i = 1; i < sorted.size(); ++i) ASSERT_GE(sorted[i] - sorted[i - 1], static_cast<ptrdiff_t>(kBlock));
    // Every block still holds what was written to it: none was handed out twice.
    for (size_t i = 0; i < count; ++i)
        ASSERT_EQ(blocks[i][kBlock - 1], static_cast<char>(i & 0xff)) << i;
    std::set<char*> given(blocks.begin(), blocks.begin() + 50);
    for (char* block : given) TLinkPool::Give(block, kBlock);
    std::set<char*> taken;
    for (int i = 0; i < 50; ++i) taken.insert(static_cast<char*>(TLinkPool::Take(kBlock)));
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(taken, given);
#endif
    for (char* block : taken) TLinkPool::Give(block, kBlock);
    for (size_t i = 50; i < count; ++i) TLinkPool::Give(blocks[i], kBlock);
    TLinkPool::Give(nullptr, kBlock);
}

TEST(LinkPool, LinksMadeAndFreedOnSeveralThreadsNeverShareMemory) {
    // Each thread tags its live links and checks the tags after the others
    // took and gave back memory in between.
    auto work = [](int32_t thread, bool& sound) {
        std::vector<std::unique_ptr<TDownloadLink>> links;
        int32_t next = 0;
        for (int round = 0; round < 40; ++round) {
            while (links.size() < 2000) {
                links.push_back(std::make_unique<TDownloadLink>(nullptr));
                links.back()->Size = thread << 24 | next++;
                links.back()->Path = std::to_string(links.back()->Size);
            }
            for (const auto& link : links)
                if (link->Size >> 24 != thread || link->Path != std::to_string(link->Size)) sound = false;
            // Every other one goes back.
            for (size_t i = 0; i < links.size(); i += 2) links[i].reset();
            std::erase(links, nullptr);
        }
    };
    bool sound[4] = {true, true, true, true};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back(work, t + 1, std::ref(sound[t]));
    for (auto& thread : threads) thread.join();
    for (bool each : sound) EXPECT_TRUE(each);
}

} // namespace
} // namespace vorlin
