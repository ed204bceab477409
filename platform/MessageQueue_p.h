// Internal hooks of the message layer for the thread class and targets.
#pragma once

#include "platform/Messages.h"

namespace vorlin {
class TMessageTarget;
namespace detail {

// A queue not yet bound to a thread, so messages can be posted to a thread
// object before it runs.
TThreadId CreateThreadQueue();
// The calling thread adopts the queue.
void BindThreadQueue(TThreadId id);
// Drops what is pending and releases threads waiting in SendMessage.
void CloseThreadQueue(TThreadId id);

THandle RegisterTarget(TMessageTarget* target);
void UnregisterTarget(THandle handle);

} // namespace detail
} // namespace vorlin
