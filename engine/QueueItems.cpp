#include "engine/QueueItems.h"

#include "engine/Queue.h"

#include <vector>

namespace vorlin {

bool RemoveFromQueue(TQueue& queue, const void* item) {
    if (!queue.Contains(item)) return false;
    const bool wasStopped = queue.Stopped();
    queue.Stop();
    std::vector<void*> kept;
    while (!queue.Empty()) {
        if (queue.First() != item) kept.push_back(queue.First());
        queue.Pop();
    }
    for (void* other : kept) queue.Push(other);
    if (!wasStopped) queue.Start();
    return true;
}

} // namespace vorlin
