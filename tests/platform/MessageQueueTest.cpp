#include "platform/MessageQueue.h"
#include "platform/MessageTarget.h"
#include "platform/Resolver.h"
#include "platform/Thread.h"
#include "platform/Ticks.h"
#include "platform/Timer.h"
#include "tests/support/LoopHelpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace vorlin;
using vorlin::test::PumpUntil;

namespace {

// Drains everything already queued for the calling thread.
void DrainQueue() {
    TMsg m;
    while (PeekMessage(m)) {
    }
}

struct TRecorder {
    std::vector<uint32_t> Seen;
    TMessageTarget Target{[this](TMsg& m) -> intptr_t {
        Seen.push_back(m.Message);
        return static_cast<intptr_t>(m.WParam) * 2;
    }};
};

// Counts how many payload objects are alive, to see that dropped messages free theirs.
struct TTracked {
    static inline int Alive = 0;
    TTracked() { ++Alive; }
    TTracked(const TTracked&) { ++Alive; }
    TTracked(TTracked&&) noexcept { ++Alive; }
    ~TTracked() { --Alive; }
};

} // namespace

TEST(MessageQueue, PostedMessagesArriveInOrderAndPeekCanFilter) {
    DrainQueue();
    TRecorder a, b;
    PostMessage(a.Target.Handle(), WM_USER + 1);
    PostMessage(b.Target.Handle(), WM_USER + 2);
    PostMessage(a.Target.Handle(), WM_USER + 3);
    TMsg m;
    // A filtered peek without removal sees b's message and leaves it.
    ASSERT_TRUE(PeekMessage(m, b.Target.Handle(), 0, 0, false));
    EXPECT_EQ(m.Message, WM_USER + 2u);
    ASSERT_TRUE(PeekMessage(m, b.Target.Handle()));
    DispatchMessage(m);
    EXPECT_FALSE(PeekMessage(m, b.Target.Handle()));
    while (PeekMessage(m)) DispatchMessage(m);
    EXPECT_EQ(a.Seen, (std::vector<uint32_t>{WM_USER + 1, WM_USER + 3}));
    EXPECT_EQ(b.Seen, (std::vector<uint32_t>{WM_USER + 2}));
}

TEST(MessageQueue, QuitIsVisibleWithoutRemovalAndGetAnswersFalse) {
    DrainQueue();
    PostQuitMessage(7);
    TMsg m;
    EXPECT_TRUE(PeekMessage(m, 0, WM_QUIT, WM_QUIT, false));
    EXPECT_TRUE(PeekMessage(m, 0, WM_QUIT, WM_QUIT, false));
    EXPECT_FALSE(GetMessage(m));
    EXPECT_EQ(m.Message, WM_QUIT);
    EXPECT_EQ(m.WParam, 7u);
    EXPECT_FALSE(PeekMessage(m, 0, WM_QUIT, WM_QUIT, false));
}

TEST(MessageQueue, MessagesForADestroyedTargetAreDroppedAndTheirPayloadFreed) {
    DrainQueue();
    THandle gone;
    {
        TRecorder r;
        gone = r.Target.Handle();
        EXPECT_TRUE(PostMessage(gone, WM_USER, 0, 0, MakePayload(TTracked())));
        EXPECT_EQ(TTracked::Alive, 1);
    }
    EXPECT_EQ(TTracked::Alive, 0);
    EXPECT_FALSE(PostMessage(gone, WM_USER, 0, 0, MakePayload(TTracked())));
    EXPECT_EQ(TTracked::Alive, 0);
    TMsg m;
    EXPECT_FALSE(PeekMessage(m, gone));
}

TEST(MessageQueue, PayloadBelongsToTheReceiver) {
    DrainQueue();
    std::string got;
    TMessageTarget t([&](TMsg& m) -> intptr_t {
        got = m.TakePayload<std::string>();
        return 0;
    });
    PostMessage(t.Handle(), WM_USER + 1, 0, 0, MakePayload(std::string("line")));
    ASSERT_TRUE(PumpUntil([&] { return !got.empty(); }));
    EXPECT_EQ(got, "line");
}

TEST(MessageQueue, PostFromAnotherThreadWakesABlockedLoop) {
    DrainQueue();
    int received = 0;
    TMessageTarget t([&](TMsg&) -> intptr_t { return ++received; });
    THandle h = t.Handle();
    std::thread poster([h] {
        Sleep(30);
        for (int i = 0; i < 100; ++i) PostMessage(h, WM_USER);
    });
    EXPECT_TRUE(PumpUntil([&] { return received == 100; }));
    poster.join();
}

