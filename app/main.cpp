// HTTPVorlin, the desktop program: the main window over the download
// engine. Arguments: "/docking" (panels can be undocked), "afterupdate"
// (first; an update was just applied), "--home DIR" (the program directory,
// as `vorlin --home`; else $HTTPVORLIN_HOME, else the program's own).
#include "app/ConnectionScreenshots.h"
#include "app/DebugLogWindow.h"
#include "app/HttpGetForm.h"
#include "app/ScreenshotTour.h"
#include "app/VorlinApplication.h"
#include "app/dialogs/rules/QtRuleEditor.h"
#include "platform/ProgramHome.h"

#include <QString>

using namespace vorlin;

int main(int argc, char** argv) {
    app::TVorlinApplication application(argc, argv);
    application.setApplicationName("HTTPVorlin");
    application.setApplicationDisplayName("HTTP Vorlin");

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
    // The rule engine opens its dialogs through this editor (the command line has none).
    app::TQtRuleEditor ruleEditor;
    app::TRuleEditorInstallation ruleEditorInstalled(ruleEditor);
    // Closing the main window ends the program, even with the debug log open.
    debugLog.setAttribute(Qt::WA_QuitOnClose, false);
    app::THttpGetForm window(options);
    if (!app::StartConnectionScreenshots(window)) app::TScreenshotTour::FromEnvironment(window, debugLog);
    window.show();
    return application.exec();
}
