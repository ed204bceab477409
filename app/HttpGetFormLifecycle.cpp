// The main window's life: the deferred start-up after the first show, the
// program settings and layout files, the plugins, the programs of the same
// user (scheduler, `vorlin queue`, the patcher), the tray icon and closing.
#include "app/HttpGetForm.h"

#include "app/CommandLine.h"
#include "app/MainWindowTexts.h"
#include "app/UrlCandidate.h"
#include "app/MessagePump.h"
#include "app/ProjectTreeModel.h"
#include "app/QueueModel.h"
#include "app/connection/ConnectionControl.h"
#include "app/texts/Texts.h"
#include "engine/DownloadThread.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/InterProcess.h"
#include "platform/MessageQueue.h"
#include "platform/MessageTarget.h"
#include "platform/ProgramHome.h"
#include "platform/Shell.h"
#include "platform/Stream.h"
#include "ui/StructureTreeModel.h"
#include "update/ProgUpdater.h"
#include "platform/Ticks.h"
#include "project/DownloadProject.h"
#include "project/ProgramSettingsFile.h"
#include "rules/PluginSystem.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDataStream>
#include <QDockWidget>
#include <QFile>
#include <QHeaderView>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTreeView>
#include <QWindowStateChangeEvent>
#include <thread>

namespace vorlin::app {

namespace {

constexpr const char* kSettingsFile = "HttpVorlin.ini";
constexpr const char* kLayoutFile = "settings.cfg";
constexpr const char* kDockingFile = "docking.cfg";
constexpr const char* kMainWindowClass = "THttpGetForm";
constexpr const char* kSchedulerClass = "TfmSchedulerMain";
constexpr const char* kSchedulerProgram = "Scheduler";
// The patcher may close the window through its system menu's command.
constexpr uint32_t kWmSysCommand = 0x0112;
constexpr uintptr_t kScClose = 0xF060;
// The longest node path taken from another program.
constexpr size_t kMaxNodePath = 4096;

uint32_t HWM_SCHEDULEPROJECT() { return RegisterWindowMessage("HWM_SCHEDULEPROJECT"); }
uint32_t HWM_REQUESTPROJECT() { return RegisterWindowMessage("HWM_REQUESTPROJECT"); }
uint32_t HWM_QUEUETASK() { return RegisterWindowMessage("HWM_QUEUETASK"); }
uint32_t HWM_REQUESTTASK() { return RegisterWindowMessage("HWM_REQUESTTASK"); }

QByteArray ReadWholeFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteWholeFile(const std::string& path, const QByteArray& bytes) {
    WriteFileAtomically(path, [&](TFileStream& file) { file.Write(bytes.constData(), bytes.size()); });
}

} // namespace

// --- Start-up ----------------------------------------------------------------------

void THttpGetForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (FShownOnce) return;
    FShownOnce = true;
    ReadDockingLayout();
    // WM_USER+101: after the first paint.
    QTimer::singleShot(0, this, [this] { StartUp(); });
}

void THttpGetForm::StartUp() {
    if (FStartedUp) return;
    FStartedUp = true;
    Guard("Error in StartUp ()", [&] {
        DebugLog(windowTitle().toStdString());
        // The structure panel's minimum fits a 1280-pixel screen; once shown
        // it is made wider, so that file names show whole (a saved docking
        // layout, read with the settings, wins).
        if (auto* box = findChild<QDockWidget*>("gbStructure")) resizeDocks({box}, {400}, Qt::Horizontal);
        LoadSettings();
        BuildLanguageMenu();
        ImportBookmarksAtStartUp();
        LoadPlugins();
        if (FOptions.AfterUpdate) FUpdater->FinishUpdate();
        FAtomAdded = AddGlobalAtom("HW_MAIN");
        // The profiles are at hand when the settings dialog opens.
        if (FSettings.ConnType == 1) FConnection->RefreshEntries();
        FConnection->UpdateActions();
        PublishMainWindow();
    });
    emit StartUpDone();
}

void THttpGetForm::LoadSettings() {
    try {
        LoadProgramSettingsFile(FHome + kSettingsFile, FSettings);
    } catch (const std::exception& e) {
        // The rest of loading is skipped; the defaults stay.
        RunError(std::string("Error loading the program settings: ") + e.what());
        return;
    }
    FTbNumOfHttpCli->setValue(std::clamp<int>(FSettings.NumberOfThreads, kMinClients, kMaxClients));
    SetConnectionCount(FTbNumOfHttpCli->value());
    FActions.miAutoCheckUpdate->setChecked(FSettings.AutoCheckForUpdates);
    FActions.acEnableDocking->setChecked(FSettings.EnableDocking);
    ConfigureUpdater();
    SyncClipboardAction();
}

