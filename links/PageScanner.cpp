#include "links/PageScanner.h"

#include <exception>

namespace vorlin {

TPageScanner::TPageScanner(TOnFinished onFinished, std::shared_ptr<const TTagInterest> interest)
    : FOnFinished(std::move(onFinished)), FInterest(std::move(interest)) {
    FThread = std::thread([this] { Work(); });
}

TPageScanner::~TPageScanner() {
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStopping = true;
    }
    FChanged.notify_all();
    FThread.join();
}

uint64_t TPageScanner::Submit(std::string_view page, size_t origin) {
    std::string bytes;
    {
        std::lock_guard<std::mutex> lock(FLock);
        if (!FSpareCopies.empty()) {
            bytes = std::move(FSpareCopies.back());
            FSpareCopies.pop_back();
        }
    }
    bytes.assign(page);  // outside the lock: the scanning thread goes on meanwhile
    uint64_t ticket;
    {
        std::lock_guard<std::mutex> lock(FLock);
        ticket = ++FNextTicket;
        FJobs.push_back({ticket, std::move(bytes), origin});
    }
    FChanged.notify_one();
    return ticket;
}

void TPageScanner::GiveBack(TPageScan scan) {
    scan.Clear();
    if (scan.Room() == 0) return;
    std::lock_guard<std::mutex> lock(FLock);
    if (FSpareScans.size() < kSpares) FSpareScans.push_back(std::move(scan));
}

std::vector<TPageScanner::TFinished> TPageScanner::TakeFinished() {
    std::lock_guard<std::mutex> lock(FLock);
    std::vector<TFinished> taken;
    taken.swap(FFinished);
    return taken;
}

void TPageScanner::Work() {
    std::unique_lock<std::mutex> lock(FLock);
    for (;;) {
        FChanged.wait(lock, [&] { return FStopping || !FJobs.empty(); });
        if (FStopping) return;
        TJob job = std::move(FJobs.front());
        FJobs.pop_front();
        TFinished finished{job.Ticket, {}};
        if (!FSpareScans.empty()) {
            finished.Scan = std::move(FSpareScans.back());
            FSpareScans.pop_back();
        }
        lock.unlock();
        try {
            finished.Scan.ReadFrom(job.Bytes, job.Origin, FInterest);
        } catch (const std::exception&) {
            // Out of memory: an empty scan, and the parser reads the page itself.
            finished.Scan = TPageScan();
        }
        // A copy much larger than pages are wont to be is let go of, outside the lock.
        if (job.Bytes.capacity() > TPageScan::kKeptRoom) job.Bytes = std::string();
        lock.lock();
        if (FSpareCopies.size() < kSpares && job.Bytes.capacity() != 0) FSpareCopies.push_back(std::move(job.Bytes));
        const bool first = FFinished.empty();
        FFinished.push_back(std::move(finished));
        if (first && FOnFinished) {
            lock.unlock();
            FOnFinished();
            lock.lock();
        }
    }
}

} // namespace vorlin
