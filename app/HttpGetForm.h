// THttpGetForm: the main window. Owns the project tree, the download queue,
// the one running download, the log, the connection rows, the status bar
// and the structure view; translates the run's messages (it is the run's
// IMainWindow, served on this thread through a TMainWindowTarget) and asks
// every question through IDesktopDialogs, so its logic runs without a
// person (tests drive it offscreen).
#pragma once

#include "app/DesktopDialogs.h"
#include "app/ProjectTree.h"
#include "engine/MainWindow.h"
#include "engine/StructureList.h"
#include "project/ProgramSettings.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QComboBox;
class QDockWidget;
class QLabel;
class QListView;
class QMenu;
class QProgressBar;
class QSlider;
class QSortFilterProxyModel;
class QSystemTrayIcon;
class QTimer;
class QTreeView;

namespace vorlin {
class TDownloadThread;
class TMainWindowTarget;
class TMessageTarget;
class TPluginSystem;
class TPublishedWindow;
}

namespace vorlin::update {
class TProgUpdater;
class TQtUpdateDialogHost;
}

namespace vorlin::ui {
class TClientRowsModel;
class TLogModel;
class TStructureTreeModel;
}

namespace vorlin::app {

class TBookmarkMenus;
enum class TBookmarkSource;
class IConnectionService;
class TConnectionControl;
class TConnectionHost;
class TClipboardWatch;
class TLangLoader;
class TMessagePump;
class TProjectTreeModel;
class TProjectViewer;
class TQueueModel;

struct TFormOptions {
    std::string Home;           // the program directory
    bool Docking = false;       // "/docking": the panels can be undocked
    bool AfterUpdate = false;   // first argument "afterupdate"
    bool LoadPlugins = true;    // tests may run without the installed plugins
    IDesktopDialogs* Dialogs = nullptr;  // null: the real dialogs
    // The connection service (null: NetworkManager on the system bus).
    std::function<std::unique_ptr<IConnectionService>()> ConnectionService;
};

class THttpGetForm : public QMainWindow, public IMainWindow {
    Q_OBJECT
public:
    explicit THttpGetForm(const TFormOptions& options, QWidget* parent = nullptr);
    ~THttpGetForm() override;

    // --- What the window holds (for the program's helpers and its tests) ----
    TProjectTree& Tree() { return *FTree; }
    TProjectTreeModel& TreeModel() { return *FTreeModel; }
    TQueueModel& Queue() { return *FQueue; }
    ui::TStructureTreeModel& Structure() { return *FStructure; }
    ui::TLogModel& Log() { return *FLog; }
    ui::TClientRowsModel& ClientRows() { return *FClientRows; }
    TProgramSettings& Settings() { return FSettings; }
    IDesktopDialogs& Dialogs() { return *FDialogs; }
    TConnectionControl& Connection() { return *FConnection; }
    TRunState RunState() const { return FRunState; }
    bool RunExists() const { return FRun != nullptr; }
    bool StartedUp() const { return FStartedUp; }
    std::string StatusText(int panel) const;
    std::string CounterText(int which) const;  // 0 downloaded, 1 filtered out, 2 remaining, 3 links found
    int OverallProgress() const;
    std::string StructureProgressText() const;
    int ConnectionCount() const;
    void SetConnectionCount(int count);  // as the track bar does
    QTreeView* ProjectTreeView() const { return FProjectTreeView; }
    QTreeView* QueueView() const { return FQueueView; }
    QTreeView* StructureView() const { return FStructureView; }
    QTreeView* ProgressView() const { return FProgressView; }
    QListView* LogView() const { return FLogView; }
    QComboBox* UrlCombo() const { return FComboUrl; }
    QSystemTrayIcon* TrayIcon() const { return FTray; }
    TBookmarkMenus& Bookmarks() { return *FBookmarks; }