void THttpGetForm::SaveSettings() {
    FSettings.NumberOfThreads = FTbNumOfHttpCli->value();
    FSettings.AutoCheckForUpdates = FActions.miAutoCheckUpdate->isChecked();
    FSettings.EnableDocking = FActions.acEnableDocking->isChecked();
    TIniFile ini;
    ini.LoadFromFile(FHome + kSettingsFile);
    WriteProgramSettings(ini, FSettings);
    if (FOptions.Docking) {
        std::string loadOrder;
        for (QDockWidget* box : FDocks) {
            const std::string name = box->objectName().toStdString();
            ini.WriteBool("Docking-Settings", name + ".Floating", box->isFloating());
            ini.WriteBool("Docking-Settings", name + ".Visible", box->isVisible());
            const QRect bounds = box->geometry();
            ini.WriteInteger("Docking-Settings", name + ".Top", bounds.top());
            ini.WriteInteger("Docking-Settings", name + ".Left", bounds.left());
            ini.WriteInteger("Docking-Settings", name + ".Right", bounds.right());
            ini.WriteInteger("Docking-Settings", name + ".Bottom", bounds.bottom());
            if (!box->isFloating()) loadOrder += (loadOrder.empty() ? "" : ",") + name;
        }
        ini.WriteString("Docking-Settings", "LoadOrder", loadOrder);
    }
    ForceDirectories(FHome);
    ini.SaveToFile(FHome + kSettingsFile);
    WriteLayouts();
    WriteDockingLayout();
}

// "settings.cfg": the column layouts of the project tree and the structure
// tree, one after the other, as their headers save them.
void THttpGetForm::ReadLayouts() {
    QByteArray bytes = ReadWholeFile(FHome + kLayoutFile);
    if (bytes.isEmpty()) return;
    QDataStream in(&bytes, QIODevice::ReadOnly);
    QByteArray tree, structure;
    in >> tree >> structure;
    if (in.status() != QDataStream::Ok) return;
    FProjectTreeView->header()->restoreState(tree);
    FStructureView->header()->restoreState(structure);
}

void THttpGetForm::WriteLayouts() {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << FProjectTreeView->header()->saveState() << FStructureView->header()->saveState();
    WriteWholeFile(FHome + kLayoutFile, bytes);
}

void THttpGetForm::ReadDockingLayout() {
    if (!FOptions.Docking) return;
    QByteArray bytes = ReadWholeFile(FHome + kDockingFile);
    if (bytes.isEmpty()) return;
    if (!restoreState(bytes)) DebugLog("Error while loading docking settings...");
}

void THttpGetForm::WriteDockingLayout() {
    if (!FOptions.Docking) return;
    bool docked = false;
    for (QDockWidget* box : FDocks) docked = docked || !box->isFloating();
    if (!docked) {
        DeleteFile(FHome + kDockingFile);
        return;
    }
    WriteWholeFile(FHome + kDockingFile, saveState());
}

void THttpGetForm::LoadPlugins() {
    if (!FOptions.LoadPlugins || FPlugins) return;
    FPlugins = std::make_unique<TPluginSystem>(PluginDirectory(FHome));
    FPlugins->Load();
    FPlugins->Initialize();
}

void THttpGetForm::UnloadPlugins() {
    if (!FPlugins) return;
    FPlugins->Deinitialize();
    FPlugins.reset();
}

void THttpGetForm::EditSettings() {
    TProgramSettings copy = FSettings;
    copy.NumberOfThreads = FTbNumOfHttpCli->value();
    if (!FDialogs->EditSettings(copy)) return;
    FSettings = copy;
    SetConnectionCount(FSettings.NumberOfThreads);
    UpdateActions();  // the connection type enables the dial-up actions
    SyncClipboardAction();
}

// --- Programs of the same user ------------------------------------------------------

void THttpGetForm::PublishMainWindow() {
    if (!FInterProcessTarget)
        FInterProcessTarget = std::make_unique<TMessageTarget>([this](TMsg& msg) { return InterProcessMessage(msg); });
    FPublished = PublishWindow(kMainWindowClass, FInterProcessTarget->Handle(), windowTitle().toStdString());
    if (!FPublished) DebugLog("The main window could not be published for the scheduler");
}

