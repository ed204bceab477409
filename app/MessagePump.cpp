#include "app/MessagePump.h"

#include "platform/DebugLog.h"
#include "platform/MessageQueue.h"

#include <QSocketNotifier>

namespace vorlin::app {

TMessagePump::TMessagePump(QObject* parent)
    : QObject(parent), FNotifier(new QSocketNotifier(QueueDescriptor(), QSocketNotifier::Read, this)) {
    connect(FNotifier, &QSocketNotifier::activated, this, [this] { Pump(); });
}

void TMessagePump::Pump() {
    // A modal dialog opened by a message (the credentials prompt) runs a
    // nested loop that goes on serving the run, as a nested message loop
    // does; the depth is bounded so a storm of dialogs can't recurse away.
    if (FDepth >= kMaxDepth) return;
    ++FDepth;
    try {
        if (!ProcessPendingMessages()) {
            // Nobody ends this thread's loop with WM_QUIT; one that got
            // here would block the queue for good.
            TMsg quit;
            PeekMessage(quit, 0, WM_QUIT, WM_QUIT, true);
            DebugLog("TMessagePump: a WM_QUIT for the window thread was dropped");
        }
    } catch (const std::exception& e) {
        DebugLogReport("TMessagePump", e.what());
    }
    --FDepth;
}

} // namespace vorlin::app
