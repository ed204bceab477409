// HTTPVorlin, the desktop program: the main window over the download
// engine. Arguments: "/docking" (panels can be undocked), "afterupdate"
// (first; an update was just applied), "--home DIR" (the program directory,
// as `vorlin --home`; else $HTTPVORLIN_HOME, else the program's own), and an
// http:// or https:// address: a project from a template for it, made by
// the program that runs already when there is one.
#include "app/CommandLine.h"
#include "app/ConnectionScreenshots.h"
#include "app/DebugLogWindow.h"
#include "app/HttpGetForm.h"
#include "app/ScreenshotTour.h"
#include "app/VorlinApplication.h"
#include "app/dialogs/rules/QtRuleEditor.h"
#include "platform/ProgramHome.h"

#include <QString>
#include <QTimer>
#include <cstdio>

using namespace vorlin;

int main(int argc, char** argv) {
    const app::TCommandLine line = app::ParseCommandLine([&] {
        QStringList arguments;
        for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
        return arguments;
    }());
    for (const std::string& ignored : line.Ignored)
        std::fprintf(stderr, "HTTPVorlin: ignoring \"%s\" (not an http:// or https:// address nor an option)\n",
                     ignored.c_str());
    // A second start with an address: the running window makes the project.
    if (!line.Url.empty() && app::HandUrlToRunningWindow(line.Url)) return 0;

    app::TVorlinApplication application(argc, argv);
    application.setApplicationName("HTTPVorlin");
    application.setApplicationDisplayName("HTTP Vorlin");

    app::TFormOptions options;
    options.Docking = line.Docking;
    options.AfterUpdate = line.AfterUpdate;
    options.Home = ProgramHome(line.Home);

    app::TfmDebugLog debugLog;
    debugLog.Install();
    // The rule engine opens its dialogs through this editor (the command line has none).
    app::TQtRuleEditor ruleEditor;
    app::TRuleEditorInstallation ruleEditorInstalled(ruleEditor);
    // Closing the main window ends the program, even with the debug log open.
    debugLog.setAttribute(Qt::WA_QuitOnClose, false);
    app::THttpGetForm window(options);
    if (!app::StartConnectionScreenshots(window)) app::TScreenshotTour::FromEnvironment(window, debugLog);
    if (!line.Url.empty()) {
        // After the settings are read (the default template and directory).
        QObject::connect(&window, &app::THttpGetForm::StartUpDone, &window, [&window, url = line.Url] {
            QTimer::singleShot(0, &window, [&window, url] { window.OpenUrl(url); });
        });
    }
    window.show();
    return application.exec();
}
