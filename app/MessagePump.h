// Serves the platform message queue of the GUI thread from Qt's event loop:
// the queue's wake descriptor is watched with a QSocketNotifier, and every
// wake dispatches what is pending (posted messages of a run, calls sent into
// this thread, its platform timers). No polling timer.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace vorlin::app {

class TMessagePump : public QObject {
    Q_OBJECT
public:
    explicit TMessagePump(QObject* parent = nullptr);

    // Dispatches everything pending now (also called by the notifier).
    void Pump();

private:
    QSocketNotifier* FNotifier;
    static constexpr int kMaxDepth = 4;
    int FDepth = 0;
};

} // namespace vorlin::app
