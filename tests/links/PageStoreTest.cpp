// The page store writes pages on its own thread: in the order they were
// handed over, each failure told under its page's ticket, and never
// through a symbolic link of the target; the page writer goes through it.
#include "links/PageStore.h"
#include "links/PageWriter.h"
#include "platform/Exception.h"
#include "platform/FileFaults.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

using namespace vorlin;
using vorlin::test::FileText;
using vorlin::test::TTempDir;
namespace fs = std::filesystem;

namespace {

// The error a finished page carries, as its message ("" when written).
std::string ErrorOf(const TPageStore::TFinished& finished, int* error = nullptr) {
    if (!finished.Error) return std::string();
    try {
        std::rethrow_exception(finished.Error);
    } catch (const EFileError& e) {
        if (error) *error = e.Error;
        return e.what();
    } catch (const std::exception& e) {
        return e.what();
    }
}

} // namespace

TEST(PageStore, WritesPagesInOrderAndTellsEachOnce) {
    TTempDir dir("vorlin-pagestore");
    std::atomic<int> told{0};
    TPageStore store([&] { ++told; });
    const std::string page = dir.Path + "site/dir/page.html";
    // The same page twice (a retry): the later copy is what stays.
    const uint64_t first = store.Begin(page, dir.Path);
    store.Append(first, "first ");
    store.Append(first, "copy");
    store.End(first, 784111777);
    const uint64_t second = store.Begin(page, dir.Path);
    store.Append(second, "second");
    store.End(second);
    EXPECT_NE(first, second);
    store.Settle(page);
    EXPECT_EQ(FileText(page), "second");
    // A page still being parsed is not waited for: only its parser could end it.
    const uint64_t open = store.Begin(dir.Path + "open.html", dir.Path);
    store.Settle(dir.Path + "open.html");
    store.End(open);
    store.End(open);  // ended twice: told once

    store.Drain();
    const auto finished = store.TakeFinished();
    ASSERT_EQ(finished.size(), 3u);
    EXPECT_EQ(finished[0].Ticket, first);
    EXPECT_EQ(finished[1].Ticket, second);
    EXPECT_EQ(finished[2].Ticket, open);
    EXPECT_EQ(ErrorOf(finished[0]), "");
    EXPECT_EQ(ErrorOf(finished[1]), "");
    EXPECT_GE(told.load(), 1);
    EXPECT_TRUE(store.TakeFinished().empty());
}

TEST(PageStore, StampsThePageItWasGivenATimeFor) {
    TTempDir dir("vorlin-pagestore");
    TPageStore store;
    const uint64_t ticket = store.Begin(dir.Path + "a.html", dir.Path);
    store.Append(ticket, "<html>");
    store.End(ticket, 784111777);
    store.Drain();
    EXPECT_EQ(fs::last_write_time(dir.Path + "a.html"),
              fs::file_time_type::clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(784111777))));
}

// A page that can't be made, or that fails while written, is told under its
// ticket with the system's reason; the pages around it are written.
TEST(PageStore, FailuresAreToldUnderTheirTicket) {
    TTempDir dir("vorlin-pagestore");
    const std::string outside = dir.Path + "outside/";
    fs::create_directories(outside);
    fs::create_directories(dir.Path + "target");
    fs::create_directory_symlink(outside, dir.Path + "target/link");
    TPageStore store;
    const uint64_t through = store.Begin(dir.Path + "target/link/p.html", dir.Path + "target/");
    store.Append(through, "never written");
    store.End(through);
    const uint64_t fine = store.Begin(dir.Path + "target/fine.html", dir.Path + "target/");
    store.Append(fine, "fine");
    store.End(fine);
    store.Drain();
    const auto finished = store.TakeFinished();
    ASSERT_EQ(finished.size(), 2u);
    EXPECT_NE(ErrorOf(finished[0]).find("symbolic link"), std::string::npos) << ErrorOf(finished[0]);
    EXPECT_EQ(ErrorOf(finished[1]), "");
    EXPECT_TRUE(fs::is_empty(outside));
    EXPECT_EQ(FileText(dir.Path + "target/fine.html"), "fine");

    // A disk that fills up while a page is written.
    SimulateFullDisk(dir.Path + "target/", 10);
    const uint64_t full = store.Begin(dir.Path + "target/full.html", dir.Path + "target/");
    store.Append(full, "more than ten bytes");
    store.Append(full, "and more");
    store.End(full);
    store.Drain();
    ClearSimulatedFullDisk();
    const auto failed = store.TakeFinished();
    ASSERT_EQ(failed.size(), 1u);
    int error = 0;
    EXPECT_NE(ErrorOf(failed[0], &error), "");
    EXPECT_EQ(error, ENOSPC);
}

