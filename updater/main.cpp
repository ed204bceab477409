// `updater`: applies a downloaded update package to the installed program
// and starts it again. Arguments: the main program's executable and the
// package (both full paths). It waits for the program to close, checks the
// package's signature, installs it all-or-nothing, restarts the program
// with "afterupdate" and ends when the restarted program closes its window.
// Without arguments but with HTTPVORLIN_SCREENSHOTS (a folder), it saves a
// picture of its window at work there instead (tools/screenshots.sh).
#include "platform/FileSystem.h"
#include "updater/PatchSession.h"
#include "updater/PatcherWindow.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <cstdio>

using namespace vorlin;
using namespace vorlin::updater;

namespace {

void ShowError(QWidget* parent, const QString& text) {
    std::fprintf(stderr, "updater: %s\n", text.toLocal8Bit().constData());
    QMessageBox::critical(parent, QApplication::applicationName(), text);
}

// The window as it looks half-way through a package, saved as a PNG.
int SavePicture(TPatcherWindow& window, const QString& folder) {
    window.SetFileText("Patching HTTPVorlin");
    window.SetFileProgress(70);
    window.SetPhaseText("Patching 3 files");
    window.SetPhaseProgress(40);
    QApplication::processEvents();
    QDir().mkpath(folder);
    const QString path = folder + "/patcher-window.png";
    if (!window.grab().save(path)) return 1;
    std::printf("screenshot %s\n", path.toLocal8Bit().constData());
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    application.setApplicationName("updater");
    application.setQuitOnLastWindowClosed(true);
    TPatcherWindow window;
    window.show();
    const QStringList arguments = application.arguments();
    const QString pictures = qEnvironmentVariable("HTTPVORLIN_SCREENSHOTS");
    if (arguments.size() == 1 && !pictures.isEmpty()) return SavePicture(window, pictures);
    if (arguments.size() < 3) {
        ShowError(&window, QString("Wrong parameters! Correct:\r\n%1 <httpvorlin.exe> <updatefile.dat>")
                               .arg(QString::fromStdString(ExtractFileName(arguments.value(0).toStdString()))));
        return 1;
    }
    window.Publish();
    const std::string mainProgram = arguments[1].toStdString();
    const std::string package = arguments[2].toStdString();
    // What the program asks to be restarted with (its --home).
    std::vector<std::string> restartArguments;
    for (qsizetype i = 3; i < arguments.size(); ++i) restartArguments.push_back(arguments[i].toStdString());
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
    if (!session.RestartMainProgram(mainProgram, restartArguments)) {
        ShowError(&window, QString("The update was installed, but %1 could not be started again")
                               .arg(QString::fromStdString(mainProgram)));
        return 1;
    }
    if (window.Closed()) return 0;
    return application.exec();
}