    // The actions, by their names in the design.
    struct TActions {
        QAction *acNewProject, *acNewProjFromTemplate, *acNewDirectory, *acNewTemplate, *acDeleteProj, *acRename,
            *acProperties, *acPutInQueue, *acDeleteFromQueue, *acQueuePosUp, *acQueuePosDown, *acStartDownload,
            *acPauseDownload, *acStopDownload, *acQueueStopped, *acShowInformation, *acShowStructure,
            *acOpenInBrowser, *acProjectReset, *acSchedule, *acMonitorClipboard, *acStructureClear,
            *acStructureShowURLInBrowser, *acStructureCopyURL, *acStructureShowAfterDownload,
            *acProgrListShowURLInBrowser, *acProgrListCopyURL, *acProgrListCancelDownload,
            *acProgrListCancelDownloadRetry, *acCopy, *acSaveAs, *acMinimize, *acMaximize, *acSettings,
            *acEnableDocking, *miAutoCheckUpdate, *acExit, *acShowDebugLog,
            *acCheckForUpdate, *acProgramUpdate;
    };
    const TActions& Actions() const { return FActions; }

    // --- Selection ------------------------------------------------------------
    TProjectNode* SelectedNode() const;
    void SelectNode(TProjectNode* node);
    int SelectedQueueRow() const;
    void SelectQueueRow(int row);
    void SelectClientRow(int row);
    // Selects the structure node with this path ("/host/dir/file").
    bool SelectStructurePath(const std::string& path);
    // The node of a project (null when none holds it).
    TProjectNode* NodeOfProject(const TDownloadProject* project) const;

    // --- Handlers the actions call (public so helpers and tests reach them) ---
    void UpdateActions();
    void NewProject();
    void NewDirectory();
    void NewTemplate();
    void DeleteSelected();
    void RenameNode(TProjectNode* node, const std::string& caption);
    void MoveNode(TProjectNode* node, TProjectNode* target);
    void PutInQueue();
    void DeleteFromQueue();
    void QueuePosUp();
    void QueuePosDown();
    void StartDownload();
    void PauseDownload();
    void StopDownload();
    void ShowInformation();
    void ShowStructure();
    void ProjectReset();
    void Schedule();
    void StructureClear();
    void StructureCopyURL();
    void StructureShowURLInBrowser();
    void StructureShowAfterDownload();
    void ProgrListCopyURL();
    void ProgrListShowURLInBrowser();
    void ProgrListCancel(bool retry);
    void CopyLog();
    void SaveLog();
    void EditSettings();
    void ProjectTreeDoubleClick(TProjectNode* node);
    // A node path from another program: select and enqueue, or say why not.
    void QueueNodePath(const std::string& nodePath);
    // One step of the structure synchronisation (timer tick, WM_USER+103).
    void StructureSyncStep();
    // The deferred start-up (WM_USER+101); runs once.
    void StartUp();
    // FormCloseQuery and the closing steps; false keeps the window open.
    bool CloseQuery();
    // Bookmarks (HttpGetFormBookmarks.cpp): an update action's import, and
    // a chosen bookmark (FavoritesClick).
    void UpdateBookMarks(TBookmarkSource source);
    void FavoritesClick(const std::string& caption, const std::string& url);
    // The update checker and the menu commands "Check for Update" and
    // "Programm Updaten" (HttpGetFormUpdate.cpp).
    update::TProgUpdater& Updater() { return *FUpdater; }
    void CheckForUpdateCommand();
    void ProgramUpdateCommand();
    // Opens the options dialog on a project or template (the dialog by default).
    std::function<void(TProjectNode* node)> OnOpenProjectOptions;

