// HTTPVorlin, the desktop program: the main window over the download
// engine. Arguments: "/docking" (panels can be undocked), "afterupdate"
// (first; an update was just applied), "--home DIR" (the program directory,
// as `vorlin --home`; else $HTTPVORLIN_HOME, else the program's own).
#include "app/DebugLogWindow.h"
#include "app/HttpGetForm.h"
#include "app/ScreenshotTour.h"
#include "app/VorlinApplication.h"
#include "platform/ProgramHome.h"

#include <QString>
#include <cstdio>

using namespace vorlin;

int main(int argc, char** argv) {
    app::TVorlinApplication application(argc, argv);
    application.setApplicationName("HTTPVorlin");
    application.setApplicationDisplayName("HTTP Vorlin");
    application.setQuitOnLastWindowClosed(false);

    app::TFormOptions options;
    std::string home;
    const QStringList arguments = application.arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument.compare("/docking", Qt::CaseInsensitive) == 0)
            options.Docking = true;
        else if (i == 1 && argument == "afterupdate")
            options.AfterUpdate = true;
        else if (argument == "--home" && i + 1 < arguments.size())
            home = arguments[++i].toStdString();
    }
    options.Home = ProgramHome(home);

    app::TfmDebugLog debugLog;
    debugLog.Install();
    int status = 0;
    {
        app::THttpGetForm window(options);
        QObject::connect(&window, &app::THttpGetForm::destroyed, &application, &QApplication::quit);
        app::TScreenshotTour::FromEnvironment(window, debugLog);
        window.show();
        // Closing the main window ends the program (the debug log may still be open).
        window.setAttribute(Qt::WA_QuitOnClose, true);
        application.setQuitOnLastWindowClosed(true);
        debugLog.setAttribute(Qt::WA_QuitOnClose, false);
        status = application.exec();
    }
    return status;
}
