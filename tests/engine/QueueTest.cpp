#include "engine/Queue.h"
#include "platform/MessageQueue.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vorlin;

namespace {

struct TQueueProbe {
    std::vector<void*> Announced;
    bool AnswerStop = false;
    TQueue Queue{[this](TQueue&, void* item, bool& stop) {
        Announced.push_back(item);
        if (AnswerStop) stop = true;
    }};
};

int a, b, c;

} // namespace

TEST(Queue, StoppedQueueAnnouncesNothingUntilStarted) {
    TQueueProbe p;
    EXPECT_TRUE(p.Queue.Stopped());
    EXPECT_TRUE(p.Queue.Empty());
    p.Queue.Push(&a);
    p.Queue.Push(&b);
    p.Queue.ProcessMessages();
    EXPECT_TRUE(p.Announced.empty());
    EXPECT_EQ(p.Queue.Count(), 2);
    p.Queue.Start();
    p.Queue.ProcessMessages();
    EXPECT_EQ(p.Announced, (std::vector<void*>{&a}));
}

TEST(Queue, EveryChangeOfTheHeadIsAnnouncedOnce) {
    TQueueProbe p;
    p.Queue.Start();
    p.Queue.Push(&a);
    p.Queue.Push(&b);  // not a new head
    p.Queue.ProcessMessages();
    EXPECT_EQ(p.Announced, (std::vector<void*>{&a}));
    p.Queue.Pop();
    p.Queue.ProcessMessages();
    EXPECT_EQ(p.Announced, (std::vector<void*>{&a, &b}));
    p.Queue.Pop();  // the last one: empty, nothing announced
    p.Queue.ProcessMessages();
    EXPECT_TRUE(p.Queue.Empty());
    EXPECT_EQ(p.Announced.size(), 2u);
    p.Queue.Pop();  // popping an empty queue does nothing
    EXPECT_EQ(p.Queue.Count(), 0);
}

TEST(Queue, AHandlerThatAnswersStopKeepsTheItemFirst) {
    TQueueProbe p;
    p.AnswerStop = true;
    p.Queue.Push(&a);
    p.Queue.Start();
    p.Queue.ProcessMessages();
    EXPECT_TRUE(p.Queue.Stopped());
    EXPECT_EQ(p.Queue.First(), &a);
    p.Queue.Push(&c);
    p.Queue.ProcessMessages();
    EXPECT_EQ(p.Announced.size(), 1u);
    p.Queue.Start();
    p.Queue.ProcessMessages();
    EXPECT_EQ(p.Announced, (std::vector<void*>{&a, &a}));
}

TEST(Queue, AStaleAnnouncementIsNotHandedOn) {
    TQueueProbe p;
    p.Queue.Push(&a);
    p.Queue.Push(&b);
    p.Queue.Start();  // announces a
    p.Queue.Stop();
    p.Queue.Pop();  // b is first now; the announcement of a is still queued
    p.Queue.ProcessMessages();
    EXPECT_TRUE(p.Announced.empty());
    // Only the queue's own messages are processed.
    int other = 0;
    TMessageTarget t([&](TMsg&) -> intptr_t { return ++other; });
    PostMessage(t.Handle(), WM_USER);
    PostMessage(p.Queue.Handle(), WM_USER + 3);
    p.Queue.ProcessMessages();
    EXPECT_EQ(other, 0);
    TMsg m;
    while (PeekMessage(m)) DispatchMessage(m);
    EXPECT_EQ(other, 1);
    EXPECT_TRUE(p.Queue.Contains(&b));
    EXPECT_FALSE(p.Queue.Contains(&a));
}
