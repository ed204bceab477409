#include "project/ZlibBlockStream.h"

#include "platform/Exception.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>

namespace vorlin {

namespace {

constexpr int kBestLevel = 9;
// The zlib header of a stream written at the best level, 32 KB window.
constexpr unsigned char kZlibHeader[2] = {0x78, 0xDA};
// What follows a block made not final: the rest of an empty stored block
// after its three header bits (its zero length and the length's complement).
constexpr unsigned char kStoredBlockLengths[4] = {0x00, 0x00, 0xFF, 0xFF};

[[noreturn]] void Fail(const std::string& what) { throw EStreamError("zlib: " + what); }

// What one thread needs to compress blocks: libdeflate's compressor, and an
// inflate that finds the block boundaries of its output.
class TBlockCompressor {
public:
    TBlockCompressor() : FCompressor(libdeflate_alloc_compressor(kBestLevel)) {
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

    // The raw deflate data of in; unless last, it ends at a byte boundary
    // with no final block, so that more deflate data may follow.
    std::string Compress(const std::string& in, bool last) {
        std::string out(libdeflate_deflate_compress_bound(FCompressor, in.size()), '\0');
        size_t n = libdeflate_deflate_compress(FCompressor, in.data(), in.size(), out.data(), out.size());
        if (n == 0) Fail("compression failed");
        out.resize(n);
        if (!last) ContinueAfter(out, in.size());
        return out;
    }

private:
    // Clears the final flag of the last block of the deflate data in out and
    // appends an empty stored block, which ends at a byte boundary.
    void ContinueAfter(std::string& out, size_t plainSize) {
        if (inflateReset(&FScanner) != Z_OK) Fail("compression failed");
        FScratch.resize(std::max<size_t>(plainSize, 1));
        FScanner.next_in = reinterpret_cast<Bytef*>(out.data());
        FScanner.avail_in = static_cast<uInt>(out.size());
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
            // Stopped right after a block's end-of-block code: the end of
            // the last block (64), or where the next block's header starts.
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
        out.resize(static_cast<size_t>((end + 3 + 7) / 8), '\0');
        out.append(reinterpret_cast<const char*>(kStoredBlockLengths), sizeof kStoredBlockLengths);
    }

    libdeflate_compressor* FCompressor;
    z_stream FScanner{};
    std::string FScratch;
};

void WriteAdler(TStream& dest, uint32_t adler) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(adler >> 24), static_cast<unsigned char>(adler >> 16),
                                    static_cast<unsigned char>(adler >> 8), static_cast<unsigned char>(adler)};
    dest.WriteBuffer(bytes, sizeof bytes);
}

} // namespace

struct TZlibBlockStream::TJob {
    std::string In;
    std::string Out;
    bool Last = false;
    bool Done = false;
    std::string Error;
};

TZlibBlockStream::TZlibBlockStream(TStream& dest, size_t blockSize, int workers)
    : FDest(dest), FBlockSize(std::max<size_t>(blockSize, 64 * 1024)), FWorkerCount(std::max(workers, 1)) {}

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
    FAdler = static_cast<uint32_t>(
        adler32_z(FAdler, reinterpret_cast<const Bytef*>(FCurrent.data()), FCurrent.size()));
    FTotalIn += static_cast<int64_t>(FCurrent.size());
    auto job = std::make_unique<TJob>();
    job->In = std::move(FCurrent);
    job->Last = last;
    FCurrent = std::string();
    if (!FHeaderWritten) {
        FDest.WriteBuffer(kZlibHeader, sizeof kZlibHeader);
        FHeaderWritten = true;
    }
    if (last && FJobs.empty()) {
        // All the data in one block: no thread is worth starting.
        TBlockCompressor compressor;
        std::string out = compressor.Compress(job->In, true);
        FDest.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
        return;
    }
    if (FThreads.empty())
        for (int i = 0; i < FWorkerCount; ++i) FThreads.emplace_back(&TZlibBlockStream::WorkerLoop, this);
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
    const size_t inFlight = all ? 0 : static_cast<size_t>(FWorkerCount) * 2;
    std::unique_lock<std::mutex> lock(FLock);
    for (;;) {
        while (!FJobs.empty() && FJobs.front()->Done) {
            std::unique_ptr<TJob> job = std::move(FJobs.front());
            FJobs.pop_front();
            --FNextToTake;
            lock.unlock();
            if (!job->Error.empty()) throw EStreamError(job->Error);
            FDest.WriteBuffer(job->Out.data(), static_cast<int64_t>(job->Out.size()));
            lock.lock();
        }
        if (FJobs.size() <= inFlight) return;
        FDone.wait(lock);
    }
}

void TZlibBlockStream::WorkerLoop() {
    std::unique_ptr<TBlockCompressor> compressor;
    std::unique_lock<std::mutex> lock(FLock);
    for (;;) {
        FWork.wait(lock, [this] { return FStopping || FNextToTake < FJobs.size(); });
        if (FStopping) return;
        TJob* job = FJobs[FNextToTake++].get();
        lock.unlock();
        try {
            if (!compressor) compressor = std::make_unique<TBlockCompressor>();
            job->Out = compressor->Compress(job->In, job->Last);
        } catch (const std::exception& e) {
            job->Error = e.what();
        }
        std::string().swap(job->In);
        lock.lock();
        job->Done = true;
        FDone.notify_all();
    }
}

void TZlibBlockStream::Finish() {
    if (FFinished) return;
    FFinished = true;
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
