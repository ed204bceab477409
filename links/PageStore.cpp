#include "links/PageStore.h"

#include "platform/FileSystem.h"
#include "platform/Stream.h"

#include <memory>

namespace vorlin {

// A file between its Begin and its End, as the writing thread holds it.
struct TPageStore::TOpenFile {
    std::unique_ptr<TFileStream> File;
    std::exception_ptr Error;  // the first failure; later bytes are dropped
};

TPageStore::TPageStore(TOnFinished onFinished) : FOnFinished(std::move(onFinished)) {
    FThread = std::thread([this] { Work(); });
}

TPageStore::~TPageStore() {
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStopping = true;
    }
    FChanged.notify_all();
    FThread.join();
}

uint64_t TPageStore::Begin(const std::string& hostPath, const std::string& confinedTo) {
    uint64_t ticket;
    {
        std::lock_guard<std::mutex> lock(FLock);
        ticket = ++FNextTicket;
        FOpenPaths.emplace(ticket, hostPath);
    }
    Push({TJobKind::jkBegin, ticket, hostPath, confinedTo, std::string()}, false);
    return ticket;
}

void TPageStore::Append(uint64_t ticket, std::string bytes) {
    if (bytes.empty()) return;
    Push({TJobKind::jkAppend, ticket, std::string(), std::string(), std::move(bytes)}, false);
}

void TPageStore::Hand(uint64_t ticket, std::string& buffer) {
    std::string spare;
    {
        std::lock_guard<std::mutex> lock(FLock);
        spare = FSpare.Take(buffer.capacity());
    }
    std::string bytes = std::move(buffer);
    buffer = std::move(spare);
    if (!bytes.empty()) Push({TJobKind::jkAppend, ticket, std::string(), std::string(), std::move(bytes)}, false);
}

void TPageStore::Copy(uint64_t ticket, std::string_view bytes) {
    if (bytes.empty()) return;
    std::unique_lock<std::mutex> lock(FLock);
    std::string copy = FSpare.Take(bytes.size());
    copy.assign(bytes);
    PushLocked(lock, {TJobKind::jkAppend, ticket, std::string(), std::string(), std::move(copy)}, false);
}

void TPageStore::End(uint64_t ticket, int64_t unixSeconds) {
    std::string path;
    {
        std::lock_guard<std::mutex> lock(FLock);
        auto open = FOpenPaths.find(ticket);
        if (open == FOpenPaths.end()) return;  // ended before
        path = std::move(open->second);
        FOpenPaths.erase(open);
        ++FEndedUnwritten[path];
    }
    Push({TJobKind::jkEnd, ticket, std::move(path), std::string(), std::string(), unixSeconds}, !FBatchWakes);
}

void TPageStore::Nudge() {
    std::lock_guard<std::mutex> lock(FLock);
    WakeWriterLocked();
}

void TPageStore::Push(TJob job, bool urgent) {
    std::unique_lock<std::mutex> lock(FLock);
    PushLocked(lock, std::move(job), urgent);
}

void TPageStore::PushLocked(std::unique_lock<std::mutex>& lock, TJob job, bool urgent) {
    if (FQueuedBytes > kMaxQueuedBytes) {
        WakeWriterLocked();
        FChanged.wait(lock, [&] { return FQueuedBytes <= kMaxQueuedBytes; });
    }
    // By the room taken, not the bytes: a handed buffer keeps its room.
    job.Counted = job.Bytes.capacity();
    FQueuedBytes += job.Counted;
    FJobs.push_back(std::move(job));
    // A writer at work looks at the queue before it sleeps again; only a
    // sleeping one needs waking, and not for every step of a page.
    const bool wake = FWriterAsleep && (urgent || FQueuedBytes >= kWakeBytes);
    if (wake) FWriterAsleep = false;
    lock.unlock();
    if (wake) FChanged.notify_all();
}

void TPageStore::WakeWriterLocked() {
    if (!FWriterAsleep || FJobs.empty()) return;
    FWriterAsleep = false;
    FChanged.notify_all();
}

