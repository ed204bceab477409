#include "app/ConnectionScreenshots.h"

#include "app/HttpGetForm.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/SettingsForm.h"
#include "app/dialogs/SettingsPage.h"
#include "ui/TreeConfig.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>

namespace vorlin::app {

namespace {

void Save(const QPixmap& picture, const QString& folder, const QString& name) {
    const QString path = folder + "/" + name + ".png";
    picture.save(path);
    std::printf("screenshot %s\n", path.toLocal8Bit().constData());
    std::fflush(stdout);
}

void ShootSettingsPage(THttpGetForm& window, const QString& folder) {
    QTimer::singleShot(800, &window, [&window, folder] {
        auto* dialog = qobject_cast<TSettingsForm*>(QApplication::activeModalWidget());
        if (dialog) {
            dialog->Pages()->ShowPage(dialog->Page(tgInternetConnection));
            // The fresh list of profiles comes while the dialog is open.
            QTimer::singleShot(700, dialog, [dialog, folder] {
                Save(dialog->grab(), folder, "settings-internet-connection");
                dialog->reject();
            });
        }
    });
    window.Actions().acSettings->trigger();
}

} // namespace

bool StartConnectionScreenshots(THttpGetForm& window) {
    const QString folder = qEnvironmentVariable("HTTPVORLIN_SCREENSHOTS");
    if (folder.isEmpty() || qEnvironmentVariable("HTTPVORLIN_TOUR") != "connection") return false;
    QObject::connect(&window, &THttpGetForm::StartUpDone, &window, [&window, folder] {
        QTimer::singleShot(500, &window, [&window, folder] {
            // The picture shows the window alone (the debug log stays out of it).
            for (QWidget* other : QApplication::topLevelWidgets())
                if (other != &window && other->isVisible()) other->hide();
            QMenu* menu = window.findChild<QMenu*>("miDialUp");
            if (menu) window.menuBar()->setActiveAction(menu->menuAction());
            QTimer::singleShot(500, &window, [&window, folder, menu] {
                // The open menu lies over the window: the screen shows both.
                const QRect area = window.frameGeometry()
                                       .united(menu ? menu->geometry() : QRect())
                                       .intersected(window.screen()->geometry());
                Save(window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()), folder, "dialup-menu");
                if (menu) menu->hide();
                ShootSettingsPage(window, folder);
                QTimer::singleShot(200, &window, [&window] { window.close(); });
            });
        });
    });
    return true;
}

} // namespace vorlin::app
