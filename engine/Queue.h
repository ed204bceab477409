// TQueue: a first-in-first-out queue of borrowed items that announces its
// first item through its own target, and so through the owning thread's
// loop, whenever that item changes while the queue runs. The handler may
// answer stop, which stops the queue and leaves the item first.
#pragma once

#include "platform/MessageTarget.h"

#include <cstdint>
#include <deque>
#include <functional>

namespace vorlin {

class TQueue {
public:
    using THandler = std::function<void(TQueue& queue, void* item, bool& stop)>;
    static constexpr uint32_t WM_QUEUE_FIRST = WM_USER + 5;

    explicit TQueue(THandler handler = nullptr);
    TQueue(const TQueue&) = delete;
    TQueue& operator=(const TQueue&) = delete;

    void Push(void* item);
    // Removes the first item (the item itself is not freed).
    void Pop();
    void Stop() { FStopped = true; }
    void Start();
    // Dispatches every pending message of the queue's own target.
    void ProcessMessages();

    void* First() const { return FItems.empty() ? nullptr : FItems.front(); }
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    bool Empty() const { return FEmpty; }
    bool Stopped() const { return FStopped; }
    bool Contains(const void* item) const;
    THandle Handle() const { return FWindow.Handle(); }
    void SetHandler(THandler handler) { FHandler = std::move(handler); }

private:
    void Announce();
    intptr_t WndProc(TMsg& msg);

    std::deque<void*> FItems;
    bool FStopped = true;
    bool FEmpty = true;
    THandler FHandler;
    TMessageTarget FWindow;
};

} // namespace vorlin
