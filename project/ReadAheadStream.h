// A stream read on a thread of its own, a few blocks ahead of its reader: the
// link data file is decompressed while the list is built from what came
// before, instead of in turns with it.
//
// Only Read and Seek(0, soCurrent) are offered. The source is read by the
// worker alone from construction to destruction. A failure of the source
// reaches the reader as EStreamError with its message, after every byte
// read before it.
#pragma once

#include "platform/Stream.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vorlin {

class TReadAheadStream : public TStream {
public:
    static constexpr size_t kDefaultBlockSize = 128 * 1024;
    static constexpr size_t kDefaultBlocksAhead = 4;

    explicit TReadAheadStream(TStream& source, size_t blockSize = kDefaultBlockSize,
                              size_t blocksAhead = kDefaultBlocksAhead);
    // Stops the worker once its current read of the source returns.
    ~TReadAheadStream() override;
    TReadAheadStream(const TReadAheadStream&) = delete;
    TReadAheadStream& operator=(const TReadAheadStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;  // throws
    // Only Seek(0, soCurrent): the bytes read so far.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override;  // throws
    void SetSize(int64_t size) override;  // throws

private:
    struct TBlock {
        std::vector<char> Data;
        size_t Length = 0;
        bool Last = false;    // nothing follows: the end, or Failure
        std::string Failure;  // the source's error, after Length bytes
    };

    void Work();
    // The next block from the worker into FCurrent; false after the last,
    // or throws its failure (again at every call).
    bool NextBlock();

    TStream& FSource;
    const size_t FBlockSize;
    const size_t FBlocksAhead;

    std::mutex FLock;
    std::condition_variable FFilled;  // a block is ready, for the reader
    std::condition_variable FTaken;   // room for a block, or stop, for the worker
    std::deque<TBlock> FReady;
    std::vector<std::vector<char>> FSpare;  // read blocks, to fill again
    bool FStopping = false;

    TBlock FCurrent;  // the reader's, outside the lock
    size_t FCurrentPos = 0;
    int64_t FPosition = 0;
    bool FDirect = false;  // no worker could be started
    std::thread FThread;
};

} // namespace vorlin
