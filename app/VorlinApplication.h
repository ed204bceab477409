// The desktop program's QApplication: an exception that escapes a Qt event
// handler is reported to the debug log window and the program goes on.
#pragma once

#include <QApplication>

namespace vorlin::app {

class TVorlinApplication : public QApplication {
    Q_OBJECT
public:
    TVorlinApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace vorlin::app
