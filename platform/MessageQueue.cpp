// The per-thread message loop. Each thread's queue holds its posted
// messages, the calls other threads make into it, its timers and the socket
// descriptors it watches; one epoll descriptor per thread gathers the
// wake-up eventfd, a timerfd (for foreign loops) and the sockets.
//
// One turn of the loop (GetMessage) runs these phases in this order:
//   1. DeliverSentCalls      calls from other threads (SendMessage, RunSynchronized)
//   2. CollectTimers         expired timers become WM_TIMER messages
//   3. PollReadiness(0)      ready sockets become notifications (when the queue is
//                            empty, and every kPollEvery messages so they never starve)
//   4. TakeMessage           the oldest matching posted message
//   5. PollReadiness(wait)   nothing to do: run the idle handler, then block until a
//                            post, a call, a socket or the nearest timer; then start over.
// EINTR is retried in every system call; an idle loop sleeps in epoll_wait.
#include "platform/MessageQueue.h"

#include "platform/DebugLog.h"
#include "platform/MessageQueue_p.h"
#include "platform/MessageTarget.h"
#include "platform/Ticks.h"
#include "platform/WinsockErrors.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace vorlin {

namespace {

constexpr unsigned kPollEvery = 32;
constexpr uint32_t kMinimumTimerMs = 10;  // as USER_TIMER_MINIMUM
// How long a post from another message loop may wait for its receiver to
// wake. Such posts (progress, statistics) come in bursts of many per link;
// waking the receiver for each cost more than the receiver's work.
constexpr long kLateWakeMs = 10;

// Whether the queue's owner has been woken for what was posted since it last
// drained its wake-ups: at once (eventfd) or by the late-wake timer.
enum class TWakeState : uint8_t { wsNone, wsLate, wsNow };

struct TSentCall {
    std::function<intptr_t()> Call;
    bool Done = false;
    intptr_t Result = 0;
};

struct TTimerEntry {
    uint32_t Interval = 0;
    uint64_t Due = 0;
    bool Pending = false;  // its WM_TIMER is queued
};

struct TSelectWatch {
    THandle Target = 0;
    uint32_t Message = 0;
    uint32_t Wanted = 0;
    uint32_t Armed = 0;
    uint32_t Registered = 0;  // epoll events as registered
    bool InEpoll = false;
    bool Finished = false;  // close reported or connect failed: nothing more
};

class TThreadQueue;
using TQueuePtr = std::shared_ptr<TThreadQueue>;

struct TSentItem {
    std::shared_ptr<TSentCall> Call;
    TQueuePtr Waiter;  // null for a call from a thread without queue
};

class TThreadQueue : public std::enable_shared_from_this<TThreadQueue> {
public:
    explicit TThreadQueue(TThreadId id);
    ~TThreadQueue();

    TThreadId Id() const { return FId; }
    bool Post(TMsg&& msg);
    bool PushSent(TSentItem item);
    void Close();

    // Owner-thread phases.
    void DeliverSentCalls();
    void CollectTimers();
    void PollReadiness(int timeoutMs);
    // The thread's idle handler, run before its loop waits for work.
    void RunIdle();
    std::function<void()> IdleHandler;
    bool TakeMessage(TMsg& msg, THandle target, uint32_t first, uint32_t last, bool remove);
    bool HasPosted();
    bool FrontIsQuit();
    bool PollDue() { return !HasPosted() || FTakenSincePoll >= kPollEvery; }
    int NearestTimerMs();
    void ArmTimerFd();
    void SignalWake();
    void WakeForeignLoopForChange();
    void ArmLateWake();
    void RememberLateReceiver(std::weak_ptr<TThreadQueue> receiver);
    void WakeIfLate();

    void WaitForReply(const std::shared_ptr<TSentCall>& call);
    void CompleteCall(const std::shared_ptr<TSentCall>& call, intptr_t result);

