// Writes stored pages on a thread of its own, beside the run: creating a
// file, its directory and writing it cost the run's thread as much as a
// fifth of its time on a site of small pages, time in which it could serve
// its connections instead.
// A page is a file: Begin names it and hands out its ticket, Append and
// End pass its bytes in order. Everything is done in the order it was
// handed over, so a page written again (a retry) ends as the last copy
// says. Once a file is closed (or has failed), its ticket and error wait in
// the finished list; OnFinished tells the owner there is something to take.
// The store is fed and asked from one thread (the run's).
#pragma once

#include "links/SpareBuffers.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

namespace vorlin {

class TFileStream;

class TPageStore {
public:
    // Called on the writing thread when the finished list was empty and has
    // an entry now; the owner takes the entries on its own thread.
    using TOnFinished = std::function<void()>;

    struct TFinished {
        uint64_t Ticket = 0;
        std::exception_ptr Error;  // null: written and closed; else as the writing raised it
    };

    explicit TPageStore(TOnFinished onFinished = {});
    // Writes what was handed over, then stops its thread.
    ~TPageStore();
    TPageStore(const TPageStore&) = delete;
    TPageStore& operator=(const TPageStore&) = delete;

    // A new file at hostPath (its directory made, a file of that name
    // replaced; with confinedTo, below it without following a symbolic link).
    uint64_t Begin(const std::string& hostPath, const std::string& confinedTo);
    // Waits while more than kMaxQueuedBytes are handed over and not written
    // (counted by the room they take),
    // so a hostile page can't fill the memory faster than the disk drains it.
    void Append(uint64_t ticket, std::string bytes);
    // Appends what buffer holds and leaves it empty, with at least its room:
    // a buffer the store wrote before when it has one to spare, so that a
    // writer that fills a buffer page after page allocates none.
    void Hand(uint64_t ticket, std::string& buffer);
    // Appends a copy of bytes, made in the room of a written buffer when
    // one is spare: a page's copy then costs no allocation here and no
    // free on the writing thread.
    void Copy(uint64_t ticket, std::string_view bytes);
    // Closes the file; with a stamp, it bears that modification time.
    void End(uint64_t ticket, int64_t unixSeconds = 0);
    // With wakes batched, an ended page no longer wakes a sleeping writer:
    // Nudge does (the owner's loop calls it before it waits for work), or
    // kWakeBytes waiting. A busy owner then pays one wake-up for many pages.
    void BatchWakes(bool batch) { FBatchWakes = batch; }
    // Sets a sleeping writer going on what waits, if anything does.
    void Nudge();

    // Waits until every file of this name that was ended is written (a run
    // that reads a page back must find it as it was handed over). A file
    // not ended yet is not waited for: its writer is the caller's business.
    void Settle(const std::string& hostPath);
    // Waits until everything handed over is written.
    void Drain();
    std::vector<TFinished> TakeFinished();

    static constexpr size_t kMaxQueuedBytes = 8u << 20;
    // A sleeping writer is woken for a page's end, or once this much waits:
    // a page begun and appended to is written as a whole when it ends, for
    // one wake-up instead of one per step (each costs the run's thread a
    // system call).
    static constexpr size_t kWakeBytes = 256u << 10;

private:
    enum class TJobKind { jkBegin, jkAppend, jkEnd };
    struct TJob {
        TJobKind Kind;
        uint64_t Ticket;
        std::string Path;      // jkBegin, jkEnd
        std::string Confined;  // jkBegin
        std::string Bytes;     // jkAppend
        int64_t Stamp = 0;     // jkEnd
        size_t Counted = 0;    // what Bytes adds to FQueuedBytes
    };
    struct TOpenFile;

    // urgent: wake a sleeping writer now (else only past kWakeBytes).
    void Push(TJob job, bool urgent);
    // The same with FLock held by lock (let go of on return).
    void PushLocked(std::unique_lock<std::mutex>& lock, TJob job, bool urgent);
    // Lets a sleeping writer see the jobs that wait; FLock held.
    void WakeWriterLocked();
    void Work();
    void Perform(TJob& job, std::unordered_map<uint64_t, TOpenFile>& open);

    std::mutex FLock;
    std::condition_variable FChanged;
    std::vector<TJob> FJobs;
    size_t FQueuedBytes = 0;
    bool FWorking = false;  // the writing thread holds jobs taken from FJobs
    bool FWriterAsleep = false;  // waiting for work, and not woken yet
    bool FStopping = false;
    bool FBatchWakes = false;  // touched by the feeding thread only
    uint64_t FNextTicket = 0;
    std::unordered_map<uint64_t, std::string> FOpenPaths;    // begun, not ended
    std::unordered_map<std::string, int> FEndedUnwritten;  // ended, not yet closed

    // Written buffers kept for Hand and Copy: enough for the pages handed
    // over between two wake-ups of the writer (kWakeBytes), which come back
    // from its thread in a batch.
    static constexpr size_t kSpareRoom = 4 * kWakeBytes;
    TSpareBuffers FSpare{kSpareRoom};

    std::vector<TFinished> FFinished;
    TOnFinished FOnFinished;
    std::thread FThread;
};

} // namespace vorlin