// The idle handler runs when the loop is about to wait, never while work is
// queued: a run that batches work for other threads must not hold it back
// while it sleeps, nor pay for the handler on every message.
TEST(MessageQueue, TheIdleHandlerRunsBeforeTheLoopWaitsAndNotWhileWorkIsQueued) {
    DrainQueue();
    std::vector<std::string> events;
    TMessageTarget t([&](TMsg& m) -> intptr_t {
        events.push_back("message " + std::to_string(m.WParam));
        return 0;
    });
    SetIdleHandler([&] { events.push_back("idle"); });
    for (uintptr_t i = 1; i <= 3; ++i) PostMessage(t.Handle(), WM_USER, i);
    TMsg m;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(GetMessage(m));
        DispatchMessage(m);
    }
    EXPECT_EQ(events, (std::vector<std::string>{"message 1", "message 2", "message 3"}));

    // Nothing queued: the handler runs, then the loop waits for the post.
    const THandle h = t.Handle();
    std::thread poster([h] {
        Sleep(30);
        PostMessage(h, WM_USER, 4);
    });
    ASSERT_TRUE(GetMessage(m));
    DispatchMessage(m);
    poster.join();
    ASSERT_GE(events.size(), 5u);
    EXPECT_EQ(events[3], "idle");
    EXPECT_EQ(events.back(), "message 4");

    // A handler that fails is reported, and the loop goes on; removed, it runs no more.
    int failures = 0;
    SetIdleHandler([&] {
        ++failures;
        throw std::runtime_error("disk gone");
    });
    WaitMessage(1);
    EXPECT_EQ(failures, 1);
    PostMessage(h, WM_USER, 5);
    ASSERT_TRUE(GetMessage(m));
    EXPECT_EQ(m.WParam, 5u);
    SetIdleHandler(nullptr);
    events.clear();
    WaitMessage(1);
    EXPECT_TRUE(events.empty());
}

// Posts from another message loop wake the receiver by a short timer, once
// per burst: a loop blocked with nothing else to wake it (no timers) must
// still get every message, in order, and promptly.
TEST(MessageQueue, PostsFromAnotherLoopWakeABlockedLoopInOrder) {
    DrainQueue();
    std::vector<uintptr_t> seen;
    std::atomic<size_t> received{0};
    TMessageTarget t([&](TMsg& m) -> intptr_t {
        seen.push_back(m.WParam);
        ++received;
        return 0;
    });
    THandle h = t.Handle();
    std::atomic<bool> lost{false};
    std::thread poster([h, &received, &lost] {
        TMsg m;
        PeekMessage(m);  // this thread now runs a loop of its own
        for (uintptr_t round = 0; round < 5 && !lost; ++round) {
            for (uintptr_t i = 0; i < 20; ++i) PostMessage(h, WM_USER, round * 20 + i);
            // The receiver, blocked meanwhile, must take the burst by itself.
            uint64_t start = GetTickCount64();
            while (received < (round + 1) * 20 && GetTickCount64() - start < 1000) Sleep(1);
            if (received < (round + 1) * 20) lost = true;
        }
        // Ends the test; a worker without a loop wakes at once.
        std::thread([h] { PostMessage(h, WM_USER + 1); }).join();
    });
    for (;;) {
        TMsg m;
        ASSERT_TRUE(GetMessage(m));
        if (m.Message == WM_USER + 1) break;
        DispatchMessage(m);
    }
    poster.join();
    EXPECT_FALSE(lost);
    std::vector<uintptr_t> expected(100);
    for (uintptr_t i = 0; i < 100; ++i) expected[i] = i;
    EXPECT_EQ(seen, expected);
    DrainQueue();
}

// The last posts of a loop that then ends (a run's final report) must not
// wait for the late-wake timer: the receiver is woken when the loop ends.
TEST(MessageQueue, ALoopThatEndsWakesWhomItLeftToWakeLate) {
    std::atomic<int> received{0};
    std::atomic<THandle> handle{0};
    std::atomic<bool> posted{false};
    bool readableAtOnce = false, readableBefore = true;
    std::thread receiver([&] {
        TMessageTarget t([&](TMsg&) -> intptr_t { return ++received; });
        int fd = QueueDescriptor();
        ProcessPendingMessages();
        pollfd p{fd, POLLIN, 0};
        readableBefore = poll(&p, 1, 0) == 1;
        handle = t.Handle();
        while (!posted) Sleep(1);
        p.revents = 0;
        readableAtOnce = poll(&p, 1, 0) == 1;
        ProcessPendingMessages();
    });
    while (handle == 0) Sleep(1);
    std::thread poster([&] {
        TMsg m;
        PeekMessage(m);  // a loop of its own: its posts wake late
        PostMessage(handle, WM_USER);
    });
    poster.join();
    posted = true;
    receiver.join();
    EXPECT_FALSE(readableBefore);
    EXPECT_TRUE(readableAtOnce);
    EXPECT_EQ(received, 1);
}

