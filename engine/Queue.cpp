#include "engine/Queue.h"

#include "platform/MessageQueue.h"

#include <algorithm>

namespace vorlin {

TQueue::TQueue(THandler handler) : FHandler(std::move(handler)), FWindow([this](TMsg& m) { return WndProc(m); }) {}

void TQueue::Announce() {
    PostMessage(FWindow.Handle(), WM_QUEUE_FIRST, 0, reinterpret_cast<intptr_t>(FItems.front()));
}

void TQueue::Push(void* item) {
    bool wasEmpty = FItems.empty();
    FItems.push_back(item);
    if (wasEmpty && !FStopped) Announce();
    FEmpty = false;
}

void TQueue::Pop() {
    if (FItems.empty()) return;
    FItems.pop_front();
    if (!FItems.empty()) {
        if (!FStopped) Announce();
    } else {
        FEmpty = true;
    }
}

void TQueue::Start() {
    FStopped = false;
    if (!FItems.empty()) Announce();
}

void TQueue::ProcessMessages() {
    TMsg msg;
    while (PeekMessage(msg, FWindow.Handle())) DispatchMessage(msg);
}

bool TQueue::Contains(const void* item) const {
    return std::find(FItems.begin(), FItems.end(), item) != FItems.end();
}

intptr_t TQueue::WndProc(TMsg& msg) {
    if (msg.Message == WM_QUEUE_FIRST) {
        void* item = reinterpret_cast<void*>(msg.LParam);
        // An announcement can outlive its item's place at the head (a Stop
        // and Start in quick succession, a Pop meanwhile): only the current
        // head is handed on.
        if (FHandler && !FItems.empty() && FItems.front() == item) FHandler(*this, item, FStopped);
    }
    // WM_USER+1 to WM_USER+4 are ignored; nothing else reaches a queue.
    return 0;
}

} // namespace vorlin
