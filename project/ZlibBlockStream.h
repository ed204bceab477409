// One zlib stream (RFC 1950) at the best compression level, compressed a
// block at a time on worker threads while the writer goes on producing the
// data: the link data file of a hundred thousand links is written in about
// the time one core needs for half of it, and never held whole in memory.
//
// Each block is compressed by libdeflate (as tight as zlib's best level, in
// about a third of its time). libdeflate ends every stream with a
// final block; for all blocks but the last, that block is found (by walking
// the block boundaries with zlib's inflate), marked not final, and followed
// by an empty stored block, which leaves the stream at a byte boundary where
// the next block's stream can follow. The whole gets the zlib header of
// level 9 and the Adler-32 of all the data.
#pragma once

#include "platform/Stream.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vorlin {

class TBlockCompressor;

class TZlibBlockStream : public TStream {
public:
    // Large enough that the blocks' lost context costs little (each starts
    // with an empty window), small enough that two workers end together.
    static constexpr size_t kDefaultBlockSize = 1024 * 1024;

    // Writes the compressed stream to dest (not owned) as blocks complete;
    // workers 0: one per core, at least two.
    explicit TZlibBlockStream(TStream& dest, size_t blockSize = kDefaultBlockSize, int workers = 0);
    // The same into a file, whose written part is handed on to the disk
    // every few blocks, so that syncing the whole at the end waits less.
    explicit TZlibBlockStream(TFileStream& dest, size_t blockSize = kDefaultBlockSize, int workers = 0);
    // Stops the workers; a stream not finished is left incomplete.
    ~TZlibBlockStream() override;
    TZlibBlockStream(const TZlibBlockStream&) = delete;
    TZlibBlockStream& operator=(const TZlibBlockStream&) = delete;

    // Throws EStreamError when a block failed or after Finish.
    int64_t Write(const void* buffer, int64_t count) override;
    // Compresses what is left, waits for every block and writes the end of
    // the stream. Throws EStreamError for a block that failed.
    void Finish();

    int64_t Read(void* buffer, int64_t count) override;  // throws
    // Only Seek(0, soCurrent): the number of bytes written so far.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return FTotalIn + static_cast<int64_t>(FCurrent.size()); }
    void SetSize(int64_t size) override;  // throws

private:
    struct TJob;

    void Submit(bool last);
    void WriteDone(bool all);
    void WriteOut(const char* data, size_t length);
    void WorkerLoop(TBlockCompressor* compressor);
    void StopWorkers();

    TStream& FDest;
    TFileStream* const FFile;         // FDest when it is a file, else null
    int64_t FUnsyncedBytes = 0;       // written since the last writeback
    const size_t FBlockSize;
    const int FWorkerCount;
    std::string FCurrent;
    uint32_t FAdler = 1;
    int64_t FTotalIn = 0;
    bool FHeaderWritten = false;
    bool FFinished = false;

    std::mutex FLock;
    std::condition_variable FWork;   // a job to take, or stop
    std::condition_variable FDone;   // a job has been compressed
    std::deque<std::unique_ptr<TJob>> FJobs;  // in stream order, not yet written
    size_t FNextToTake = 0;                   // index into FJobs
    bool FStopping = false;
    std::vector<std::thread> FThreads;
    std::vector<std::unique_ptr<TBlockCompressor>> FCompressors;  // one per worker
};

} // namespace vorlin
