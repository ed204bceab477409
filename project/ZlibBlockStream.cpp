#include "project/ZlibBlockStream.h"

#include "platform/Exception.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <fcntl.h>

namespace vorlin {

namespace {

// libdeflate's own scale: its level 8 on blocks of a megabyte comes out as
// tight as zlib's best level on link data (within 0.1% either way on the
// benchmark's files) in 70% of the time its level 9 takes on smaller blocks.
constexpr int kCompressionLevel = 8;
// The zlib header of a stream written at the best level, 32 KB window.
constexpr unsigned char kZlibHeader[2] = {0x78, 0xDA};
// What follows a block made not final: the rest of an empty stored block
// after its three header bits (its zero length and the length's complement).
constexpr unsigned char kStoredBlockLengths[4] = {0x00, 0x00, 0xFF, 0xFF};

[[noreturn]] void Fail(const std::string& what) { throw EStreamError("zlib: " + what); }

void WriteAdler(TStream& dest, uint32_t adler) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(adler >> 24), static_cast<unsigned char>(adler >> 16),
                                    static_cast<unsigned char>(adler >> 8), static_cast<unsigned char>(adler)};
    dest.WriteBuffer(bytes, sizeof bytes);
}

} // namespace

// What one worker needs to compress blocks: libdeflate's compressor, an
// inflate that finds the block boundaries of its output, and room for that
// inflate's output (thrown away piece by piece). Made on the writing thread, so that the workers allocate
// nothing (memory a thread allocates stays with that thread's arena).
class TBlockCompressor {
public:
    TBlockCompressor() : FCompressor(libdeflate_alloc_compressor(kCompressionLevel)), FScratch(32 * 1024, '\0') {
        if (!FCompressor) Fail("cannot start compressing (out of memory)");
        if (inflateInit2(&FScanner, -15) != Z_OK) {
            libdeflate_free_compressor(FCompressor);
            Fail("cannot start compressing (out of memory)");
        }
    }
    ~TBlockCompressor() {
        inflateEnd(&FScanner);
        libdeflate_free_compressor(FCompressor);
    }
    TBlockCompressor(const TBlockCompressor&) = delete;
    TBlockCompressor& operator=(const TBlockCompressor&) = delete;

    // The most that the raw deflate data of size bytes may take.
    size_t Bound(size_t size) const {
        return libdeflate_deflate_compress_bound(FCompressor, size) + sizeof kStoredBlockLengths + 1;
    }

    // Writes the raw deflate data of in to out (of Bound(in.size()) bytes)
    // and answers its length. Unless last, the data ends at a byte boundary
    // with no final block, so that more deflate data may follow.
    size_t Compress(const std::string& in, char* out, bool last) {
        size_t n = libdeflate_deflate_compress(FCompressor, in.data(), in.size(), out, Bound(in.size()));
        if (n == 0) Fail("compression failed");
        return last ? n : ContinueAfter(out, n);
    }

private:
    // Clears the final flag of the last block of the deflate data in out and
    // appends an empty stored block, which ends at a byte boundary; answers
    // the new length.
    size_t ContinueAfter(char* out, size_t length) {
        if (inflateReset(&FScanner) != Z_OK) Fail("compression failed");
        FScanner.next_in = reinterpret_cast<Bytef*>(out);
        FScanner.avail_in = static_cast<uInt>(length);
        uint64_t finalHeader = 0;  // bit position of the last block's header
        uint64_t end = 0;          // bit position right after its end-of-block code
        for (;;) {
            FScanner.next_out = reinterpret_cast<Bytef*>(FScratch.data());
            FScanner.avail_out = static_cast<uInt>(FScratch.size());
            int code = inflate(&FScanner, Z_BLOCK);
            // The next bit to read: unused bits of the last byte taken are
            // the high ones (deflate fills bytes from the low bit up).
            uint64_t position = uint64_t{FScanner.total_in} * 8 - static_cast<unsigned>(FScanner.data_type & 7);
            if (code == Z_STREAM_END) break;
            if (code != Z_OK) Fail("compression failed (a block did not decode)");
            // Stopped with its output full, or right after a block's
            // end-of-block code: the end of the last block (64), or where
            // the next block's header starts.
            if (FScanner.data_type & 128) {
                if (FScanner.data_type & 64)
                    end = position;
                else
                    finalHeader = position;
            }
        }
        if (end == 0 || finalHeader >= end || !(out[finalHeader / 8] & (1 << (finalHeader % 8))))
            Fail("compression failed (no final block where expected)");
        out[finalHeader / 8] = static_cast<char>(out[finalHeader / 8] & ~(1 << (finalHeader % 8)));
        // The stored block's three header bits are zero: keep the bits before
        // the end, clear the rest of that byte, and let the header and its
        // padding run to the next byte boundary.
        const size_t endByte = static_cast<size_t>(end / 8);
        if (end % 8 != 0) out[endByte] = static_cast<char>(out[endByte] & ((1 << (end % 8)) - 1));
        size_t newLength = static_cast<size_t>((end + 3 + 7) / 8);
        for (size_t i = length; i < newLength; ++i) out[i] = 0;
        std::memcpy(out + newLength, kStoredBlockLengths, sizeof kStoredBlockLengths);
        return newLength + sizeof kStoredBlockLengths;
    }