    bool SetTimer(THandle target, uintptr_t id, uint32_t intervalMs);
    bool KillTimer(THandle target, uintptr_t id);
    void KillTimersOf(THandle target);
    bool AsyncSelect(int fd, THandle target, uint32_t message, uint32_t events);
    void Reenable(int fd, uint32_t event);
    void Purge(const std::function<bool(const TMsg&)>& match);
    // Asked by a foreign loop that waits on the descriptor for the queue.
    int Descriptor() {
        FForeignLoop = true;
        return FEpoll;
    }

private:
    void ApplyWatch(int fd, TSelectWatch& w);
    void ReportReadiness(int fd, uint32_t epollEvents);

    TThreadId FId;
    std::mutex FLock;
    std::condition_variable FReplyCV;
    std::deque<TMsg> FPosted;
    std::deque<TSentItem> FSent;
    std::atomic<size_t> FSentCount{0};
    bool FClosed = false;
    TWakeState FWake = TWakeState::wsNone;
    // Queues whose owner this loop has left to wake late; guarded by FLock.
    std::vector<std::weak_ptr<TThreadQueue>> FLateReceivers;
    std::atomic<bool> FForeignLoop{false};
    int FEpoll = -1, FWakeFd = -1, FTimerFd = -1, FLateWakeFd = -1;
    // Owner thread only.
    std::map<std::pair<THandle, uintptr_t>, TTimerEntry> FTimers;
    std::unordered_map<int, TSelectWatch> FWatches;
    std::vector<int> FDirty;
    unsigned FTakenSincePoll = 0;
    uint64_t FTimerFdDue = 0;
};

// Which queue a thread id or target handle belongs to. Deliberately never
// destroyed: worker threads may post while the program exits.
class TRegistry {
public:
    std::mutex Lock;
    std::unordered_map<TThreadId, TQueuePtr> Queues;
    struct TTargetEntry {
        TMessageTarget* Target;
        TQueuePtr Queue;
    };
    std::unordered_map<THandle, TTargetEntry> Targets;
    TThreadId NextThread = 1;
    THandle NextHandle = 1;
};

TRegistry& Registry() {
    static TRegistry* r = new TRegistry;
    return *r;
}

uint64_t NowMs() { return GetTickCount64(); }

bool Matches(const TMsg& m, THandle target, uint32_t first, uint32_t last) {
    if (target != 0 && m.Target != target) return false;
    if (first == 0 && last == 0) return true;
    return m.Message >= first && m.Message <= last;
}

// The calling thread's queue, made on first use; closed when the thread ends.
struct TCurrentQueue {
    TQueuePtr Queue;
    ~TCurrentQueue() {
        if (Queue) Queue->Close();
    }
};
thread_local TCurrentQueue tCurrent;

TQueuePtr NewQueue() {
    TRegistry& r = Registry();
    std::lock_guard<std::mutex> g(r.Lock);
    TThreadId id = r.NextThread++;
    auto q = std::make_shared<TThreadQueue>(id);
    r.Queues[id] = q;
    return q;
}

TThreadQueue& Current() {
    if (!tCurrent.Queue) tCurrent.Queue = NewQueue();
    return *tCurrent.Queue;
}

TQueuePtr QueueOfThread(TThreadId id) {
    TRegistry& r = Registry();
    std::lock_guard<std::mutex> g(r.Lock);
    auto it = r.Queues.find(id);
    return it == r.Queues.end() ? nullptr : it->second;
}

TQueuePtr QueueOfTarget(THandle target) {
    TRegistry& r = Registry();
    std::lock_guard<std::mutex> g(r.Lock);
    auto it = r.Targets.find(target);
    return it == r.Targets.end() ? nullptr : it->second.Queue;
}

// The program's first thread owns the main queue; made during static
// initialisation, which runs on that thread.
const TThreadId gMainThread = Current().Id();

int RetryEintr(const std::function<int()>& call) {
    int r;
    do r = call();
    while (r < 0 && errno == EINTR);
    return r;
}

// ---------------------------------------------------------------------------

TThreadQueue::TThreadQueue(TThreadId id) : FId(id) {
    FEpoll = epoll_create1(EPOLL_CLOEXEC);
    FWakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    FTimerFd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = FWakeFd;
    epoll_ctl(FEpoll, EPOLL_CTL_ADD, FWakeFd, &ev);
    ev.data.fd = FTimerFd;
    epoll_ctl(FEpoll, EPOLL_CTL_ADD, FTimerFd, &ev);
    FLateWakeFd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    ev.data.fd = FLateWakeFd;
    epoll_ctl(FEpoll, EPOLL_CTL_ADD, FLateWakeFd, &ev);
}

TThreadQueue::~TThreadQueue() {
    for (int fd : {FEpoll, FWakeFd, FTimerFd, FLateWakeFd})
        if (fd >= 0) close(fd);
}

void TThreadQueue::SignalWake() {
    uint64_t one = 1;
    RetryEintr([&] { return static_cast<int>(write(FWakeFd, &one, sizeof one)); });
}

// A foreign loop applies watch and timer changes only in a turn of its own;
// one made outside a turn (a menu command that starts a transfer) wakes the
// loop, or the change would wait for unrelated work to arrive.
void TThreadQueue::WakeForeignLoopForChange() {
    if (!FForeignLoop) return;
    {
        std::lock_guard<std::mutex> g(FLock);
        if (FWake == TWakeState::wsNow) return;
        FWake = TWakeState::wsNow;
    }
    SignalWake();
}

void TThreadQueue::ArmLateWake() {
    itimerspec due{};
    due.it_value.tv_nsec = kLateWakeMs * 1000000;
    if (timerfd_settime(FLateWakeFd, 0, &due, nullptr) != 0) SignalWake();
}

// A post from another thread that runs a message loop of its own wakes the
// owner within kLateWakeMs, by one timer for the whole burst; any other post
// (the owner's own, a worker without a loop) wakes it at once, and so does
// the end of the posting loop. The messages are queued at once either way,
// so their order is kept.
bool TThreadQueue::Post(TMsg&& msg) {
    const bool fromOwner = tCurrent.Queue.get() == this;
    const bool fromOtherLoop = tCurrent.Queue && !fromOwner;
    const TWakeState wanted = fromOtherLoop ? TWakeState::wsLate : TWakeState::wsNow;
    TWakeState wake = TWakeState::wsNone;
    {
        std::lock_guard<std::mutex> g(FLock);
        if (FClosed) return false;
        FPosted.push_back(std::move(msg));
        // The owner is awake and looks at its queue before it blocks; only a
        // foreign loop, which sleeps on the descriptor, needs the wake-up.
        if (fromOwner && !FForeignLoop) return true;
        if (FWake < wanted) wake = FWake = wanted;
    }
    if (wake == TWakeState::wsNow) {
        SignalWake();
    } else if (wake == TWakeState::wsLate) {
        ArmLateWake();
        tCurrent.Queue->RememberLateReceiver(weak_from_this());
    }
    return true;
}

void TThreadQueue::RememberLateReceiver(std::weak_ptr<TThreadQueue> receiver) {
    std::lock_guard<std::mutex> g(FLock);
    std::erase_if(FLateReceivers, [](const std::weak_ptr<TThreadQueue>& known) { return known.expired(); });
    for (const std::weak_ptr<TThreadQueue>& known : FLateReceivers)
        if (!known.owner_before(receiver) && !receiver.owner_before(known)) return;
    FLateReceivers.push_back(std::move(receiver));
}

void TThreadQueue::WakeIfLate() {
    {
        std::lock_guard<std::mutex> g(FLock);
        if (FClosed || FWake != TWakeState::wsLate) return;
        FWake = TWakeState::wsNow;
    }
    SignalWake();
}

bool TThreadQueue::PushSent(TSentItem item) {
    {
        std::lock_guard<std::mutex> g(FLock);
        if (FClosed) return false;
        FSent.push_back(std::move(item));
        FSentCount = FSent.size();
        FWake = TWakeState::wsNow;
    }
    FReplyCV.notify_all();
    SignalWake();
    return true;
}

void TThreadQueue::Close() {
    std::deque<TMsg> dropped;
    std::deque<TSentItem> unserved;
    std::vector<std::weak_ptr<TThreadQueue>> lateReceivers;
    {
        std::lock_guard<std::mutex> g(FLock);
        if (FClosed) return;
        FClosed = true;
        dropped.swap(FPosted);
        unserved.swap(FSent);
        lateReceivers.swap(FLateReceivers);
        FSentCount = 0;
    }
    // A loop that ends posts nothing more: what it left to be woken for
    // late (a run's last report, say) is worth waking for now.
    for (const std::weak_ptr<TThreadQueue>& receiver : lateReceivers)
        if (TQueuePtr q = receiver.lock()) q->WakeIfLate();
    for (TSentItem& s : unserved)
        if (s.Waiter) s.Waiter->CompleteCall(s.Call, 0);
    TRegistry& r = Registry();
    std::lock_guard<std::mutex> g(r.Lock);
    r.Queues.erase(FId);
}

void TThreadQueue::CompleteCall(const std::shared_ptr<TSentCall>& call, intptr_t result) {
    {
        std::lock_guard<std::mutex> g(FLock);
        call->Result = result;
        call->Done = true;
    }
    FReplyCV.notify_all();
}

void TThreadQueue::WaitForReply(const std::shared_ptr<TSentCall>& call) {
    std::unique_lock<std::mutex> lock(FLock);
    while (!call->Done) {
        if (!FSent.empty()) {
            lock.unlock();
            DeliverSentCalls();
            lock.lock();
            continue;
        }
        FReplyCV.wait(lock);
    }
}

void TThreadQueue::DeliverSentCalls() {
    if (FSentCount == 0) return;
    for (;;) {
        TSentItem item;
        {
            std::lock_guard<std::mutex> g(FLock);
            if (FSent.empty()) return;
            item = std::move(FSent.front());
            FSent.pop_front();
            FSentCount = FSent.size();
        }
        intptr_t result = 0;
        try {
            result = item.Call->Call();
        } catch (const std::exception& e) {
            DebugLogReport("In a synchronous call:", e.what());
        }
        if (item.Waiter) item.Waiter->CompleteCall(item.Call, result);
    }
}

bool TThreadQueue::HasPosted() {
    std::lock_guard<std::mutex> g(FLock);
    return !FPosted.empty();
}

bool TThreadQueue::FrontIsQuit() {
    std::lock_guard<std::mutex> g(FLock);
    return !FPosted.empty() && FPosted.front().Message == WM_QUIT;
}

bool TThreadQueue::TakeMessage(TMsg& msg, THandle target, uint32_t first, uint32_t last, bool remove) {
    {
        std::lock_guard<std::mutex> g(FLock);
        auto it = std::find_if(FPosted.begin(), FPosted.end(),
                               [&](const TMsg& m) { return Matches(m, target, first, last); });
        if (it == FPosted.end()) return false;
        if (!remove) {
            msg.Target = it->Target;
            msg.Message = it->Message;
            msg.WParam = it->WParam;
            msg.LParam = it->LParam;
            msg.Payload.reset();
            return true;
        }
        msg = std::move(*it);
        FPosted.erase(it);
    }
    ++FTakenSincePoll;
    if (msg.Message == WM_TIMER && msg.Target != 0) {
        auto t = FTimers.find({msg.Target, msg.WParam});
        if (t != FTimers.end()) t->second.Pending = false;
    }
    return true;
}

void TThreadQueue::Purge(const std::function<bool(const TMsg&)>& match) {
    std::vector<TMsg> dropped;  // freed outside the lock
    std::lock_guard<std::mutex> g(FLock);
    for (auto it = FPosted.begin(); it != FPosted.end();) {
        if (match(*it)) {
            dropped.push_back(std::move(*it));
            it = FPosted.erase(it);
        } else {
            ++it;
        }
    }
}

// --- timers ----------------------------------------------------------------

void TThreadQueue::CollectTimers() {
    if (FTimers.empty()) return;
    uint64_t now = NowMs();
    for (auto& [key, t] : FTimers) {
        if (t.Due > now) continue;
        t.Due = now + t.Interval;
        if (t.Pending) continue;
        TMsg m;
        m.Target = key.first;
        m.Message = WM_TIMER;
        m.WParam = key.second;
        if (Post(std::move(m))) t.Pending = true;
    }
}

int TThreadQueue::NearestTimerMs() {
    if (FTimers.empty()) return -1;
    uint64_t due = UINT64_MAX;
    for (auto& [key, t] : FTimers)
        if (!t.Pending) due = std::min(due, t.Due);
    if (due == UINT64_MAX) return -1;
    uint64_t now = NowMs();
    return due <= now ? 0 : static_cast<int>(std::min<uint64_t>(due - now, 1u << 30));
}

void TThreadQueue::ArmTimerFd() {
    int ms = NearestTimerMs();
    uint64_t due = ms < 0 ? 0 : NowMs() + static_cast<uint64_t>(ms);
    if (due == FTimerFdDue) return;
    FTimerFdDue = due;
    itimerspec timerValue{};
    if (ms == 0) {
        timerValue.it_value.tv_nsec = 1000;  // a zero value would disarm it
    } else if (ms > 0) {
        timerValue.it_value.tv_sec = static_cast<time_t>(ms / 1000);
        timerValue.it_value.tv_nsec = static_cast<long>(ms % 1000) * 1000000;
    }
    timerfd_settime(FTimerFd, 0, &timerValue, nullptr);
}

bool TThreadQueue::SetTimer(THandle target, uintptr_t id, uint32_t intervalMs) {
    uint32_t interval = std::max(intervalMs, kMinimumTimerMs);
    TTimerEntry& t = FTimers[{target, id}];
    bool wasPending = t.Pending;
    t.Interval = interval;
    t.Due = NowMs() + interval;
    t.Pending = false;
    if (wasPending)
        Purge([&](const TMsg& m) { return m.Message == WM_TIMER && m.Target == target && m.WParam == id; });
    WakeForeignLoopForChange();
    return true;
}

bool TThreadQueue::KillTimer(THandle target, uintptr_t id) {
    auto it = FTimers.find({target, id});
    if (it == FTimers.end()) return false;
    bool wasPending = it->second.Pending;
    FTimers.erase(it);
    if (wasPending)
        Purge([&](const TMsg& m) { return m.Message == WM_TIMER && m.Target == target && m.WParam == id; });
    return true;
}

void TThreadQueue::KillTimersOf(THandle target) {
    for (auto it = FTimers.begin(); it != FTimers.end();)
        it = it->first.first == target ? FTimers.erase(it) : std::next(it);
}

// --- socket readiness ------------------------------------------------------

uint32_t EpollEventsFor(uint32_t armed) {
    uint32_t ev = 0;
    if (armed & FD_READ) ev |= EPOLLIN;
    if (armed & FD_CLOSE) ev |= EPOLLRDHUP;
    if (armed & (FD_WRITE | FD_CONNECT)) ev |= EPOLLOUT;
    return ev;
}

void TThreadQueue::ApplyWatch(int fd, TSelectWatch& w) {
    uint32_t wanted = EpollEventsFor(w.Armed);
    // Hang-up and error are reported whatever is asked, so a descriptor with
    // nothing armed leaves the epoll set instead of waking it forever.
    if (w.Armed == 0) {
        if (w.InEpoll) epoll_ctl(FEpoll, EPOLL_CTL_DEL, fd, nullptr);
        w.InEpoll = false;
        w.Registered = 0;
        return;
    }
    if (w.InEpoll && wanted == w.Registered) return;
    epoll_event ev{};
    ev.events = wanted;
    ev.data.fd = fd;
    if (epoll_ctl(FEpoll, w.InEpoll ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, fd, &ev) == 0) {
        w.InEpoll = true;
        w.Registered = wanted;
    }
}

int PendingSocketError(int fd) {
    int err = 0;
    socklen_t len = sizeof err;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
    return WinsockErrorFromErrno(err);
}

void TThreadQueue::ReportReadiness(int fd, uint32_t ev) {
    auto it = FWatches.find(fd);
    if (it == FWatches.end()) return;
    TSelectWatch& w = it->second;
    const bool broken = ev & (EPOLLERR | EPOLLHUP);
    int error = broken ? PendingSocketError(fd) : 0;
    uint32_t report = 0;
    if (w.Armed & FD_CONNECT) {
        if (ev & (EPOLLOUT | EPOLLERR | EPOLLHUP)) {
            report = FD_CONNECT;
            if (broken && error == 0) error = WSAECONNREFUSED;
            if (error == 0 && (w.Armed & FD_WRITE)) report |= FD_WRITE;
            w.Armed &= ~(FD_CONNECT | FD_WRITE);
            // A failed connect leaves nothing more to report.
            if (error) w.Finished = true;
        }
    } else {
        if ((ev & EPOLLIN) && (w.Armed & FD_READ)) report |= FD_READ;
        if ((ev & EPOLLOUT) && (w.Armed & FD_WRITE)) report |= FD_WRITE;
        if ((ev & (EPOLLRDHUP | EPOLLHUP | EPOLLERR)) && (w.Armed & FD_CLOSE)) report |= FD_CLOSE;
        w.Armed &= ~report;
        // After a broken connection nothing but the close is worth waking for.
        if ((report & FD_CLOSE) || (broken && report == 0)) w.Finished = true;
    }
    if (w.Finished) w.Armed = 0;
    FDirty.push_back(fd);
    if (report == 0) return;
    TMsg m;
    m.Target = w.Target;
    m.Message = w.Message;
    m.WParam = static_cast<uintptr_t>(fd);
    m.LParam = WSAMakeSelectReply(report, static_cast<uint32_t>(error));
    Post(std::move(m));
}

void TThreadQueue::RunIdle() {
    if (!IdleHandler) return;
    try {
        IdleHandler();
    } catch (const std::exception& e) {
        DebugLogReport("In an idle handler:", e.what());
    }
}

void TThreadQueue::PollReadiness(int timeoutMs) {
    // A wait that may block: whatever the thread batches for others goes now.
    if (timeoutMs != 0) RunIdle();
    for (int fd : FDirty) {
        auto it = FWatches.find(fd);
        if (it != FWatches.end()) ApplyWatch(fd, it->second);
    }
    FDirty.clear();
    FTakenSincePoll = 0;
    epoll_event events[64];
    int n = RetryEintr([&] { return epoll_wait(FEpoll, events, 64, timeoutMs); });
    for (int i = 0; i < n; ++i) {
        int fd = events[i].data.fd;
        if (fd == FWakeFd) {
            uint64_t v;
            RetryEintr([&] { return static_cast<int>(read(FWakeFd, &v, sizeof v)); });
            std::lock_guard<std::mutex> g(FLock);
            FWake = TWakeState::wsNone;
        } else if (fd == FLateWakeFd) {
            uint64_t v;
            RetryEintr([&] { return static_cast<int>(read(FLateWakeFd, &v, sizeof v)); });
            std::lock_guard<std::mutex> g(FLock);
            if (FWake == TWakeState::wsLate) FWake = TWakeState::wsNone;
        } else if (fd == FTimerFd) {
            uint64_t v;
            RetryEintr([&] { return static_cast<int>(read(FTimerFd, &v, sizeof v)); });
            FTimerFdDue = 0;
        } else {
            ReportReadiness(fd, events[i].events);
        }
    }
    CollectTimers();
}

bool TThreadQueue::AsyncSelect(int fd, THandle target, uint32_t message, uint32_t events) {
    if (fd < 0) return false;
    auto it = FWatches.find(fd);
    if (events == 0) {
        if (it == FWatches.end()) return true;
        if (it->second.InEpoll) epoll_ctl(FEpoll, EPOLL_CTL_DEL, fd, nullptr);
        THandle oldTarget = it->second.Target;
        uint32_t oldMessage = it->second.Message;
        FWatches.erase(it);
        Purge([&](const TMsg& m) {
            return m.Target == oldTarget && m.Message == oldMessage && m.WParam == static_cast<uintptr_t>(fd);
        });
        return true;
    }
    TSelectWatch& w = FWatches[fd];
    w.Target = target;
    w.Message = message;
    w.Wanted = events;
    w.Armed = events;
    w.Finished = false;
    FDirty.push_back(fd);
    WakeForeignLoopForChange();
    return true;
}

void TThreadQueue::Reenable(int fd, uint32_t event) {
    auto it = FWatches.find(fd);
    if (it == FWatches.end()) return;
    TSelectWatch& w = it->second;
    if (w.Finished || !(w.Wanted & event) || (w.Armed & event)) return;
    w.Armed |= event;
    FDirty.push_back(fd);
    WakeForeignLoopForChange();
}

} // namespace

