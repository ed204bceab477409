// The link's lock: recursive for its holder, exclusive between threads, and
// a thread that waits is woken when the holder lets go.
#include "project/CriticalSection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace vorlin;

TEST(CriticalSection, TheHolderEntersAgainAndOthersWaitUntilTheLastLeave) {
    TCriticalSection lock;
    lock.lock();
    lock.lock();
    std::atomic<bool> entered{false};
    std::thread other([&] {
        lock.lock();
        entered = true;
        lock.unlock();
    });
    lock.unlock();
    // Still held once: the other thread must not be inside yet.
    std::this_thread::yield();
    EXPECT_FALSE(entered);
    lock.unlock();
    other.join();
    EXPECT_TRUE(entered);
}

TEST(CriticalSection, ThreadsTakingTurnsLoseNoUpdate) {
    TCriticalSection lock;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                lock.lock();
                lock.lock();
                ++counter;
                lock.unlock();
                lock.unlock();
            }
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(counter, 80000);
}