    libdeflate_compressor* FCompressor;
    z_stream FScanner{};
    std::string FScratch;
};

struct TZlibBlockStream::TJob {
    std::string In;
    std::unique_ptr<char[]> Out;  // allocated by the writing thread
    size_t OutLength = 0;
    bool Last = false;
    bool Done = false;
    std::string Error;
};

namespace {

int WorkersFor(int asked) {
    if (asked > 0) return asked;
    // The level's cost is all in the workers: every core may take a block.
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(cores, 2, 8);
}

} // namespace

TZlibBlockStream::TZlibBlockStream(TStream& dest, size_t blockSize, int workers)
    : FDest(dest), FFile(nullptr), FBlockSize(std::max<size_t>(blockSize, 64 * 1024)),
      FWorkerCount(WorkersFor(workers)) {}

TZlibBlockStream::TZlibBlockStream(TFileStream& dest, size_t blockSize, int workers)
    : FDest(dest), FFile(&dest), FBlockSize(std::max<size_t>(blockSize, 64 * 1024)),
      FWorkerCount(WorkersFor(workers)) {}

void TZlibBlockStream::WriteOut(const char* data, size_t length) {
    FDest.WriteBuffer(data, static_cast<int64_t>(length));
    constexpr int64_t kWritebackEvery = 1 << 20;
    FUnsyncedBytes += static_cast<int64_t>(length);
    if (FFile && FUnsyncedBytes >= kWritebackEvery) {
        // Only a hint, to start the disk writing now: the file's Sync still
        // waits for all of it and reports what failed.
        ::sync_file_range(FFile->Handle(), 0, 0, SYNC_FILE_RANGE_WRITE);
        FUnsyncedBytes = 0;
    }
}

TZlibBlockStream::~TZlibBlockStream() { StopWorkers(); }

void TZlibBlockStream::StopWorkers() {
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStopping = true;
    }
    FWork.notify_all();
    for (std::thread& t : FThreads) t.join();
    FThreads.clear();
}

int64_t TZlibBlockStream::Write(const void* buffer, int64_t count) {
    if (FFinished) throw EStreamError("zlib: write after the end of the stream");
    const char* in = static_cast<const char*>(buffer);
    int64_t left = count;
    while (left > 0) {
        if (FCurrent.capacity() < FBlockSize) FCurrent.reserve(FBlockSize);
        size_t n = std::min<size_t>(static_cast<size_t>(left), FBlockSize - FCurrent.size());
        FCurrent.append(in, n);
        in += n;
        left -= static_cast<int64_t>(n);
        if (FCurrent.size() == FBlockSize) Submit(false);
    }
    return count;
}