// ---------------------------------------------------------------------------

namespace detail {

TThreadId CreateThreadQueue() { return NewQueue()->Id(); }

void BindThreadQueue(TThreadId id) {
    TQueuePtr q = QueueOfThread(id);
    if (q) tCurrent.Queue = q;
}

void CloseThreadQueue(TThreadId id) {
    TQueuePtr q = QueueOfThread(id);
    if (q) q->Close();
}

THandle RegisterTarget(TMessageTarget* target) {
    Current();
    TQueuePtr q = tCurrent.Queue;
    TRegistry& r = Registry();
    std::lock_guard<std::mutex> g(r.Lock);
    THandle h = r.NextHandle++;
    r.Targets[h] = {target, q};
    return h;
}

void UnregisterTarget(THandle handle) {
    TQueuePtr q;
    {
        TRegistry& r = Registry();
        std::lock_guard<std::mutex> g(r.Lock);
        auto it = r.Targets.find(handle);
        if (it == r.Targets.end()) return;
        q = it->second.Queue;
        r.Targets.erase(it);
    }
    if (q.get() == tCurrent.Queue.get()) q->KillTimersOf(handle);
    q->Purge([&](const TMsg& m) { return m.Target == handle; });
}

} // namespace detail

TThreadId CurrentThreadId() { return Current().Id(); }
TThreadId MainThreadId() { return gMainThread; }