// The page writer hands its buffer over in pieces and gives the ticket once
// the page is closed; without a store it writes the file itself.
TEST(PageStore, PageWriterGoesThroughTheStore) {
    TTempDir dir("vorlin-pagestore");
    TPageStore store;
    TPageWriter writer;
    writer.SetStore(&store);
    writer.Open(dir.Path + "big.html", dir.Path);
    EXPECT_TRUE(writer.IsOpen());
    std::string expected;
    for (int i = 0; i < 3000; ++i) {
        const std::string piece = "<p>" + std::to_string(i) + std::string(40, 'x') + "</p>";
        writer.Write(piece);
        expected += piece;
    }
    const std::string large(200000, 'y');
    writer.Write(large);
    expected += large;
    EXPECT_EQ(writer.LastTicket(), 0u);
    writer.Close();
    EXPECT_FALSE(writer.IsOpen());
    const uint64_t ticket = writer.LastTicket();
    EXPECT_NE(ticket, 0u);
    store.Settle(dir.Path + "big.html");
    EXPECT_EQ(FileText(dir.Path + "big.html"), expected);
    store.Drain();
    const auto finished = store.TakeFinished();
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0].Ticket, ticket);

    TPageWriter direct;
    direct.Open(dir.Path + "direct.html", dir.Path);
    direct.Write("here");
    direct.Close();
    EXPECT_EQ(direct.LastTicket(), 0u);
    EXPECT_EQ(FileText(dir.Path + "direct.html"), "here");
}

// What was handed over is written before the store goes.
TEST(PageStore, EndingTheStoreWritesWhatWasHandedOver) {
    TTempDir dir("vorlin-pagestore");
    {
        TPageStore store;
        for (int i = 0; i < 50; ++i) {
            const uint64_t ticket = store.Begin(dir.Path + "p" + std::to_string(i) + ".html", dir.Path);
            store.Append(ticket, "page " + std::to_string(i));
            store.End(ticket);
        }
    }
    for (int i = 0; i < 50; ++i) EXPECT_EQ(FileText(dir.Path + "p" + std::to_string(i) + ".html"), "page " + std::to_string(i));
}

// Copies made in the room of written buffers hold exactly their bytes,
// whichever buffer served them before.
TEST(PageStore, PagesCopiedIntoSpareBuffersAreWrittenAsHandedOver) {
    TTempDir dir("vorlin-pagestore");
    std::vector<std::string> pages;
    {
        TPageStore store;
        store.BatchWakes(true);
        for (int i = 0; i < 300; ++i) {
            // Sizes that fall in several classes, large after small ones.
            const size_t size = 1 + static_cast<size_t>((i * 7919) % 20000);
            pages.push_back(std::string(size, static_cast<char>('a' + i % 26)) + std::to_string(i));
            const uint64_t ticket = store.Begin(dir.Path + "p" + std::to_string(i) + ".html", dir.Path);
            store.Copy(ticket, pages.back().substr(0, size / 2));
            store.Copy(ticket, pages.back().substr(size / 2));
            store.End(ticket);
            if (i % 40 == 0) store.Drain();  // written buffers come back as spares
        }
    }
    for (size_t i = 0; i < pages.size(); ++i)
        EXPECT_EQ(FileText(dir.Path + "p" + std::to_string(i) + ".html"), pages[i]) << i;
}

