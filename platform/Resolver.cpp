#include "platform/Resolver.h"

#include "platform/MessageQueue.h"
#include "platform/WinsockErrors.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <thread>

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

namespace vorlin {

namespace {

int SystemLookup(const std::string& host, std::vector<std::string>& addresses) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    int rc = getaddrinfo(host.c_str(), nullptr, &hints, &list);
    if (rc != 0) return WinsockErrorFromLookup(rc);
    std::vector<std::string> v4, v6;
    for (addrinfo* a = list; a; a = a->ai_next) {
        char text[INET6_ADDRSTRLEN] = {};
        if (a->ai_family == AF_INET) {
            inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr, text, sizeof text);
            v4.push_back(text);
        } else if (a->ai_family == AF_INET6) {
            inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6*>(a->ai_addr)->sin6_addr, text, sizeof text);
            v6.push_back(text);
        }
    }
    freeaddrinfo(list);
    for (auto* v : {&v4, &v6})
        for (auto& s : *v)
            if (std::find(addresses.begin(), addresses.end(), s) == addresses.end()) addresses.push_back(s);
    return addresses.empty() ? WSANO_DATA : 0;
}

std::mutex gLookupLock;
THostLookup gLookup;

// A few workers, started on demand, so one slow name does not hold the
// others up. They end with the program.
class TLookupPool {
public:
    ~TLookupPool() {
        {
            std::lock_guard<std::mutex> g(FLock);
            FStopping = true;
        }
        FWork.notify_all();
        for (auto& t : FWorkers) t.join();
    }

    TLookupHandle Start(const std::string& host, THandle target, uint32_t message) {
        std::lock_guard<std::mutex> g(FLock);
        if (FStopping) return 0;
        TLookupHandle h = FNextHandle++;
        if (FNextHandle == 0) FNextHandle = 1;
        FJobs.push_back({h, host, target, message});
        FLive.insert(h);
        if (FIdle == 0 && FWorkers.size() < kMaxWorkers) FWorkers.emplace_back([this] { Work(); });
        FWork.notify_one();
        return h;
    }

    bool Cancel(TLookupHandle h) {
        std::lock_guard<std::mutex> g(FLock);
        return FLive.erase(h) > 0;
    }

private:
    struct TJob {
        TLookupHandle Handle;
        std::string Host;
        THandle Target;
        uint32_t Message;
    };
    static constexpr size_t kMaxWorkers = 4;

    void Work() {
        std::unique_lock<std::mutex> lock(FLock);
        for (;;) {
            ++FIdle;
            FWork.wait(lock, [&] { return FStopping || !FJobs.empty(); });
            --FIdle;
            if (FStopping) return;
            TJob job = std::move(FJobs.front());
            FJobs.pop_front();
            if (!FLive.count(job.Handle)) continue;
            lock.unlock();
            std::vector<std::string> addresses;
            int error = LookupHost(job.Host, addresses);
            lock.lock();
            if (FLive.erase(job.Handle) == 0) continue;  // cancelled meanwhile
            lock.unlock();
            PostMessage(job.Target, job.Message, job.Handle, error, MakePayload(std::move(addresses)));
            lock.lock();
        }
    }

    std::mutex FLock;
    std::condition_variable FWork;
    std::deque<TJob> FJobs;
    std::set<TLookupHandle> FLive;
    std::vector<std::thread> FWorkers;
    size_t FIdle = 0;
    bool FStopping = false;
    TLookupHandle FNextHandle = 1;
};

TLookupPool& Pool() {
    static TLookupPool pool;
    return pool;
}

} // namespace

THostLookup SetHostLookup(THostLookup lookup) {
    std::lock_guard<std::mutex> g(gLookupLock);
    THostLookup old = std::move(gLookup);
    gLookup = std::move(lookup);
    return old;
}

int LookupHost(const std::string& host, std::vector<std::string>& addresses) {
    THostLookup lookup;
    {
        std::lock_guard<std::mutex> g(gLookupLock);
        lookup = gLookup;
    }
    addresses.clear();
    return lookup ? lookup(host, addresses) : SystemLookup(host, addresses);
}

TLookupHandle StartAsyncLookup(const std::string& host, THandle target, uint32_t message) {
    return Pool().Start(host, target, message);
}

bool CancelAsyncLookup(TLookupHandle handle) { return Pool().Cancel(handle); }

} // namespace vorlin