namespace {
TMsg MakeMsg(THandle target, uint32_t message, uintptr_t wParam, intptr_t lParam, std::unique_ptr<TPayload> payload) {
    TMsg m;
    m.Target = target;
    m.Message = message;
    m.WParam = wParam;
    m.LParam = lParam;
    m.Payload = std::move(payload);
    return m;
}
} // namespace

bool PostMessage(THandle target, uint32_t message, uintptr_t wParam, intptr_t lParam,
                 std::unique_ptr<TPayload> payload) {
    TQueuePtr q = QueueOfTarget(target);
    return q && q->Post(MakeMsg(target, message, wParam, lParam, std::move(payload)));
}

bool PostThreadMessage(TThreadId thread, uint32_t message, uintptr_t wParam, intptr_t lParam,
                       std::unique_ptr<TPayload> payload) {
    TQueuePtr q = QueueOfThread(thread);
    return q && q->Post(MakeMsg(0, message, wParam, lParam, std::move(payload)));
}

void PostQuitMessage(int exitCode) {
    TMsg m;
    m.Message = WM_QUIT;
    m.WParam = static_cast<uintptr_t>(exitCode);
    Current().Post(std::move(m));
}

bool GetMessage(TMsg& msg) {
    TThreadQueue& q = Current();
    for (;;) {
        q.DeliverSentCalls();
        q.CollectTimers();
        if (q.PollDue()) q.PollReadiness(0);
        if (q.TakeMessage(msg, 0, 0, 0, true)) return msg.Message != WM_QUIT;
        q.DeliverSentCalls();
        if (!q.HasPosted()) q.PollReadiness(q.NearestTimerMs());
    }
}

