#include "project/ReadAheadStream.h"

#include "platform/Exception.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace vorlin {

TReadAheadStream::TReadAheadStream(TStream& source, size_t blockSize, size_t blocksAhead)
    : FSource(source), FBlockSize(std::max<size_t>(blockSize, 1)), FBlocksAhead(std::max<size_t>(blocksAhead, 1)) {
    try {
        FThread = std::thread(&TReadAheadStream::Work, this);
    } catch (const std::system_error&) {
        // No thread to be had: the reader reads the source itself, as slow
        // as before but no less sure.
        FDirect = true;
    }
}

TReadAheadStream::~TReadAheadStream() {
    if (FDirect) return;
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStopping = true;
    }
    FTaken.notify_all();
    FThread.join();
}

void TReadAheadStream::Work() {
    for (;;) {
        TBlock block;
        {
            std::unique_lock<std::mutex> lock(FLock);
            FTaken.wait(lock, [this] { return FStopping || FReady.size() < FBlocksAhead; });
            if (FStopping) return;
            if (!FSpare.empty()) {
                block.Data = std::move(FSpare.back());
                FSpare.pop_back();
            }
        }
        block.Data.resize(FBlockSize);
        try {
            // A source may hand out less than asked (a decompressor gives
            // what one step made): the block is filled up to its end.
            while (block.Length < FBlockSize) {
                int64_t n = FSource.Read(block.Data.data() + block.Length,
                                         static_cast<int64_t>(FBlockSize - block.Length));
                if (n <= 0) {
                    block.Last = true;
                    break;
                }
                block.Length += static_cast<size_t>(n);
            }
        } catch (const std::exception& e) {
            block.Failure = e.what();
            if (block.Failure.empty()) block.Failure = "the data could not be read";
            block.Last = true;
        }
        const bool last = block.Last;
        {
            std::lock_guard<std::mutex> lock(FLock);
            FReady.push_back(std::move(block));
        }
        FFilled.notify_one();
        if (last) return;
    }
}

bool TReadAheadStream::NextBlock() {
    if (FCurrent.Last) {
        if (!FCurrent.Failure.empty()) throw EStreamError(FCurrent.Failure);
        return false;
    }
    {
        std::unique_lock<std::mutex> lock(FLock);
        if (!FCurrent.Data.empty()) FSpare.push_back(std::move(FCurrent.Data));
        FFilled.wait(lock, [this] { return !FReady.empty(); });
        FCurrent = std::move(FReady.front());
        FReady.pop_front();
    }
    FTaken.notify_one();
    FCurrentPos = 0;
    return true;
}

int64_t TReadAheadStream::Read(void* buffer, int64_t count) {
    if (FDirect) {
        const int64_t n = FSource.Read(buffer, count);
        FPosition += std::max<int64_t>(n, 0);
        return n;
    }
    char* out = static_cast<char*>(buffer);
    int64_t done = 0;
    while (done < count) {
        if (FCurrentPos == FCurrent.Length) {
            // Bytes already handed over come first; a failure waits for
            // the next call.
            if (done > 0 && FCurrent.Last) break;
            if (!NextBlock()) break;
            continue;
        }
        size_t n = std::min<size_t>(static_cast<size_t>(count - done), FCurrent.Length - FCurrentPos);
        std::memcpy(out + done, FCurrent.Data.data() + FCurrentPos, n);
        FCurrentPos += n;
        done += static_cast<int64_t>(n);
    }
    FPosition += done;
    return done;
}

int64_t TReadAheadStream::Write(const void*, int64_t) {
    throw EStreamError("a read-ahead stream can't be written");
}

int64_t TReadAheadStream::Seek(int64_t offset, TSeekOrigin origin) {
    if (offset != 0 || origin != TSeekOrigin::soCurrent) throw EStreamError("a read-ahead stream can't seek");
    return FPosition;
}

int64_t TReadAheadStream::Size() { throw EStreamError("the size of a read-ahead stream is not known"); }

void TReadAheadStream::SetSize(int64_t) { throw EStreamError("a read-ahead stream can't change its size"); }

} // namespace vorlin
