#include "links/PageScanner.h"

#include <exception>

namespace vorlin {

TPageScanner::TPageScanner(TOnFinished onFinished, std::shared_ptr<const TTagWords> words)
    : FOnFinished(std::move(onFinished)), FWords(std::move(words)) {
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

uint64_t TPageScanner::Submit(std::string bytes, size_t origin) {
    uint64_t ticket;
    {
        std::lock_guard<std::mutex> lock(FLock);
        ticket = ++FNextTicket;
        FJobs.push_back({ticket, std::move(bytes), origin});
    }
    FChanged.notify_one();
    return ticket;
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
        lock.unlock();
        TFinished finished{job.Ticket, {}};
        try {
            finished.Scan = TPageScan::Read(job.Bytes, job.Origin, FWords);
        } catch (const std::exception&) {
            // Out of memory: an empty scan, and the parser reads the page itself.
        }
        job = {};  // the copy of the page is let go of outside the lock
        lock.lock();
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