bool PeekMessage(TMsg& msg, THandle target, uint32_t first, uint32_t last, bool remove) {
    TThreadQueue& q = Current();
    q.DeliverSentCalls();
    if (target == 0 && first == 0 && last == 0) {
        q.CollectTimers();
        if (q.PollDue()) q.PollReadiness(0);
    }
    return q.TakeMessage(msg, target, first, last, remove);
}

void WaitMessage(int timeoutMs) {
    TThreadQueue& q = Current();
    q.DeliverSentCalls();
    q.CollectTimers();
    if (q.HasPosted()) return;
    int nearest = q.NearestTimerMs();
    int wait = timeoutMs < 0 ? nearest : (nearest < 0 ? timeoutMs : std::min(nearest, timeoutMs));
    q.PollReadiness(wait);
}

intptr_t DispatchMessage(TMsg& msg) {
    if (msg.Target == 0) return 0;
    TMessageTarget* target = nullptr;
    {
        TRegistry& r = Registry();
        std::lock_guard<std::mutex> g(r.Lock);
        auto it = r.Targets.find(msg.Target);
        if (it != r.Targets.end() && it->second.Queue.get() == tCurrent.Queue.get()) target = it->second.Target;
    }
    if (!target) return 0;
    return target->WndProc(msg);
}