    // --- Projects from templates, the clipboard, viewing ----------------------
    // (HttpGetFormTemplates.cpp, HttpGetFormClipboard.cpp, HttpGetFormViewing.cpp)
    // Every step of a project from a template; the new node, or null when
    // the user cancelled (or it failed: the debug log says why).
    TProjectNode* CreateProjFromTemplate(const std::string& url, const std::string& caption = std::string());
    void NewProjFromTemplate();
    // An address given to the program ("HTTPVorlin URL", also handed over
    // by a second start): a project from a template for it.
    void OpenUrl(const std::string& url);
    // A copied address, by the clipboard reaction mode.
    void ClipboardUrl(const std::string& url);
    void OpenInBrowser();
    TClipboardWatch& ClipboardWatch() { return *FClipboard; }
    TProjectViewer& Viewer() { return *FViewer; }
    // --- Languages (HttpGetFormLanguage.cpp) ----------------------------------
    // Loads the language and shows the window, its menus, columns and
    // messages in it (menu "Sprachen"); errors go to the debug log.
    void SetLanguage(const std::string& name);
    TLangLoader& Languages() { return *FLangLoader; }
    QMenu* LanguageMenu() const { return FMenuLanguages; }

    // How many links the structure view takes per step (tests make it small).
    void SetStructureBatch(int links) { FStructureBatch = links; }
    // Finer run settings for tests: time-out in milliseconds, rate meter period.
    std::function<void(TDownloadThread& run)> OnRunCreated;

    // --- IMainWindow (the run's messages, on this thread) ---------------------
    void RunLog(const std::string& line) override;
    void ClearLog() override;
    void RunError(const std::string& line) override;
    void ClientStatus(int clientIndex, const std::string& text) override;
    void ClientURL(int clientIndex, const std::string& url) override;
    void ClientSize(int clientIndex, int64_t bytes) override;
    void ClientProgress(int clientIndex, int percent) override;
    void RunRate(int32_t bytesPerSecond) override;
    void RunStatus(const std::string& text) override;
    void RunStats(const TRunStats& stats) override;
    void RunBytes(int64_t projectSize) override;
    void RunStateChanged(TRunState state) override;
    void RunEnding() override;
    void ShutdownProgress(int percent, const std::string& text) override;
    void RunFinished() override;
    void SelectLinks(TDownloadProject& project, TDownloadLink& page) override;
    bool AskCredentials(TAuthRec& request) override;
    bool SelectStructure(TDownloadProject& project) override;

signals:
    // Emitted after a run has ended and the window has tidied up.
    void RunHasFinished();
    void StartUpDone();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Construction (HttpGetForm.cpp).
    void CreateActions();
    void CreateMenus();
    void CreatePanels();
    void CreateTray();
    QAction* NewAction(int tag, const char* name, void (THttpGetForm::*handler)(), const char* context);
    void Guard(const char* context, const std::function<void()>& body);

    // The tree (HttpGetFormTree.cpp).
    void LoadProjectTree();
    void SaveAllProjects();
    TProjectNode* HeadNode() const;
    bool IsHead(const TProjectNode* node) const;
    bool IsRunning(const TProjectNode* node) const;
    void EnqueueNode(TProjectNode* node);
    void AfterEnqueue();
    void DeleteNode(TProjectNode* node);
    void OpenOptions(TProjectNode* node);
    void EditProjectOptions(TProjectNode* node);

    // The run (HttpGetFormRun.cpp).
    void StartHead();
    void EndRun();
    void SetRunState(TRunState state);
    void PostToRun(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0,
                   std::unique_ptr<TPayload> payload = nullptr);
    void ClearStructure();
    void ClearCounters();
    void SetStatus(int panel, const std::string& text);
    void CloseClosingWindow();
    // Shows up to maxLinks links of the structure queue; answers how many wait.
    int SynchronizeStructure(int maxLinks);
    std::string SelectedClientURL() const;

    // Bookmarks (HttpGetFormBookmarks.cpp).
    void CreateBookmarkMenus();
    void ImportBookmarks(TBookmarkSource source);
    void ImportBookmarksAtStartUp();
    // Connection control (HttpGetFormConnection.cpp).
    void CreateConnectionControl();
    // Languages (HttpGetFormLanguage.cpp).
    void LoadStartLanguage();
    void BuildLanguageMenu();
    void RetranslateWindow();