void TPageStore::Settle(const std::string& hostPath) {
    // Asked before every request: most files are not being written, and
    // the writer is not woken for those.
    std::unique_lock<std::mutex> lock(FLock);
    if (FEndedUnwritten.count(hostPath) == 0) return;
    WakeWriterLocked();
    FChanged.wait(lock, [&] { return FEndedUnwritten.count(hostPath) == 0; });
}

void TPageStore::Drain() {
    std::unique_lock<std::mutex> lock(FLock);
    WakeWriterLocked();
    FChanged.wait(lock, [&] { return FJobs.empty() && !FWorking; });
}

std::vector<TPageStore::TFinished> TPageStore::TakeFinished() {
    std::lock_guard<std::mutex> lock(FLock);
    std::vector<TFinished> taken;
    taken.swap(FFinished);
    return taken;
}

void TPageStore::Work() {
    // Touched by this thread only.
    std::unordered_map<uint64_t, TOpenFile> open;
    // The jobs taken at once. This list and the queue trade their room, so
    // that handing a job over allocates nothing once both have grown (a
    // queue of blocks allocated on the feeding thread and freed on this one
    // cost the allocator dearly).
    std::vector<TJob> batch;
    std::unique_lock<std::mutex> lock(FLock);
    for (;;) {
        // Asleep only while there is nothing to do: jobs handed over
        // without a wake-up wait for the next one (or for stopping).
        if (FJobs.empty() && !FStopping) {
            FWriterAsleep = true;
            FChanged.wait(lock, [&] { return FStopping || !FWriterAsleep; });
            FWriterAsleep = false;
        }
        if (FJobs.empty()) break;  // stopping, and all is written
        batch.swap(FJobs);
        FWorking = true;
        for (TJob& job : batch) {
            lock.unlock();
            Perform(job, open);
            const size_t counted = job.Counted;
            // A written buffer of a page's size may serve the next page; a
            // larger block is let go of here, outside the lock.
            std::string spare;
            if (job.Kind == TJobKind::jkAppend && TSpareBuffers::KeepsRoom(job.Bytes.capacity())) {
                spare = std::move(job.Bytes);
                spare.clear();
            }
            job = {};
            lock.lock();
            FQueuedBytes -= counted;
            FSpare.Give(std::move(spare));
            FChanged.notify_all();
        }
        batch.clear();
        FWorking = false;
        FChanged.notify_all();
    }
}

void TPageStore::Perform(TJob& job, std::unordered_map<uint64_t, TOpenFile>& open) {
    switch (job.Kind) {
    case TJobKind::jkBegin: {
        TOpenFile& file = open[job.Ticket];
        try {
            file.File = std::make_unique<TFileStream>(job.Path, fmCreate | fmCreateDirectories, job.Confined);
        } catch (...) {
            file.Error = std::current_exception();
        }
        return;
    }
    case TJobKind::jkAppend: {
        auto found = open.find(job.Ticket);
        if (found == open.end() || !found->second.File) return;
        try {
            found->second.File->WriteBuffer(job.Bytes.data(), static_cast<int64_t>(job.Bytes.size()));
        } catch (...) {
            found->second.Error = std::current_exception();
            found->second.File.reset();
        }
        return;
    }
    case TJobKind::jkEnd: {
        TFinished finished{job.Ticket, nullptr};
        if (auto found = open.find(job.Ticket); found != open.end()) {
            TOpenFile& file = found->second;
            if (file.File && job.Stamp != 0) SetFileModificationTime(file.File->Handle(), job.Stamp);
            file.File.reset();
            finished.Error = file.Error;
            open.erase(found);
        }
        bool first;
        {
            std::lock_guard<std::mutex> lock(FLock);
            auto ended = FEndedUnwritten.find(job.Path);
            if (ended != FEndedUnwritten.end() && --ended->second <= 0) FEndedUnwritten.erase(ended);
            first = FFinished.empty();
            FFinished.push_back(std::move(finished));
        }
        if (first && FOnFinished) FOnFinished();
        return;
    }
    }
}

} // namespace vorlin