intptr_t SendMessage(THandle target, uint32_t message, uintptr_t wParam, intptr_t lParam,
                     std::unique_ptr<TPayload> payload) {
    TQueuePtr q = QueueOfTarget(target);
    if (!q) return 0;
    auto msg = std::make_shared<TMsg>(MakeMsg(target, message, wParam, lParam, std::move(payload)));
    if (q.get() == tCurrent.Queue.get()) return DispatchMessage(*msg);
    auto call = std::make_shared<TSentCall>();
    call->Call = [msg] { return DispatchMessage(*msg); };
    Current();
    if (!q->PushSent({call, tCurrent.Queue})) return 0;
    tCurrent.Queue->WaitForReply(call);
    return call->Result;
}

bool RunSynchronized(TThreadId thread, const std::function<void()>& fn) {
    TQueuePtr q = QueueOfThread(thread);
    if (!q) return false;
    if (q.get() == tCurrent.Queue.get()) {
        fn();
        return true;
    }
    auto call = std::make_shared<TSentCall>();
    call->Call = [&fn] {
        fn();
        return intptr_t{1};
    };
    Current();
    if (!q->PushSent({call, tCurrent.Queue})) return false;
    tCurrent.Queue->WaitForReply(call);
    return call->Result == 1;
}

bool SetTimer(THandle target, uintptr_t id, uint32_t intervalMs) {
    return Current().SetTimer(target, id, intervalMs);
}
bool KillTimer(THandle target, uintptr_t id) { return Current().KillTimer(target, id); }