    // Start-up and closing (HttpGetFormLifecycle.cpp).
    void LoadSettings();
    void SaveSettings();
    void ReadLayouts();
    void WriteLayouts();
    void ReadDockingLayout();
    void WriteDockingLayout();
    void LoadPlugins();
    void UnloadPlugins();
    void PublishMainWindow();
    intptr_t InterProcessMessage(TMsg& msg);
    void TrayActivated(int reason);

    // Updates (HttpGetFormUpdate.cpp).
    void CreateUpdater();
    void ConfigureUpdater();
    void AutomaticCheckForUpdate();
    void PendingCheckForUpdate();
    void ToggleShown();

    // Projects from templates, clipboard, viewing.
    void CreateCompanionActions();
    void SyncClipboardAction();
    void ShowViewingChoice();
    // Brings the window to the front for a question; answers whether it
    // was hidden or minimised, to put it back afterwards.
    bool BringToFront();
    void RestoreAfterClipboard(bool wasAway);

    TFormOptions FOptions;
    std::string FHome;
    TProgramSettings FSettings;
    std::unique_ptr<IDesktopDialogs> FOwnDialogs;
    IDesktopDialogs* FDialogs = nullptr;

    std::unique_ptr<TProjectTree> FTree;
    TProjectTreeModel* FTreeModel = nullptr;
    QSortFilterProxyModel* FTreeSort = nullptr;
    TQueueModel* FQueue = nullptr;
    ui::TStructureTreeModel* FStructure = nullptr;
    QSortFilterProxyModel* FStructureSort = nullptr;
    ui::TLogModel* FLog = nullptr;
    ui::TClientRowsModel* FClientRows = nullptr;

    QTreeView* FProjectTreeView = nullptr;
    QTreeView* FQueueView = nullptr;
    QTreeView* FStructureView = nullptr;
    QTreeView* FProgressView = nullptr;
    QListView* FLogView = nullptr;
    QComboBox* FComboUrl = nullptr;
    QSlider* FTbNumOfHttpCli = nullptr;
    QLabel* FLbNumOfHttpCli = nullptr;
    QLabel* FStatusPanels[3] = {};
    QLabel* FCounters[4] = {};
    QProgressBar* FProgressBars[2] = {};
    QProgressBar* FPbStructureSynchronized = nullptr;
    QLabel* FLbStructureSynchronized = nullptr;
    QSystemTrayIcon* FTray = nullptr;
    std::vector<QDockWidget*> FDocks;
    TActions FActions{};
    QMenu* FMenuLanguages = nullptr;
    std::unique_ptr<TLangLoader> FLangLoader;
    TBookmarkMenus* FBookmarks = nullptr;

    QTimer* FQueueTimer = nullptr;
    QTimer* FStructureSyncTimer = nullptr;
    std::unique_ptr<TConnectionHost> FConnectionHost;
    TConnectionControl* FConnection = nullptr;

    // The run and its protocol.
    std::unique_ptr<TMainWindowTarget> FTarget;
    std::unique_ptr<TDownloadThread> FRun;
    TRunState FRunState = TRunState::ssIdle;
    TStructureList FStructureQueue;
    int FSynchronizedCount = 0;
    bool FSyncStepRunning = false;
    bool FSyncStepPosted = false;
    int FStructureBatch = 256;
    bool FFirstStart = true;
    bool FClosing = false;
    bool FClosingConfirmed = false;
    TMessagePump* FPump = nullptr;
    std::unique_ptr<TPluginSystem> FPlugins;

    // Programs of the same user.
    std::unique_ptr<TMessageTarget> FInterProcessTarget;
    std::unique_ptr<TPublishedWindow> FPublished;
    bool FShownOnce = false;
    bool FStartedUp = false;
    bool FAtomAdded = false;

    std::unique_ptr<update::TQtUpdateDialogHost> FUpdateDialogs;
    std::unique_ptr<update::TProgUpdater> FUpdater;
    bool FUpdateChecked = false;   // a check has run in this program run
    bool FUpdateWaiting = false;   // a silent check found an update
    TClipboardWatch* FClipboard = nullptr;
    std::unique_ptr<TProjectViewer> FViewer;
};

} // namespace vorlin::app
