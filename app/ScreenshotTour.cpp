#include "app/ScreenshotTour.h"

#include "app/DebugLogWindow.h"
#include "app/HttpGetForm.h"
#include "app/ProjectTreeModel.h"
#include "app/dialogs/OptionsForm.h"
#include "app/dialogs/OptionsRulesPage.h"
#include "app/dialogs/OptionsTexts.h"
#include "app/dialogs/rules/RuleForm.h"
#include "app/texts/Texts.h"
#include "ui/TreeConfig.h"
#include "app/dialogs/TargetDirForm.h"
#include "platform/DebugLog.h"
#include "project/DownloadProject.h"
#include "ui/LogModel.h"
#include "update/UpdateDownloadForm.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

namespace vorlin::app {

TScreenshotTour::TScreenshotTour(THttpGetForm& window, TfmDebugLog& debugLog, QString folder, QString url)
    : QObject(&window), FWindow(window), FDebugLog(debugLog), FFolder(std::move(folder)), FURL(std::move(url)) {
    QDir().mkpath(FFolder);
    connect(&FWindow, &THttpGetForm::StartUpDone, this, [this] { QTimer::singleShot(300, this, [this] { Begin(); }); });
}

TScreenshotTour* TScreenshotTour::FromEnvironment(THttpGetForm& window, TfmDebugLog& debugLog) {
    const QString folder = qEnvironmentVariable("HTTPVORLIN_SCREENSHOTS");
    if (folder.isEmpty()) return nullptr;
    return new TScreenshotTour(window, debugLog, folder, qEnvironmentVariable("HTTPVORLIN_TOUR_URL"));
}

void TScreenshotTour::Save(QWidget* widget, const QString& name) {
    if (!widget) return;
    const QString path = FFolder + "/" + name + ".png";
    widget->grab().save(path);
    std::printf("screenshot %s\n", path.toLocal8Bit().constData());
    std::fflush(stdout);
}

void TScreenshotTour::Begin() {
    TProjectTree& tree = FWindow.Tree();
    TProjectNode* node = tree.ChildByCaption(tree.Projects(), "Sample Site");
    if (!node) {
        node = tree.NewProject(tree.Projects(), "Sample Site");
        node->Project->URL = FURL.toStdString();
        node->Project->Destination = QDir(FFolder).filePath("copy").toStdString();
        node->Project->ProjectMode = pmOfflineBrowse;
        node->Project->ScopeMode = smStayOnServer;
        node->Project->SaveToFile(tree.BasePath(node) + ".prj");
    }
    // "During": the first time a few files are in and more are waiting.
    connect(&FWindow.Log(), &QAbstractItemModel::rowsInserted, this, [this] {
        if (FDuringTaken || QString::fromStdString(FWindow.CounterText(0)).toInt() < 4 || QString::fromStdString(FWindow.CounterText(2)).toInt() < 1) return;
        FDuringTaken = true;
        Save(&FWindow, "main-window-during");
    });
    connect(&FWindow, &THttpGetForm::RunHasFinished, this, [this] {
        QTimer::singleShot(500, this, [this] { AfterDownload(); });
    });
    FWindow.SelectNode(node);
    FWindow.PutInQueue();
}

void TScreenshotTour::ShootModal(const std::function<void()>& trigger, const QString& name) {
    // The timer fires inside the dialog's own loop; a dialog that never
    // showed leaves it to be stopped here, so it can't take the next one.
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, [this, name] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            Save(dialog, name);
            dialog->reject();
        }
    });
    timer.start(600);
    trigger();
    timer.stop();
}

void TScreenshotTour::ShootOptions() {
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, [this] {
        auto* form = qobject_cast<TOptionsForm*>(QApplication::activeModalWidget());
        if (!form) return;
        for (int tag : {tgProjectMode, tgScope, tgStartData, tgManners, tgFileExtensions, tgLimits, tgMisc, tgAdvancedFilters,
                        tgPlugins}) {
            form->Pages()->ShowPage(form->Page(tag));
            QApplication::processEvents();
            Save(form, "options-" + QString::fromStdString(Text(tag)).remove(' ').toLower());
        }
        // A new rule's dialog; cancelled, the rule goes again.
        form->Pages()->ShowPage(form->Page(tgAdvancedFilters));
        QTimer::singleShot(600, this, [this] {
            if (auto* rule = qobject_cast<TRuleForm*>(QApplication::activeModalWidget())) {
                Save(rule, "rule-dialog");
                rule->reject();
            }
        });
        form->RulesPage()->AddRule();
        form->reject();
    });
    timer.start(600);
    FWindow.Actions().acProperties->trigger();
    timer.stop();
}

void TScreenshotTour::AfterDownload() {
    Save(&FWindow, "main-window-after");
    ShootModal([this] { FWindow.Actions().acSettings->trigger(); }, "settings-dialog");
    ShootOptions();
    ShootModal([this] { FWindow.Actions().acShowInformation->trigger(); }, "statistics-dialog");
    // A project from a template: the template dialog (closed with Cancel,
    // which ends the flow) and the target directory question.
    TProjectTree& tree = FWindow.Tree();
    for (const char* caption : {"Standard", "Nur Bilder", "Tiefe 2, ohne Skripte"})
        if (!tree.ChildByCaption(tree.Templates(), caption)) tree.NewProject(tree.Templates(), caption);
    FWindow.UrlCombo()->setEditText(FURL);
    ShootModal([this] { FWindow.Actions().acNewProjFromTemplate->trigger(); }, "template-dialog");
    ShootModal(
        [this] {
            TTargetDirForm form(QDir::homePath() + "/Downloads", false, &FWindow);
            form.exec();
        },
        "target-directory-dialog");
    ShootBookmarks();
    // The "Update Download" dialog half-way through a package.
    ShootModal(
        [this] {
            update::TUpdateDownload download;
            download.Status = update::utReceiving;
            download.Progress = 42;
            download.SizeText = "2345 KB";
            update::TfmUpdateDownload dialog(download, &FWindow);
            dialog.exec();
        },
        "update-download-dialog");
    DebugLogReport("Error in ScreenshotTour ()", "a sample report, to show the window");
    QTimer::singleShot(500, this, [this] {
        Save(&FDebugLog, "debug-log-window");
        FDebugLog.hide();
        InOtherLanguage();
    });
}

void TScreenshotTour::InOtherLanguage() {
    // The menu "Sprachen" open (a popup is only on the screen, not in the window).
    QMenu* menu = FWindow.LanguageMenu();
    FWindow.menuBar()->setActiveAction(menu->menuAction());
    QTimer::singleShot(400, this, [this, menu] {
        const QRect area = FWindow.frameGeometry().united(menu->geometry());
        const QString path = FFolder + "/language-menu.png";
        QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(path);
        std::printf("screenshot %s\n", path.toLocal8Bit().constData());
        menu->hide();
        FWindow.SetLanguage("Deutsch");
        QTimer::singleShot(300, this, [this] {
            Save(&FWindow, "main-window-deutsch");
            ShootModal([this] { FWindow.Actions().acSettings->trigger(); }, "settings-dialog-deutsch");
            FWindow.SetLanguage("English");
            FWindow.close();
        });
    });
}

} // namespace vorlin::app
