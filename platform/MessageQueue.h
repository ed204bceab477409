// The per-thread message queues that stand in for Windows thread message
// queues: posting to targets and threads from any thread, blocking get,
// peek with or without removal (filtered by target and message range),
// dispatch to the target's handler, timers, socket readiness turned into
// WSAAsyncSelect-style notifications, and synchronous calls into another
// thread's loop. Every thread gets its queue on first use.
#pragma once

#include "platform/Messages.h"

#include <functional>
#include <memory>

namespace vorlin {

TThreadId CurrentThreadId();
// The thread that loaded the program (the front end's user-interface thread).
TThreadId MainThreadId();

// Posting never blocks and may happen from any thread. A message for a
// target or thread that no longer exists is dropped (false) and its payload
// freed.
bool PostMessage(THandle target, uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0,
                 std::unique_ptr<TPayload> payload = nullptr);
bool PostThreadMessage(TThreadId thread, uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0,
                       std::unique_ptr<TPayload> payload = nullptr);
// Posts WM_QUIT (WParam = exit code) to the calling thread.
void PostQuitMessage(int exitCode = 0);

// Waits for the next message of the calling thread without using CPU.
// Answers false for WM_QUIT (which is returned in msg all the same).
bool GetMessage(TMsg& msg);
// Looks for a pending message; target 0 matches every message, first = last
// = 0 every number. A peek without filter also collects expired timers and
// socket readiness first; a filtered peek only looks at what is queued.
bool PeekMessage(TMsg& msg, THandle target = 0, uint32_t first = 0, uint32_t last = 0, bool remove = true);
// Hands the message to its target's handler; a thread message or a message
// for a destroyed target is dropped. Answers the handler's result.
intptr_t DispatchMessage(TMsg& msg);
// Waits until a message, timer or readiness is pending (or ms pass; -1 forever).
void WaitMessage(int timeoutMs = -1);

// Runs the target's handler on the target's thread and waits for it. The
// waiting thread goes on serving calls made into its own loop, so two
// threads calling each other do not deadlock. Answers 0 when the target or
// its thread has gone.
intptr_t SendMessage(THandle target, uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0,
                     std::unique_ptr<TPayload> payload = nullptr);
// Runs fn inside the loop of another thread and waits for it to return
// (directly when called on that thread). False when that thread has no loop
// any more. An exception of fn is reported to the debug log on its thread.
bool RunSynchronized(TThreadId thread, const std::function<void()>& fn);

// Timers of the calling thread: WM_TIMER (WParam = id) is posted to the
// target every intervalMs; at most one is pending per timer. Setting an
// existing timer restarts it; killing one also drops its pending WM_TIMER.
bool SetTimer(THandle target, uintptr_t id, uint32_t intervalMs);
bool KillTimer(THandle target, uintptr_t id);

// Socket readiness for the calling thread, after WSAAsyncSelect: the events
// asked for (FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE) are posted to the
// target as message with WParam = fd and LParam = WSAMakeSelectReply(events,
// error code). Each reported event is disarmed until re-enabled: FD_READ by
// a receive, FD_WRITE by a send that would block; FD_CONNECT and FD_CLOSE
// are reported once. events = 0 stops the notifications and drops those
// still queued, so a reused descriptor number never receives stale ones.
bool AsyncSelect(int fd, THandle target, uint32_t message, uint32_t events);
void ReenableSelectEvent(int fd, uint32_t event);

// Runs on the calling thread each time its loop is about to wait for work
// (in GetMessage, WaitMessage, or before a foreign loop waits): work the
// thread hands to others in batches is set going then. One per thread; an
// empty function removes it. An exception it raises goes to the debug log.
void SetIdleHandler(std::function<void()> handler);

// For a foreign event loop (the desktop program's): a descriptor that turns
// readable when the calling thread has work, and a call that dispatches
// everything pending without blocking. ProcessPendingMessages answers false
// when it met WM_QUIT (which it leaves in the queue).
int QueueDescriptor();
bool ProcessPendingMessages();

} // namespace vorlin
