// `updater`: applies a downloaded update package to the installed program
// and starts it again. Arguments: the main program's executable and the
// package (both full paths). It waits for the program to close, checks the
// package's signature, installs it all-or-nothing, restarts the program
// with "afterupdate" and ends when the restarted program closes its window.
#include "platform/FileSystem.h"
#include "updater/PatchSession.h"
#include "updater/PatcherWindow.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

using namespace vorlin;
using namespace vorlin::updater;

namespace {

void ShowError(QWidget* parent, const QString& text) {
    std::fprintf(stderr, "updater: %s\n", text.toLocal8Bit().constData());
    QMessageBox::critical(parent, QApplication::applicationName(), text);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    application.setApplicationName("updater");
    application.setQuitOnLastWindowClosed(true);
    TPatcherWindow window;
    window.show();
    const QStringList arguments = application.arguments();
    if (arguments.size() < 3) {
        ShowError(&window, QString("Wrong parameters! Correct:\r\n%1 <httpvorlin.exe> <updatefile.dat>")
                               .arg(QString::fromStdString(ExtractFileName(arguments.value(0).toStdString()))));
        return 1;
    }
    window.Publish();
    const std::string mainProgram = arguments[1].toStdString();
    const std::string package = arguments[2].toStdString();
    TPatchSession session(ExecutableDirectory(), window);
    try {
        session.CheckMainProgram(mainProgram);
        if (!session.WaitForPrograms()) return 2;  // the user closed the window: nothing changed
        session.ApplyPackage(package);
    } catch (const std::exception& e) {
        ShowError(&window, QString::fromStdString(e.what()));
        return 1;
    }
    window.SetPhaseProgress(100);
    if (!session.RestartMainProgram(mainProgram)) {
        ShowError(&window, QString("The update was installed, but %1 could not be started again")
                               .arg(QString::fromStdString(mainProgram)));
        return 1;
    }
    if (window.Closed()) return 0;
    return application.exec();
}