TEST(MessageQueue, SendMessageRunsOnTheTargetThreadAndReturnsItsResult) {
    DrainQueue();
    TRecorder r;
    std::atomic<intptr_t> result{0};
    std::atomic<bool> done{false};
    THandle h = r.Target.Handle();
    std::thread sender([&] {
        result = SendMessage(h, WM_USER + 17, 21);
        done = true;
        PostThreadMessage(MainThreadId(), WM_NULL);
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
    sender.join();
    EXPECT_EQ(result, 42);
    EXPECT_EQ(r.Seen, (std::vector<uint32_t>{WM_USER + 17}));
}

// A worker that serves its own loop until told to quit.
class TLoopThread : public TThread {
public:
    TLoopThread() : TThread(true) {}
    ~TLoopThread() override {
        PostThreadMessage(ThreadId(), WM_QUIT);
        WaitFor();
    }
    std::atomic<int> Handled{0};

protected:
    void Execute() override {
        TMsg m;
        while (GetMessage(m)) {
            if (m.Message == WM_USER + 1) {
                // Calls back into the main thread while the main thread waits for us.
                RunSynchronized(MainThreadId(), [this] { ++Handled; });
                m.TakePayload<std::shared_ptr<std::atomic<bool>>>()->store(true);
                PostThreadMessage(MainThreadId(), WM_NULL);  // lets the waiting loop look again
            }
            DispatchMessage(m);
        }
    }
};

TEST(MessageQueue, SynchronousCallsBetweenTwoWaitingThreadsDoNotDeadlock) {
    ASSERT_EQ(CurrentThreadId(), MainThreadId());
    TLoopThread worker;
    auto flag = std::make_shared<std::atomic<bool>>(false);
    // Posted before the thread runs: kept.
    EXPECT_TRUE(PostThreadMessage(worker.ThreadId(), WM_USER + 1, 0, 0, MakePayload(flag)));
    worker.Resume();
    bool called = false;
    EXPECT_TRUE(RunSynchronized(worker.ThreadId(), [&] { called = true; }));
    EXPECT_TRUE(PumpUntil([&] { return flag->load(); }));
    EXPECT_TRUE(called);
    EXPECT_EQ(worker.Handled, 1);
}

TEST(MessageQueue, CallsIntoAnEndedThreadFail) {
    TLoopThread worker;
    worker.Resume();
    PostThreadMessage(worker.ThreadId(), WM_QUIT);
    worker.WaitFor();
    EXPECT_FALSE(RunSynchronized(worker.ThreadId(), [] {}));
    EXPECT_FALSE(PostThreadMessage(worker.ThreadId(), WM_USER));
}

TEST(Timer, FiresRepeatedlyAndKillDropsThePendingTick) {
    DrainQueue();
    int ticks = 0;
    TMessageTarget t([&](TMsg& m) -> intptr_t {
        if (m.Message == WM_TIMER && m.WParam == 5) ++ticks;
        return 0;
    });
    SetTimer(t.Handle(), 5, 10);
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));
    // Let a tick become due, then kill: it must not arrive.
    Sleep(30);
    TMsg m;
    PeekMessage(m, 0, 0, 0, false);  // collects the due tick
    KillTimer(t.Handle(), 5);
    int before = ticks;
    vorlin::test::PumpFor(50);
    EXPECT_EQ(ticks, before);
}

TEST(Timer, RestartingMeasuresFromTheRestartAndZeroNeverFires) {
    DrainQueue();
    TTimer timer;
    int fired = 0;
    timer.OnTimer = [&](TTimer&) { ++fired; };
    timer.SetInterval(0);
    vorlin::test::PumpFor(40);
    EXPECT_EQ(fired, 0);
    timer.SetInterval(60);
    // Due but not yet collected: a restart makes it wait a whole period again.
    Sleep(80);
    timer.Restart();
    TMsg m;
    while (PeekMessage(m)) DispatchMessage(m);
    EXPECT_EQ(fired, 0);
    EXPECT_TRUE(PumpUntil([&] { return fired == 1; }));
    timer.SetEnabled(false);
    vorlin::test::PumpFor(100);
    EXPECT_EQ(fired, 1);
}