intptr_t THttpGetForm::InterProcessMessage(TMsg& msg) {
    try {
        const TRemoteWindow own = FPublished ? FPublished->Window() : 0;
        if (msg.Message == WM_COPYDATA) {
            auto* data = msg.PayloadAs<TCopyData>();
            if (!data) return 0;
            if (data->Tag == kUrlHandOverTag) {
                // "HTTPVorlin URL" started a second time: the address comes here.
                const size_t length = std::min(data->Bytes.size(), kMaxUrlCandidate + 1);
                std::string url(data->Bytes.begin(), data->Bytes.begin() + static_cast<long>(length));
                url = url.substr(0, url.find('\0'));
                QTimer::singleShot(0, this, [this, url] { OpenUrl(url); });
                return 1;
            }
            const size_t length = std::min(data->Bytes.size(), kMaxNodePath);
            std::string path(data->Bytes.begin(), data->Bytes.begin() + static_cast<long>(length));
            path = path.substr(0, path.find('\0'));
            // Handled after the sender was released: the answer may ask the user.
            QTimer::singleShot(0, this, [this, path] {
                Guard("Error in WMCopyData ()", [&] { QueueNodePath(path); });
            });
        } else if (msg.Message == WM_CLOSE || (msg.Message == kWmSysCommand && msg.WParam == kScClose)) {
            QTimer::singleShot(0, this, [this] { close(); });
        } else if (msg.Message == HWM_REQUESTPROJECT()) {
            // The value is the node's number handed out before, looked up again.
            TProjectNode* node = FTree->FindById(static_cast<uint32_t>(msg.LParam));
            if (!node) return 0;
            TCopyData reply;
            const std::string path = FTree->NodePath(node);
            reply.Bytes.assign(path.begin(), path.end());
            reply.Bytes.push_back(0);
            SendCopyData(static_cast<TRemoteWindow>(msg.WParam), own, reply);
        } else if (msg.Message == HWM_QUEUETASK()) {
            PostRemoteMessage(static_cast<TRemoteWindow>(msg.WParam), HWM_REQUESTTASK(), own, msg.LParam);
        }
    } catch (const std::exception& e) {
        DebugLogReport("Error in InterProcessMessage ()", e.what());
    }
    return 0;
}

void THttpGetForm::Schedule() {
    TProjectNode* node = SelectedNode();
    if (!node || FTree->KindOf(node) != TNodeKind::nkProject) return;
    const std::string scheduler = ProgramDirectory() + kSchedulerProgram;
    if (!GlobalAtomExists("HW_SCHEDULER")) {
        if (!FileExists(scheduler)) {
            FDialogs->Message(FormatText(mtNoScheduler, {FTree->NodePath(node)}));
            return;
        }
        StartDetached(scheduler, {});
        // Wait for it to announce itself, serving messages meanwhile; a
        // scheduler that never comes up must not hang the window.
        const uint32_t started = GetTickCount();
        while (!GlobalAtomExists("HW_SCHEDULER") && GetTickCount() - started < 10000) {
            QApplication::processEvents(QEventLoop::AllEvents, 50);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    const TRemoteWindow window = FindWindowByClass(kSchedulerClass);
    if (!window) {
        FDialogs->Message(FormatText(mtSchedulerDidNotStart, {scheduler}), true);
        return;
    }
    PostRemoteMessage(window, HWM_SCHEDULEPROJECT(), FPublished ? FPublished->Window() : 0, node->Id);
}

// --- Tray icon -----------------------------------------------------------------------

void THttpGetForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) && FTray)
        QTimer::singleShot(0, this, [this] { hide(); });
}

void THttpGetForm::ToggleShown() {
    if (isVisible() && !(windowState() & Qt::WindowMinimized)) {
        hide();
    } else {
        showNormal();
        raise();
        activateWindow();
    }
}

void THttpGetForm::TrayActivated(int reason) {
    if (reason == QSystemTrayIcon::Trigger) {
        showNormal();
        raise();
        activateWindow();
    } else if (reason == QSystemTrayIcon::DoubleClick) {
        ToggleShown();
    }
}

// --- Closing -------------------------------------------------------------------------

void THttpGetForm::closeEvent(QCloseEvent* event) {
    if (FClosing || CloseQuery())
        event->accept();
    else
        event->ignore();
}

bool THttpGetForm::CloseQuery() {
    if (FClosing) return true;
    if (FRun && FDialogs->Question(Text(mtDownloadRunning), TButtons::bnYesNo, TAnswer::anNo) != TAnswer::anYes)
        return false;
    FClosing = true;
    // The queue is emptied but for a running head, which leaves when its run ends.
    while (FQueue->Count() > (FRun ? 1 : 0)) FQueue->RemoveAt(FQueue->Count() - 1);
    if (FAtomAdded) DeleteGlobalAtom("HW_MAIN");
    FAtomAdded = false;
    FPublished.reset();
    Guard("Error saving settings", [&] { SaveSettings(); });
    if (FRun) {
        try {
            StopDownload();
            // The run's messages are served until it has said it ended.
            const uint32_t started = GetTickCount();
            while (FRun) {
                WaitMessage(100);
                ProcessPendingMessages();
                QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                if (GetTickCount() - started > 120000) throw std::runtime_error("the download did not end");
            }
        } catch (const std::exception& e) {
            DebugLogReport("Error waiting for DownloadThread", e.what());
        }
    }
    Guard("Error saving projects", [&] { SaveAllProjects(); });
    FStructure->Clear();
    FTree->Clear();
    FConnection->Release();
    UnloadPlugins();
    return true;
}

} // namespace vorlin::app