bool AsyncSelect(int fd, THandle target, uint32_t message, uint32_t events) {
    return Current().AsyncSelect(fd, target, message, events);
}
void ReenableSelectEvent(int fd, uint32_t event) { Current().Reenable(fd, event); }

int QueueDescriptor() { return Current().Descriptor(); }

void SetIdleHandler(std::function<void()> handler) { Current().IdleHandler = std::move(handler); }

bool ProcessPendingMessages() {
    TThreadQueue& q = Current();
    bool quit = false;
    // Bounded so that handlers which keep posting cannot hold a foreign loop.
    for (int i = 0; i < 4096; ++i) {
        if (q.FrontIsQuit()) {
            quit = true;
            break;
        }
        TMsg msg;
        if (!PeekMessage(msg)) break;
        DispatchMessage(msg);
    }
    q.PollReadiness(0);
    // The foreign loop waits next.
    q.RunIdle();
    q.ArmTimerFd();
    // The wake-up was drained; keep the descriptor readable while work is left.
    if (q.HasPosted()) q.SignalWake();
    return !quit;
}

// --- TMessageTarget -----------------------------------------------------------

TMessageTarget::TMessageTarget(THandler handler)
    : FHandle(detail::RegisterTarget(this)), FThread(CurrentThreadId()), FHandler(std::move(handler)) {}

TMessageTarget::~TMessageTarget() { detail::UnregisterTarget(FHandle); }

intptr_t TMessageTarget::WndProc(TMsg& msg) { return FHandler ? FHandler(msg) : 0; }

} // namespace vorlin