TEST(AsyncSelect, ReadThenCloseArriveInOrderAndStaleOnesAreDropped) {
    DrainQueue();
    int sv[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, sv), 0);
    std::vector<uint32_t> events;
    TMessageTarget t([&](TMsg& m) -> intptr_t {
        uint32_t ev = WSAGetSelectEvent(m.LParam);
        events.push_back(ev);
        if (ev & FD_READ) {
            char buf[16];
            while (recv(sv[0], buf, sizeof buf, 0) > 0) {
            }
            ReenableSelectEvent(sv[0], FD_READ);
        }
        return 0;
    });
    AsyncSelect(sv[0], t.Handle(), WM_USER + 1, FD_READ | FD_CLOSE);
    ASSERT_EQ(write(sv[1], "abc", 3), 3);
    ASSERT_TRUE(PumpUntil([&] { return !events.empty(); }));
    EXPECT_EQ(events[0], FD_READ);
    close(sv[1]);
    ASSERT_TRUE(PumpUntil([&] {
        for (uint32_t e : events)
            if (e & FD_CLOSE) return true;
        return false;
    }));
    size_t count = events.size();
    vorlin::test::PumpFor(30);
    EXPECT_EQ(events.size(), count);  // the close is reported once, nothing spins

    // A notification still queued when the watch ends is dropped.
    int sv2[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, sv2), 0);
    AsyncSelect(sv2[0], t.Handle(), WM_USER + 1, FD_READ);
    ASSERT_EQ(write(sv2[1], "x", 1), 1);
    Sleep(10);
    TMsg m;
    PeekMessage(m, 0, 0, 0, false);
    ASSERT_TRUE(PeekMessage(m, t.Handle(), 0, 0, false));
    AsyncSelect(sv2[0], t.Handle(), WM_USER + 1, 0);
    EXPECT_FALSE(PeekMessage(m, t.Handle(), 0, 0, false));
    for (int fd : {sv[0], sv2[0], sv2[1]}) close(fd);
}

TEST(Thread, SuspendedTerminatedAndWaitedFor) {
    class TCounting : public TThread {
    public:
        TCounting() : TThread(true) {}
        ~TCounting() override {
            Terminate();
            WaitFor();
        }
        std::atomic<int> Passes{0};

    protected:
        void Execute() override {
            while (!Terminated()) {
                ++Passes;
                Sleep(1);
            }
            SetReturnValue(Passes);
        }
    };
    TCounting never;
    EXPECT_EQ(never.WaitFor(), 0);  // never started: answers at once
    TCounting t;
    t.Resume();
    while (t.Passes < 3) Sleep(1);
    t.Terminate();
    int rv = t.WaitFor();
    EXPECT_TRUE(t.Finished());
    EXPECT_GE(rv, 3);
}

TEST(Resolver, AsyncReplyCancelAndInjectedLookup) {
    DrainQueue();
    std::atomic<bool> release{false};
    std::atomic<bool> slowStarted{false};
    THostLookup old = SetHostLookup([&](const std::string& host, std::vector<std::string>& out) {
        if (host == "slow.test") {
            slowStarted = true;
            while (!release) Sleep(1);
            out = {"10.9.9.9"};
            return 0;
        }
        if (host == "known.test") {
            out = {"10.1.2.3", "::1"};
            return 0;
        }
        return 11001;
    });
    std::vector<std::pair<uint32_t, int>> replies;
    std::vector<std::string> addresses;
    TMessageTarget t([&](TMsg& m) -> intptr_t {
        replies.emplace_back(static_cast<uint32_t>(m.WParam), static_cast<int>(m.LParam));
        if (m.LParam == 0) addresses = m.TakePayload<std::vector<std::string>>();
        return 0;
    });
    TLookupHandle a = StartAsyncLookup("known.test", t.Handle(), WM_USER + 2);
    TLookupHandle b = StartAsyncLookup("unknown.test", t.Handle(), WM_USER + 2);
    ASSERT_TRUE(PumpUntil([&] { return replies.size() == 2; }));
    for (auto& [h, err] : replies) EXPECT_EQ(err, h == a ? 0 : 11001);
    EXPECT_NE(a, b);
    EXPECT_EQ(addresses, (std::vector<std::string>{"10.1.2.3", "::1"}));
    // Cancelled while the lookup runs: its answer is never posted.
    TLookupHandle c = StartAsyncLookup("slow.test", t.Handle(), WM_USER + 2);
    while (!slowStarted) Sleep(1);
    EXPECT_TRUE(CancelAsyncLookup(c));
    release = true;
    TLookupHandle d = StartAsyncLookup("known.test", t.Handle(), WM_USER + 2);
    ASSERT_TRUE(PumpUntil([&] { return replies.size() == 3; }));
    EXPECT_EQ(replies.back().first, d);
    vorlin::test::PumpFor(20);
    EXPECT_EQ(replies.size(), 3u);
    SetHostLookup(old);
}