void TZlibBlockStream::Submit(bool last) {
    FAdler = libdeflate_adler32(FAdler, FCurrent.data(), FCurrent.size());
    FTotalIn += static_cast<int64_t>(FCurrent.size());
    auto job = std::make_unique<TJob>();
    job->In = std::move(FCurrent);
    job->Last = last;
    FCurrent = std::string();
    if (!FHeaderWritten) {
        FDest.WriteBuffer(kZlibHeader, sizeof kZlibHeader);
        FHeaderWritten = true;
    }
    if (FJobs.empty() && last) {
        // The last block with nothing in flight (a small file is one block):
        // compressed here, without waking threads. Every other block goes
        // to the workers at once, so that this thread goes on producing
        // the data while they compress.
        if (FCompressors.empty()) FCompressors.push_back(std::make_unique<TBlockCompressor>());
        TBlockCompressor& compressor = *FCompressors.front();
        auto out = std::make_unique<char[]>(compressor.Bound(job->In.size()));
        size_t n = compressor.Compress(job->In, out.get(), last);
        WriteOut(out.get(), n);
        return;
    }
    if (FThreads.empty()) {
        while (FCompressors.size() < static_cast<size_t>(FWorkerCount))
            FCompressors.push_back(std::make_unique<TBlockCompressor>());
        for (int i = 0; i < FWorkerCount; ++i)
            FThreads.emplace_back(&TZlibBlockStream::WorkerLoop, this, FCompressors[static_cast<size_t>(i)].get());
    }
    job->Out.reset(new char[FCompressors.front()->Bound(job->In.size())]);
    {
        std::lock_guard<std::mutex> lock(FLock);
        FJobs.push_back(std::move(job));
    }
    FWork.notify_one();
    // A few blocks ahead of the workers at most, so that memory stays small.
    WriteDone(last);
}

// Writes the compressed blocks that are done, in order; waits while too
// many are in flight (or, with all, until every block is written).
void TZlibBlockStream::WriteDone(bool all) {
    const size_t inFlight = all ? 0 : static_cast<size_t>(FWorkerCount) + 1;
    std::unique_lock<std::mutex> lock(FLock);
    for (;;) {
        while (!FJobs.empty() && FJobs.front()->Done) {
            std::unique_ptr<TJob> job = std::move(FJobs.front());
            FJobs.pop_front();
            --FNextToTake;
            lock.unlock();
            if (!job->Error.empty()) throw EStreamError(job->Error);
            WriteOut(job->Out.get(), job->OutLength);
            lock.lock();
        }
        if (FJobs.size() <= inFlight) return;
        FDone.wait(lock);
    }
}

void TZlibBlockStream::WorkerLoop(TBlockCompressor* compressor) {
    std::unique_lock<std::mutex> lock(FLock);
    for (;;) {
        FWork.wait(lock, [this] { return FStopping || FNextToTake < FJobs.size(); });
        if (FStopping) return;
        TJob* job = FJobs[FNextToTake++].get();
        lock.unlock();
        try {
            job->OutLength = compressor->Compress(job->In, job->Out.get(), job->Last);
        } catch (const std::exception& e) {
            job->Error = e.what();
        }
        lock.lock();
        job->Done = true;
        FDone.notify_all();
    }
}

void TZlibBlockStream::Finish() {
    if (FFinished) return;
    FFinished = true;
    // Whoever saves waits for the last block: a large one is halved, so that
    // two cores compress it (a small list's whole file is one such block).
    constexpr size_t kSplitFrom = 128 * 1024;
    if (FCurrent.size() >= kSplitFrom && FWorkerCount > 1) {
        std::string tail = FCurrent.substr(FCurrent.size() / 2);
        FCurrent.resize(FCurrent.size() / 2);
        Submit(false);
        FCurrent = std::move(tail);
    }
    Submit(true);
    StopWorkers();
    WriteAdler(FDest, FAdler);
}

int64_t TZlibBlockStream::Read(void*, int64_t) { throw EStreamError("zlib: a compression stream can't be read"); }

int64_t TZlibBlockStream::Seek(int64_t offset, TSeekOrigin origin) {
    if (offset != 0 || origin != TSeekOrigin::soCurrent) throw EStreamError("zlib: a compression stream can't seek");
    return FTotalIn + static_cast<int64_t>(FCurrent.size());
}

void TZlibBlockStream::SetSize(int64_t) { throw EStreamError("zlib: a compression stream can't change its size"); }

} // namespace vorlin