// The writer is woken for a page's end, not for each step of it; what waits
// without a wake-up is still written when a page grows large, when the
// store is drained, and when the queue is full.
TEST(PageStore, StepsHandedOverWithoutAWakeUpAreStillWritten) {
    TTempDir dir("vorlin-pagestore");
    TPageStore store;
    // Once drained, the writer sleeps (it lets go of the store only then).
    store.End(store.Begin(dir.Path + "first.html", dir.Path));
    store.Drain();
    // Unended, small: only Drain asks for it.
    const uint64_t small = store.Begin(dir.Path + "small.html", dir.Path);
    store.Append(small, "begun");
    store.Drain();
    EXPECT_EQ(FileText(dir.Path + "small.html"), "begun");

    // Unended, larger than the wake threshold: written while still open.
    const uint64_t large = store.Begin(dir.Path + "large.html", dir.Path);
    store.Append(large, std::string(TPageStore::kWakeBytes + 1, 'l'));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::error_code error;
    const auto sizeOf = [&](const std::string& path) {
        const uintmax_t size = fs::file_size(path, error);
        return error ? 0 : size;
    };
    while (sizeOf(dir.Path + "large.html") <= TPageStore::kWakeBytes && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(sizeOf(dir.Path + "large.html"), TPageStore::kWakeBytes + 1);

    // More than the queue holds, unended: the feeder waits for the writer
    // instead of for a wake-up nobody gives.
    const uint64_t huge = store.Begin(dir.Path + "huge.html", dir.Path);
    const std::string block(1u << 20, 'h');
    const size_t blocks = TPageStore::kMaxQueuedBytes / block.size() + 4;
    for (size_t i = 0; i < blocks; ++i) store.Append(huge, block);
    store.Drain();
    EXPECT_EQ(sizeOf(dir.Path + "huge.html"), blocks * block.size());
    store.End(small);
    store.End(large);
    store.End(huge);
    store.Drain();
    EXPECT_EQ(store.TakeFinished().size(), 4u);
}

// A run batches the wake-ups: an ended page waits for Nudge (the run's loop
// running out of work) or for enough pages to pile up. Small pages are
// handed over as copies of their size, so many of them make that pile, not
// a few buffers' room.
TEST(PageStore, BatchedPagesAreWrittenOnANudgeOrWhenEnoughWait) {
    TTempDir dir("vorlin-pagestore");
    std::atomic<int> told{0};
    TPageStore store([&] { ++told; });
    store.BatchWakes(true);
    const auto waitFor = [](const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return done();
    };
    const uint64_t one = store.Begin(dir.Path + "one.html", dir.Path);
    store.Append(one, "one");
    store.End(one);
    store.Nudge();
    EXPECT_TRUE(waitFor([&] { return told > 0; }));
    EXPECT_EQ(FileText(dir.Path + "one.html"), "one");
    store.TakeFinished();

    // Pages of 1 KB through the page writer, never nudged: the writer is
    // woken once the ended ones add up to the wake threshold.
    TPageWriter writer;
    writer.SetStore(&store);
    const int pages = static_cast<int>(TPageStore::kWakeBytes / 1024) + 40;
    const std::string body(1024, 'p');
    for (int i = 0; i < pages; ++i) {
        writer.Open(dir.Path + "p" + std::to_string(i) + ".html", dir.Path);
        writer.Write(body);
        writer.Close();
    }
    size_t finished = 0;
    EXPECT_TRUE(waitFor([&] {
        finished += store.TakeFinished().size();
        return finished >= TPageStore::kWakeBytes / 1024;
    }));
    EXPECT_EQ(FileText(dir.Path + "p0.html"), body);
    store.Drain();
    finished += store.TakeFinished().size();
    EXPECT_EQ(finished, static_cast<size_t>(pages));
}