TEST(Ticks, AdvanceMonotonically) {
    uint32_t a = GetTickCount();
    Sleep(5);
    EXPECT_GE(static_cast<uint32_t>(GetTickCount() - a), 4u);
}

// Whether the queue's descriptor turns readable within ms.
static bool Readable(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, ms) == 1;
}

// What a foreign loop (the desktop program's) relies on: a descriptor that
// turns readable when work arrives, and a call that does what is pending.
TEST(MessageQueue, ForeignLoopBridgeSeesPostsAndTimersAndLeavesQuit) {
    DrainQueue();
    ProcessPendingMessages();
    int fd = QueueDescriptor();
    auto readable = [fd](int ms) { return Readable(fd, ms); };
    EXPECT_FALSE(readable(0));
    int handled = 0, ticks = 0;
    TMessageTarget t([&](TMsg& m) -> intptr_t {
        if (m.Message == WM_TIMER)
            ++ticks;
        else
            ++handled;
        return 0;
    });
    THandle h = t.Handle();
    std::thread poster([h] { PostMessage(h, WM_USER); });
    poster.join();
    EXPECT_TRUE(readable(5000));
    EXPECT_TRUE(ProcessPendingMessages());
    EXPECT_EQ(handled, 1);
    // A post of the loop's own thread (from a handler of the foreign loop)
    // must wake it as well: that loop sleeps on the descriptor.
    EXPECT_FALSE(readable(0));
    PostMessage(h, WM_USER + 1);
    EXPECT_TRUE(readable(0));
    EXPECT_TRUE(ProcessPendingMessages());
    EXPECT_EQ(handled, 2);
    // A timer set outside a turn of the loop (a menu command) wakes it, so
    // that the next turn arms the descriptor for the timer.
    SetTimer(h, 9, 20);
    EXPECT_TRUE(readable(0));
    ProcessPendingMessages();
    EXPECT_TRUE(readable(5000));
    for (int i = 0; i < 100 && ticks == 0; ++i) {
        ProcessPendingMessages();
        if (ticks == 0) readable(50);
    }
    EXPECT_GE(ticks, 1);
    KillTimer(h, 9);
    PostMessage(h, WM_USER);
    PostQuitMessage(0);
    PostMessage(h, WM_USER);
    EXPECT_FALSE(ProcessPendingMessages());  // stops at the quit, which stays
    EXPECT_EQ(handled, 3);
    TMsg m;
    EXPECT_TRUE(PeekMessage(m, 0, WM_QUIT, WM_QUIT, false));
    DrainQueue();
}

// A socket watched from outside a turn of the foreign loop (a transfer a
// menu command starts) is reported without any other work waking the loop.
TEST(MessageQueue, ForeignLoopSeesASocketWatchedOutsideItsTurn) {
    DrainQueue();
    ProcessPendingMessages();
    int fd = QueueDescriptor();
    auto readable = [fd](int ms) { return Readable(fd, ms); };
    EXPECT_FALSE(readable(0));
    int sv[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, sv), 0);
    ASSERT_EQ(write(sv[1], "x", 1), 1);
    uint32_t events = 0;
    TMessageTarget t([&](TMsg& m) -> intptr_t {
        if (m.Message == WM_USER + 5) events |= WSAGetSelectEvent(m.LParam);
        return 0;
    });
    AsyncSelect(sv[0], t.Handle(), WM_USER + 5, FD_READ | FD_CLOSE);
    for (int turn = 0; turn < 10 && !(events & FD_READ); ++turn) {
        ASSERT_TRUE(readable(5000)) << "the loop was not woken in turn " << turn;
        ProcessPendingMessages();
    }
    EXPECT_TRUE(events & FD_READ);
    // Read again: re-enabled outside a turn, the next byte is reported too.
    char c;
    ASSERT_EQ(read(sv[0], &c, 1), 1);
    events = 0;
    ASSERT_EQ(write(sv[1], "y", 1), 1);
    ReenableSelectEvent(sv[0], FD_READ);
    for (int turn = 0; turn < 10 && !(events & FD_READ); ++turn) {
        ASSERT_TRUE(readable(5000)) << "the loop was not woken in turn " << turn;
        ProcessPendingMessages();
    }
    EXPECT_TRUE(events & FD_READ);
    AsyncSelect(sv[0], t.Handle(), 0, 0);
    close(sv[0]);
    close(sv[1]);
    DrainQueue();
}
