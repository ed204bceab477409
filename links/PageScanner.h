// Scans finished pages on a thread of its own (TPageScan), so that the
// run's thread finds their tags read already when it parses them: what the
// run's thread spent reading tags, it spends on the next connection.
// Submit hands a page's bytes over and answers its ticket; once scanned, the
// scan waits in the finished list, and OnFinished tells the owner there is
// something to take. Fed and asked from one thread (the run's); a ticket no
// one asks for any more is simply never taken.
#pragma once

#include "links/PageScan.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vorlin {

class TPageScanner {
public:
    // Called on the scanning thread when the finished list was empty and
    // has an entry now.
    using TOnFinished = std::function<void()>;
    struct TFinished {
        uint64_t Ticket = 0;
        TPageScan Scan;
    };

    // Throws std::system_error when no thread can be started. interest:
    // what every scan notes of tags for the parser's hooks (TPageScan::Read).
    explicit TPageScanner(TOnFinished onFinished = {}, std::shared_ptr<const TTagInterest> interest = nullptr);
    // Stops its thread; what was not scanned yet is dropped.
    ~TPageScanner();
    TPageScanner(const TPageScanner&) = delete;
    TPageScanner& operator=(const TPageScanner&) = delete;

    // A copy of the page from position origin on.
    uint64_t Submit(std::string_view page, size_t origin);
    std::vector<TFinished> TakeFinished();
    // A scan that was used: its room is read into again (a few are kept).
    void GiveBack(TPageScan scan);
    // How many scans and page copies are kept for use again, at most.
    static constexpr size_t kSpares = 8;

private:
    struct TJob {
        uint64_t Ticket = 0;
        std::string Bytes;
        size_t Origin = 0;
    };
    void Work();

    std::mutex FLock;
    std::condition_variable FChanged;
    std::deque<TJob> FJobs;
    bool FStopping = false;
    uint64_t FNextTicket = 0;
    std::vector<TFinished> FFinished;
    // Room of earlier pages and scans, so that pages of one site, much
    // alike in size, are copied and scanned without new memory each.
    std::vector<std::string> FSpareCopies;
    std::vector<TPageScan> FSpareScans;
    TOnFinished FOnFinished;
    const std::shared_ptr<const TTagInterest> FInterest;
    std::thread FThread;
};

} // namespace vorlin
