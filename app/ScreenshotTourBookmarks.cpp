// The screenshot tour's bookmark pictures: the menu "Importierte
// Lesezeichen" opened down to a folder of each browser that has one, and
// the settings pages of the four sources.
#include "app/BookmarkMenus.h"
#include "app/DebugLogWindow.h"
#include "app/HttpGetForm.h"
#include "app/ScreenshotTour.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/SettingsForm.h"
#include "app/dialogs/SettingsPage.h"
#include "app/texts/BookmarkTexts.h"
#include "ui/TreeConfig.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <cstdio>

namespace vorlin::app {

namespace {

void Wait(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

QMenu* FirstSubmenu(QMenu* menu) {
    for (QAction* action : menu->actions())
        if (action->menu()) return action->menu();
    return nullptr;
}

} // namespace

void TScreenshotTour::ShootBookmarks() {
    FWindow.move(0, 0);
    FDebugLog.hide();
    // Netscape bookmarks are not read at start-up unless asked for: its
    // update action reads them, as a person would.
    FWindow.Bookmarks().UpdateAction(TBookmarkSource::bsNetscape)->trigger();
    QMenu* top = FWindow.findChild<QMenu*>("miImportedBookmarks");
    const struct {
        TBookmarkSource Source;
        const char* Name;
    } sources[] = {{TBookmarkSource::bsNetscape, "bookmarks-netscape"},
                   {TBookmarkSource::bsInternetExplorer, "bookmarks-favourites"},
                   {TBookmarkSource::bsFirefox, "bookmarks-firefox"},
                   {TBookmarkSource::bsChromium, "bookmarks-chromium"}};
    for (const auto& source : sources) {
        QMenu* menu = FWindow.Bookmarks().Menu(source.Source);
        if (!top || menu->actions().size() <= 2) continue;
        // Cascade as a person opens it: the top menu, the browser's, its first folder.
        const QRect bar = FWindow.menuBar()->actionGeometry(top->menuAction());
        top->popup(FWindow.menuBar()->mapToGlobal(bar.bottomLeft()));
        top->setActiveAction(menu->menuAction());
        menu->popup(top->mapToGlobal(top->actionGeometry(menu->menuAction()).topRight()));
        QMenu* folder = FirstSubmenu(menu);
        if (folder) {
            menu->setActiveAction(folder->menuAction());
            folder->popup(menu->mapToGlobal(menu->actionGeometry(folder->menuAction()).topRight()));
        }
        Wait(400);
        const QString path = FFolder + "/" + source.Name + ".png";
        QGuiApplication::primaryScreen()->grabWindow(0).save(path);
        std::printf("screenshot %s\n", path.toLocal8Bit().constData());
        std::fflush(stdout);
        if (folder) folder->close();
        menu->close();
        top->close();
        Wait(400);
    }

    const struct {
        int Tag;
        const char* Name;
    } pages[] = {{tgNetscape, "settings-bookmarks-netscape"},
                 {tgInternetExplorer, "settings-bookmarks-favourites"},
                 {tgFirefoxPage, "settings-bookmarks-firefox"},
                 {tgChromiumPage, "settings-bookmarks-chromium"}};
    for (const auto& page : pages) {
        const int tag = page.Tag;
        const QString name = page.Name;
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, this, [this, tag, name] {
            auto* dialog = qobject_cast<TSettingsForm*>(QApplication::activeModalWidget());
            if (!dialog) return;
            auto* pages = dialog->findChild<ui::TTreeConfig*>("TreeConfig");
            if (TSettingsPage* shown = dialog->Page(tag); pages && shown) pages->ShowPage(shown);
            QTimer::singleShot(300, dialog, [this, dialog, name] {
                Save(dialog, name);
                dialog->reject();
            });
        });
        timer.start(500);
        FWindow.Actions().acSettings->trigger();
        timer.stop();
    }
}

} // namespace vorlin::app
