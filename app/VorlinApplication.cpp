#include "app/VorlinApplication.h"

#include "platform/DebugLog.h"

namespace vorlin::app {

TVorlinApplication::TVorlinApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TVorlinApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        DebugLogReport(std::string("Error in ") + (receiver ? receiver->metaObject()->className() : "?") + " ()",
                       e.what());
    } catch (...) {
        DebugLogReport("Error in an event handler", "unknown exception");
    }
    return false;
}

} // namespace vorlin::app
