// Taking an item out of the middle of a TQueue: the queue itself only pops
// its first item. Order and the stopped state are kept; a running queue
// announces its first item again.
#pragma once

namespace vorlin {

class TQueue;

// True when the item was in the queue.
bool RemoveFromQueue(TQueue& queue, const void* item);

} // namespace vorlin
