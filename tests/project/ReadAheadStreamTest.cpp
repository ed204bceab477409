// The read-ahead stream hands its reader the source's bytes in order and
// whole, however the blocks, the source's pieces and the reads fall, and a
// source's failure only after every byte that came before it.
#include "project/ReadAheadStream.h"

#include "platform/Exception.h"
#include "platform/Stream.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <random>
#include <string>
#include <thread>

using namespace vorlin;

namespace {

// Hands out its bytes at most Step at a time, then fails with Failure
// when one is set, else ends.
class TPieceSource : public TStream {
public:
    TPieceSource(std::string data, size_t step, std::string failure = "")
        : FData(std::move(data)), FStep(step), FFailure(std::move(failure)) {}
    int64_t Read(void* buffer, int64_t count) override {
        ++Reads;
        size_t n = std::min({static_cast<size_t>(count), FStep, FData.size() - FAt});
        if (n == 0 && !FFailure.empty()) throw EStreamError(FFailure);
        std::memcpy(buffer, FData.data() + FAt, n);
        FAt += n;
        return static_cast<int64_t>(n);
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t, TSeekOrigin) override { return static_cast<int64_t>(FAt); }
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }
    void SetSize(int64_t) override {}
    std::atomic<int> Reads{0};

private:
    std::string FData;
    size_t FStep;
    size_t FAt = 0;
    std::string FFailure;
};

std::string Noise(size_t size) {
    std::mt19937 random(static_cast<unsigned>(size));
    std::string data(size, '\0');
    for (char& c : data) c = static_cast<char>(random());
    return data;
}

// Reads everything in pieces of random length up to most; stops at a failure
// and answers its message in failure.
std::string ReadAll(TStream& stream, size_t most, std::string* failure = nullptr) {
    std::mt19937 random(7);
    std::string out;
    std::string piece(most, '\0');
    for (;;) {
        size_t want = 1 + random() % most;
        int64_t n = 0;
        try {
            n = stream.Read(piece.data(), static_cast<int64_t>(want));
        } catch (const EStreamError& e) {
            if (failure) *failure = e.Message();
            return out;
        }
        if (n <= 0) return out;
        out.append(piece.data(), static_cast<size_t>(n));
    }
}

} // namespace

TEST(ReadAheadStream, BytesArriveWholeAndInOrderWhateverTheSizes) {
    for (size_t size : {size_t{0}, size_t{1}, size_t{4096}, size_t{100000}}) {
        const std::string data = Noise(size);
        for (size_t block : {size_t{1}, size_t{7}, size_t{4096}, size_t{65536}}) {
            for (size_t step : {size_t{1}, size_t{1000}, size_t{1} << 20}) {
                if (size >= 100000 && (block == 1 || step == 1)) continue;  // slow, no news
                TPieceSource source(data, step);
                TReadAheadStream ahead(source, block, 3);
                EXPECT_EQ(ReadAll(ahead, 3000), data) << size << " " << block << " " << step;
                EXPECT_EQ(ahead.Position(), static_cast<int64_t>(size));
                EXPECT_EQ(ahead.Read(nullptr, 0), 0);
                char byte;
                EXPECT_EQ(ahead.Read(&byte, 1), 0) << "the end stays the end";
            }
        }
    }
}

TEST(ReadAheadStream, AFailureComesAfterEveryByteBeforeIt) {
    const std::string data = Noise(50000);
    for (size_t block : {size_t{10}, size_t{4096}, size_t{1} << 20}) {
        TPieceSource source(data, 333, "zlib: the compressed data ends early");
        TReadAheadStream ahead(source, block, 2);
        std::string failure;
        EXPECT_EQ(ReadAll(ahead, 5000, &failure), data) << block;
        EXPECT_EQ(failure, "zlib: the compressed data ends early") << block;
        // And again: a failed stream does not turn into a clean end.
        char byte;
        EXPECT_THROW(ahead.Read(&byte, 1), EStreamError);
    }
    // A source that fails at once.
    TPieceSource empty("", 1, "no such thing");
    TReadAheadStream ahead(empty);
    char byte;
    EXPECT_THROW(ahead.Read(&byte, 1), EStreamError);
}

TEST(ReadAheadStream, ReadsOnlyAFewBlocksAheadAndStopsWhenLeft) {
    // A reader that stops early (a damaged record) leaves the rest unread,
    // and the worker, waiting for room, is stopped without a hang.
    const std::string data = Noise(1 << 20);
    TPieceSource source(data, 1000);
    {
        TReadAheadStream ahead(source, 1000, 2);
        char byte;
        ASSERT_EQ(ahead.Read(&byte, 1), 1);
        EXPECT_EQ(byte, data[0]);
        for (int i = 0; i < 200 && source.Reads < 3; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        // The block being read, two ready, and one the worker may be filling.
        EXPECT_LE(source.Reads, 4);
    }
    EXPECT_LE(source.Reads, 4);
}

TEST(ReadAheadStream, OnlyReads) {
    TPieceSource source("abc", 10);
    TReadAheadStream ahead(source);
    EXPECT_THROW(ahead.Write("x", 1), EStreamError);
    EXPECT_THROW(ahead.Seek(1, TSeekOrigin::soCurrent), EStreamError);
    EXPECT_THROW(ahead.Size(), EStreamError);
    char buffer[2];
    EXPECT_EQ(ahead.Read(buffer, 2), 2);
    EXPECT_EQ(ahead.Position(), 2);
}
