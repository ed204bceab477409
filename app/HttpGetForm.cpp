// The main window's construction: actions, menus, panels, tray icon, and
// the one function that enables the actions for the current selection.
#include "app/HttpGetForm.h"

#include "app/DisplayFormats.h"
#include "app/MainWindowTexts.h"
#include "app/MessagePump.h"
#include "app/ProjectTreeModel.h"
#include "app/WindowConnectionHost.h"
#include "app/connection/ConnectionControl.h"
#include "app/ProjectViewer.h"
#include "app/QtDesktopDialogs.h"
#include "app/QueueModel.h"
#include "app/texts/LangLoader.h"
#include "app/texts/Tagging.h"
#include "app/texts/Texts.h"
#include "engine/DownloadThread.h"
#include "engine/MainWindowTarget.h"
#include "engine/RunTexts.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/InterProcess.h"
#include "platform/MessageQueue.h"
#include "platform/MessageTarget.h"
#include "platform/Ticks.h"
#include "project/DownloadProject.h"
#include "rules/PluginSystem.h"
#include "ui/ClientRowsModel.h"
#include "ui/LogModel.h"
#include "ui/ProgressDelegate.h"
#include "ui/StructureTreeModel.h"

#include "update/ProgUpdater.h"
#include "update/UpdateDownloadForm.h"
#include "update/UpdateTexts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QSlider>
#include <QSortFilterProxyModel>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace vorlin::app {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Folders before projects, then by caption (case-insensitively).
class TProjectTreeSort : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override {
        try {
            auto* model = static_cast<TProjectTreeModel*>(sourceModel());
            TProjectNode* a = model->NodeOf(left);
            TProjectNode* b = model->NodeOf(right);
            if (!a || !b) return false;
            // The three top folders keep their order.
            if (!a->Parent || !b->Parent) return left.row() < right.row();
            if (a->IsFolder != b->IsFolder) return a->IsFolder;
            if (left.column() == 0)
                return QString::localeAwareCompare(Q(a->Caption), Q(b->Caption)) < 0;
            return QSortFilterProxyModel::lessThan(left, right);
        } catch (const std::exception& e) {
            DebugLogReport("Error in ProjectTreeCompare ()", e.what());
            return false;
        }
    }
};

// Segments sorted by caption; the size column by bytes.
class TStructureSort : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override {
        try {
            if (left.column() == 1) return left.data(Qt::UserRole).toLongLong() < right.data(Qt::UserRole).toLongLong();
            return QString::compare(left.data().toString(), right.data().toString(), Qt::CaseInsensitive) < 0;
        } catch (const std::exception& e) {
            DebugLogReport("Error in StructureTreeCompare()", e.what());
            return false;
        }
    }
};

// The project tree's keys: Delete deletes, F2 renames, Enter enqueues.
class TProjectTreeView : public QTreeView {
public:
    std::function<void()> OnDelete;
    using QTreeView::QTreeView;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Delete && OnDelete && state() != EditingState) {
            OnDelete();
            return;
        }
        QTreeView::keyPressEvent(event);
    }
};

} // namespace

THttpGetForm::THttpGetForm(const TFormOptions& options, QWidget* parent)
    : QMainWindow(parent), FOptions(options), FHome(IncludeTrailingSlash(options.Home)) {
    AddMainWindowTexts();
    CreateUpdater();
    setObjectName("HttpGetForm");
    SetTag(this, tgForm);
    setWindowIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));
    if (options.Dialogs) {
        FDialogs = options.Dialogs;
    } else {
        FOwnDialogs = std::make_unique<TQtDesktopDialogs>(this);
        FDialogs = FOwnDialogs.get();
    }

    // The run's messages reach this thread's platform queue; Qt's loop serves it.
    FPump = new TMessagePump(this);
    FTarget = std::make_unique<TMainWindowTarget>(*this);
    LoadStartLanguage();

    // The options dialog; tests and other flows may put their own in its place.
    OnOpenProjectOptions = [this](TProjectNode* node) { EditProjectOptions(node); };

    // The top folders name their directories: every language keeps the
    // built-in names, so that a translation can't hide the projects.
    FTree = std::make_unique<TProjectTree>(FHome, std::vector<std::string>{BuiltinText(mtTopProjects),
                                                                           BuiltinText(mtTopQuickProjects),
                                                                           BuiltinText(mtTopTemplates)});
    FTreeModel = new TProjectTreeModel(*FTree, this);
    FTreeModel->OnRename = [this](TProjectNode* node, const std::string& caption) { RenameNode(node, caption); };
    FTreeModel->OnMove = [this](TProjectNode* node, TProjectNode* target) { MoveNode(node, target); };
    FTreeModel->IsLocked = [this](const TProjectNode* node) { return IsRunning(node); };
    FQueue = new TQueueModel(this);
    FQueue->OnNodesDropped = [this](const QMimeData* data) {
        Guard("Error in QueueListDragDrop ()", [&] {
            for (TProjectNode* node : FTreeModel->NodesOf(data)) EnqueueNode(node);
            AfterEnqueue();
        });
    };
    FStructure = new ui::TStructureTreeModel(this);
    FStructure->SetCaptions({Q(Text(mtColStructure)), Q(Text(mtColFilesize)), Q(Text(mtColDLStatus))},
                            {Q(RunText(628)), Q(RunText(626)), Q(RunText(627))});
    FLog = new ui::TLogModel(this);
    FClientRows = new ui::TClientRowsModel(this);
    FClientRows->SetCaptions({Q(Text(ptNumber)), Q(Text(ptStatus)), Q(Text(ptURL)), Q(Text(ptSize)),
                              Q(Text(ptProgress))});

    FQueueTimer = new QTimer(this);
    FQueueTimer->setObjectName("QueueTimer");
    FQueueTimer->setInterval(250);
    connect(FQueueTimer, &QTimer::timeout, this, [this] {
        FQueue->SetHeadAnimationStep((FQueue->HeadAnimationStep() + 1) % 4);
    });
    FStructureSyncTimer = new QTimer(this);
    FStructureSyncTimer->setObjectName("StructureSyncTimer");
    FStructureSyncTimer->setInterval(100);
    connect(FStructureSyncTimer, &QTimer::timeout, this, [this] { StructureSyncStep(); });

    CreateActions();
    CreateConnectionControl();
    CreatePanels();
    CreateMenus();
    CreateTray();
    // As wide as the screen allows, up to what shows every column whole.
    const QRect screenArea = screen() ? screen()->availableGeometry() : QRect(0, 0, 1440, 900);
    resize(std::min(1440, screenArea.width()), std::min(720, screenArea.height()));

    ReadLayouts();
    LoadProjectTree();
    for (int i = 0; i < FTree->TopCount(); ++i)
        FProjectTreeView->expand(FTreeSort->mapFromSource(FTreeModel->IndexOf(FTree->Top(i))));
    UpdateActions();
}

THttpGetForm::~THttpGetForm() {
    // A window torn down without closing (tests, a failed start) still ends
    // its run in order and keeps the projects.
    if (FRun) {
        FClosing = true;
        PostToRun(WM_QUIT);
        // The run sends its last state changes here: serve them until it has ended.
        const uint32_t started = GetTickCount();
        while (FRun && GetTickCount() - started < 120000) {
            WaitMessage(100);
            ProcessPendingMessages();
        }
        if (FRun) FRun->WaitFor();
        FRun.reset();
    }
    FPublished.reset();
    UnloadPlugins();
    // The model goes before the tree it watches (Qt would free it later).
    FTreeSort->setSourceModel(nullptr);
    delete FTreeModel;
    FTreeModel = nullptr;
    // The control goes before the host it calls.
    delete FConnection;
    FConnection = nullptr;
}

void THttpGetForm::Guard(const char* context, const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& e) {
        DebugLogReport(context, e.what());
    }
}

QAction* THttpGetForm::NewAction(int tag, const char* name, void (THttpGetForm::*handler)(), const char* context) {
    auto* action = new QAction(this);
    action->setObjectName(name);
    SetTag(action, tag);
    if (handler)
        connect(action, &QAction::triggered, this, [this, handler, context] { Guard(context, [&] { (this->*handler)(); }); });
    return action;
}

void THttpGetForm::CreateActions() {
    TActions& a = FActions;
    QStyle* s = style();
    a.acNewProject = NewAction(tgNewProject, "acNewProject", &THttpGetForm::NewProject, "Error in NewProject ()");
    a.acNewProject->setIcon(s->standardIcon(QStyle::SP_FileIcon));
    a.acNewProjFromTemplate = NewAction(tgNewProjFromTemplate, "acNewProjFromTemplate", nullptr, "");
    a.acNewDirectory = NewAction(tgNewDirectory, "acNewDirectory", &THttpGetForm::NewDirectory, "Error in NewDirectory ()");
    a.acNewDirectory->setIcon(s->standardIcon(QStyle::SP_FileDialogNewFolder));
    a.acNewTemplate = NewAction(tgNewTemplate, "acNewTemplate", &THttpGetForm::NewTemplate, "Error in NewTemplate ()");
    a.acDeleteProj = NewAction(tgDeleteProj, "acDeleteProj", &THttpGetForm::DeleteSelected, "Error in DeleteProject ()");
    a.acDeleteProj->setIcon(s->standardIcon(QStyle::SP_TrashIcon));
    a.acRename = NewAction(tgRename, "acRename", nullptr, "");
    connect(a.acRename, &QAction::triggered, this, [this] {
        if (TProjectNode* node = SelectedNode())
            FProjectTreeView->edit(FTreeSort->mapFromSource(FTreeModel->IndexOf(node)));
    });
    a.acRename->setShortcut(Qt::Key_F2);
    a.acProperties = NewAction(tgProperties, "acProperties", nullptr, "");
    connect(a.acProperties, &QAction::triggered, this, [this] {
        Guard("Error in Properties ()", [&] { OpenOptions(SelectedNode()); });
    });
    a.acPutInQueue = NewAction(tgPutInQueue, "acPutInQueue", &THttpGetForm::PutInQueue, "Error in PutInQueue ()");
    a.acPutInQueue->setIcon(s->standardIcon(QStyle::SP_ArrowDown));
    a.acDeleteFromQueue =
        NewAction(tgDeleteFromQueue, "acDeleteFromQueue", &THttpGetForm::DeleteFromQueue, "Error in DeleteFromQueue ()");
    a.acQueuePosUp = NewAction(tgQueuePosUp, "acQueuePosUp", &THttpGetForm::QueuePosUp, "Error in QueuePosUp ()");
    a.acQueuePosUp->setIcon(s->standardIcon(QStyle::SP_ArrowUp));
    a.acQueuePosDown = NewAction(tgQueuePosDown, "acQueuePosDown", &THttpGetForm::QueuePosDown, "Error in QueuePosDown ()");
    a.acQueuePosDown->setIcon(s->standardIcon(QStyle::SP_ArrowDown));
    a.acStartDownload = NewAction(tgStartDownload, "acStartDownload", &THttpGetForm::StartDownload, "Error in StartDownload ()");
    a.acStartDownload->setIcon(s->standardIcon(QStyle::SP_MediaPlay));
    a.acPauseDownload = NewAction(tgPauseDownload, "acPauseDownload", &THttpGetForm::PauseDownload, "Error in PauseDownload ()");
    a.acPauseDownload->setIcon(s->standardIcon(QStyle::SP_MediaPause));
    a.acStopDownload = NewAction(tgStopDownload, "acStopDownload", &THttpGetForm::StopDownload, "Error in StopDownload ()");
    a.acStopDownload->setIcon(s->standardIcon(QStyle::SP_MediaStop));
    a.acQueueStopped = NewAction(tgQueueStopped, "acQueueStopped", nullptr, "");
    a.acQueueStopped->setCheckable(true);
    a.acShowInformation =
        NewAction(tgShowInformation, "acShowInformation", &THttpGetForm::ShowInformation, "Error in ShowInformation ()");
    a.acShowInformation->setIcon(s->standardIcon(QStyle::SP_FileDialogInfoView));
    a.acShowStructure = NewAction(tgShowStructure, "acShowStructure", &THttpGetForm::ShowStructure, "Error in ShowStructure ()");
    a.acOpenInBrowser = NewAction(tgOpenInBrowser, "acOpenInBrowser", nullptr, "");
    a.acProjectReset = NewAction(tgProjectReset, "acProjectReset", &THttpGetForm::ProjectReset, "Error in ProjectReset ()");
    a.acSchedule = NewAction(tgSchedule, "acSchedule", &THttpGetForm::Schedule, "Error in Schedule ()");
    a.acMonitorClipboard = NewAction(tgMonitorClipboard, "acMonitorClipboard", nullptr, "");
    a.acMonitorClipboard->setCheckable(true);
    a.acStructureClear = NewAction(tgStructureClear, "acStructureClear", &THttpGetForm::StructureClear, "Error in StructureClear ()");
    a.acStructureShowURLInBrowser = NewAction(tgStructureShowURLInBrowser, "acStructureShowURLInBrowser",
                                              &THttpGetForm::StructureShowURLInBrowser, "Error in StructureShowURL ()");
    a.acStructureCopyURL =
        NewAction(tgStructureCopyURL, "acStructureCopyURL", &THttpGetForm::StructureCopyURL, "Error in StructureCopyURL ()");
    a.acStructureShowAfterDownload = NewAction(tgStructureShowAfterDownload, "acStructureShowAfterDownload",
                                               &THttpGetForm::StructureShowAfterDownload, "Error in ShowAfterDownload ()");
    a.acProgrListShowURLInBrowser = NewAction(tgProgrListShowURLInBrowser, "acProgrListShowURLInBrowser",
                                              &THttpGetForm::ProgrListShowURLInBrowser, "Error in ProgrListShowURL ()");
    a.acProgrListCopyURL =
        NewAction(tgProgrListCopyURL, "acProgrListCopyURL", &THttpGetForm::ProgrListCopyURL, "Error in ProgrListCopyURL ()");
    a.acProgrListCancelDownload = NewAction(tgProgrListCancelDownload, "acProgrListCancelDownload", nullptr, "");
    connect(a.acProgrListCancelDownload, &QAction::triggered, this,
            [this] { Guard("Error in ProgrListCancel ()", [&] { ProgrListCancel(false); }); });
    a.acProgrListCancelDownloadRetry = NewAction(tgProgrListCancelDownloadRetry, "acProgrListCancelDownloadRetry", nullptr, "");
    connect(a.acProgrListCancelDownloadRetry, &QAction::triggered, this,
            [this] { Guard("Error in ProgrListCancel ()", [&] { ProgrListCancel(true); }); });
    a.acCopy = NewAction(tgCopy, "acCopy", &THttpGetForm::CopyLog, "Error in Copy ()");
    a.acSaveAs = NewAction(tgSaveAs, "acSaveAs", &THttpGetForm::SaveLog, "Error in SaveAs ()");
    a.acMinimize = NewAction(tgMinimize, "acMinimize", nullptr, "");
    connect(a.acMinimize, &QAction::triggered, this, [this] { hide(); });
    a.acMaximize = NewAction(tgMaximize, "acMaximize", nullptr, "");
    connect(a.acMaximize, &QAction::triggered, this, [this] {
        showNormal();
        raise();
        activateWindow();
    });
    a.acSettings = NewAction(tgSettings, "acSettings", &THttpGetForm::EditSettings, "Error in Settings ()");
    a.acSettings->setIcon(s->standardIcon(QStyle::SP_ComputerIcon));
    a.acEnableDocking = NewAction(tgEnableDocking, "acEnableDocking", nullptr, "");
    a.acEnableDocking->setCheckable(true);
    a.miAutoCheckUpdate = NewAction(tgAutoCheckUpdate, "miAutoCheckUpdate", nullptr, "");
    a.miAutoCheckUpdate->setCheckable(true);
    a.miAutoCheckUpdate->setChecked(true);
    a.acExit = NewAction(tgExit, "acExit", nullptr, "");
    connect(a.acExit, &QAction::triggered, this, &QWidget::close);
    a.acShowDebugLog = NewAction(tgShowDebugLog, "acShowDebugLog", nullptr, "");
    a.acCheckForUpdate = NewAction(update::tgCheckForUpdate, "acCheckForUpdate", &THttpGetForm::CheckForUpdateCommand,
                                   "Error in CheckForUpdate ()");
    a.acProgramUpdate = NewAction(update::tgProgramUpdate, "acProgramUpdate", &THttpGetForm::ProgramUpdateCommand,
                                  "Error in ProgramUpdate ()");
    CreateCompanionActions();
}

void THttpGetForm::CreateMenus() {
    const TActions& a = FActions;
    auto* project = menuBar()->addMenu(QString());
    SetTag(project, tgMenuProject);
    project->addActions({a.acNewProject, a.acNewProjFromTemplate, a.acNewDirectory, a.acNewTemplate});
    project->addSeparator();
    project->addActions({a.acRename, a.acDeleteProj, a.acProperties, a.acProjectReset});
    project->addSeparator();
    project->addActions({a.acShowInformation, a.acShowStructure, a.acOpenInBrowser, a.acSchedule});
    project->addSeparator();
    project->addAction(a.acExit);
    auto* queue = menuBar()->addMenu(QString());
    SetTag(queue, tgMenuQueue);
    queue->addActions({a.acPutInQueue, a.acDeleteFromQueue, a.acQueuePosUp, a.acQueuePosDown, a.acQueueStopped});
    auto* download = menuBar()->addMenu(QString());
    SetTag(download, tgMenuDownload);
    download->addActions({a.acStartDownload, a.acPauseDownload, a.acStopDownload});
    download->addSeparator();
    download->addActions({a.acCopy, a.acSaveAs, a.acStructureClear});
    auto* extras = menuBar()->addMenu(QString());
    SetTag(extras, tgMenuExtras);
    extras->addActions({a.acSettings, a.acMonitorClipboard, a.miAutoCheckUpdate, a.acEnableDocking});
    extras->addSeparator();
    extras->addActions({a.acCheckForUpdate, a.acProgramUpdate});
    extras->addSeparator();
    extras->addActions({a.acShowDebugLog, a.acMinimize});
    menuBar()->addMenu(FConnection->CreateMenu(this));
    CreateBookmarkMenus();
    FMenuLanguages = menuBar()->addMenu(QString());
    SetTag(FMenuLanguages, tgMenuLanguages);

    auto* tools = addToolBar("Tools");
    tools->setObjectName("ToolBar");
    tools->addActions({a.acNewProject, a.acNewDirectory, a.acDeleteProj, a.acShowInformation});
    tools->addSeparator();
    tools->addActions({a.acPutInQueue, a.acQueuePosUp, a.acQueuePosDown});
    tools->addSeparator();
    tools->addActions({a.acStartDownload, a.acPauseDownload, a.acStopDownload});
    tools->addSeparator();
    tools->addAction(a.acSettings);
    tools->setToolButtonStyle(Qt::ToolButtonIconOnly);

    auto* band = addToolBar("URL");
    band->setObjectName("UrlBand");
    auto* urlLabel = new QLabel(band);
    SetTag(urlLabel, tgUrlLabel);
    band->addWidget(urlLabel);
    band->addWidget(FComboUrl);
    band->addSeparator();
    band->addWidget(FLbNumOfHttpCli);
    band->addWidget(FTbNumOfHttpCli);
}

void THttpGetForm::CreatePanels() {
    const TActions& a = FActions;
    // The address band and the number of connections.
    FComboUrl = new QComboBox(this);
    FComboUrl->setObjectName("comboUrl");
    FComboUrl->setEditable(true);
    FComboUrl->setInsertPolicy(QComboBox::NoInsert);
    FComboUrl->setMinimumWidth(360);
    FComboUrl->lineEdit()->setPlaceholderText("http://");
    connect(FComboUrl->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        Guard("Error in comboUrlKeyPress ()", [&] {
            const std::string url = FComboUrl->currentText().trimmed().toStdString();
            if (url.empty()) return;
            TProjectNode* match = nullptr;
            FTree->ForEach([&](TProjectNode* node) {
                if (!match && node->Project && !FTree->IsUnderTemplates(node) && node->Project->URL == url) match = node;
            });
            if (match) {
                if (FDialogs->Question(Text(mtUrlExists), TButtons::bnYesNo, TAnswer::anYes) == TAnswer::anYes) {
                    SelectNode(match);
                    PutInQueue();
                }
            } else {
                CreateProjFromTemplate(url);
            }
            if (FComboUrl->findText(Q(url)) < 0) FComboUrl->addItem(Q(url));
            FComboUrl->setCurrentIndex(-1);
            FComboUrl->clearEditText();
        });
    });
    FTbNumOfHttpCli = new QSlider(Qt::Horizontal, this);
    FTbNumOfHttpCli->setObjectName("tbNumOfHttpCli");
    FTbNumOfHttpCli->setRange(kMinClients, kMaxClients);
    FTbNumOfHttpCli->setValue(FSettings.NumberOfThreads);
    FTbNumOfHttpCli->setFixedWidth(160);
    FTbNumOfHttpCli->setTickPosition(QSlider::TicksBelow);
    FLbNumOfHttpCli = new QLabel(this);
    FLbNumOfHttpCli->setObjectName("lbNumOfHttpCli");
    FLbNumOfHttpCli->setMinimumWidth(110);
    connect(FTbNumOfHttpCli, &QSlider::valueChanged, this, [this](int value) {
        Guard("Error in tbNumOfHttpCliChange ()", [&] { SetConnectionCount(value); });
    });
    FLbNumOfHttpCli->setText(Q(FormatText(mtConnections, {std::to_string(FTbNumOfHttpCli->value())})));

    // Project tree.
    FTreeSort = new TProjectTreeSort(this);
    FTreeSort->setSourceModel(FTreeModel);
    FTreeSort->setDynamicSortFilter(true);
    auto* treeView = new TProjectTreeView(this);
    treeView->OnDelete = [this] { Guard("Error in DeleteProject ()", [&] { DeleteSelected(); }); };
    FProjectTreeView = treeView;
    FProjectTreeView->setObjectName("ProjectTree");
    FProjectTreeView->setModel(FTreeSort);
    FProjectTreeView->setSortingEnabled(true);
    FProjectTreeView->sortByColumn(0, Qt::AscendingOrder);
    FProjectTreeView->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    FProjectTreeView->setDragDropMode(QAbstractItemView::DragDrop);
    FProjectTreeView->setDefaultDropAction(Qt::MoveAction);
    FProjectTreeView->setContextMenuPolicy(Qt::ActionsContextMenu);
    FProjectTreeView->addActions({a.acPutInQueue, a.acNewProject, a.acNewDirectory, a.acNewTemplate, a.acRename,
                                  a.acDeleteProj, a.acProperties, a.acShowInformation, a.acShowStructure,
                                  a.acProjectReset, a.acSchedule});
    FProjectTreeView->setMinimumWidth(240);
    FProjectTreeView->header()->setStretchLastSection(false);
    FProjectTreeView->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    FProjectTreeView->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    connect(FProjectTreeView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { Guard("Error in ProjectTreeClick ()", [&] { UpdateActions(); }); });
    connect(FProjectTreeView, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        Guard("Error in ProjectTreeDblClick ()",
              [&] { ProjectTreeDoubleClick(FTreeModel->NodeOf(FTreeSort->mapToSource(index))); });
    });

    // Queue.
    FQueueView = new QTreeView(this);
    FQueueView->setObjectName("QueueList");
    FQueueView->setModel(FQueue);
    FQueueView->setRootIsDecorated(false);
    FQueueView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FQueueView->setDragDropMode(QAbstractItemView::DragDrop);
    FQueueView->setDefaultDropAction(Qt::MoveAction);
    FQueueView->setDropIndicatorShown(true);
    FQueueView->setContextMenuPolicy(Qt::ActionsContextMenu);
    FQueueView->addActions({a.acDeleteFromQueue, a.acQueuePosUp, a.acQueuePosDown, a.acQueueStopped});
    FQueueView->setMinimumWidth(240);
    FQueueView->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    FQueueView->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    FQueueView->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    FQueueView->header()->setStretchLastSection(false);
    connect(FQueueView->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { UpdateActions(); });
    connect(FQueue, &QAbstractItemModel::rowsMoved, this, [this] { UpdateActions(); });

    // Structure view with its synchronisation progress.
    FStructureSort = new TStructureSort(this);
    FStructureSort->setSourceModel(FStructure);
    FStructureSort->setDynamicSortFilter(true);
    FStructureView = new QTreeView(this);
    FStructureView->setObjectName("StructureTree");
    FStructureView->setModel(FStructureSort);
    FStructureView->setSortingEnabled(true);
    FStructureView->sortByColumn(0, Qt::AscendingOrder);
    FStructureView->setUniformRowHeights(true);
    FStructureView->setContextMenuPolicy(Qt::ActionsContextMenu);
    FStructureView->addActions({a.acStructureShowURLInBrowser, a.acStructureCopyURL, a.acStructureShowAfterDownload,
                                a.acStructureClear});
    FStructureView->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    FStructureView->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    FStructureView->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    FStructureView->header()->setStretchLastSection(false);
    connect(FStructureView->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { UpdateActions(); });
    FPbStructureSynchronized = new QProgressBar(this);
    FPbStructureSynchronized->setObjectName("pbStructureSynchronized");
    FPbStructureSynchronized->setRange(0, 100);
    FPbStructureSynchronized->setValue(0);
    FPbStructureSynchronized->setTextVisible(false);
    FLbStructureSynchronized = new QLabel("0%", this);
    FLbStructureSynchronized->setObjectName("lbStructureSynchronized");
    FLbStructureSynchronized->setMinimumWidth(40);
    // The host nodes open as they come, so the site shows at once.
    connect(FStructureSort, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent, int first, int last) {
        if (parent.isValid()) return;
        for (int row = first; row <= last; ++row) FStructureView->expand(FStructureSort->index(row, 0));
    });
    auto* structurePanel = new QWidget(this);
    structurePanel->setMinimumWidth(300);
    auto* structureLayout = new QVBoxLayout(structurePanel);
    structureLayout->setContentsMargins(2, 2, 2, 2);
    structureLayout->addWidget(FStructureView);
    auto* syncRow = new QHBoxLayout;
    auto* syncLabel = new QLabel(this);
    SetTag(syncLabel, tgSynchronizedLabel);
    syncRow->addWidget(syncLabel);
    syncRow->addWidget(FPbStructureSynchronized, 1);
    syncRow->addWidget(FLbStructureSynchronized);
    structureLayout->addLayout(syncRow);

    // Connection rows.
    FProgressView = new QTreeView(this);
    FProgressView->setObjectName("ProgressLst");
    FProgressView->setModel(FClientRows);
    FProgressView->setRootIsDecorated(false);
    FProgressView->setUniformRowHeights(true);
    FProgressView->setItemDelegateForColumn(ui::TClientRowsModel::ccProgress, new ui::TProgressDelegate(FProgressView));
    FProgressView->setContextMenuPolicy(Qt::ActionsContextMenu);
    FProgressView->addActions({a.acProgrListShowURLInBrowser, a.acProgrListCopyURL, a.acProgrListCancelDownload,
                               a.acProgrListCancelDownloadRetry});
    FProgressView->header()->setStretchLastSection(false);
    FProgressView->header()->setSectionResizeMode(ui::TClientRowsModel::ccURL, QHeaderView::Stretch);
    FProgressView->setColumnWidth(ui::TClientRowsModel::ccNumber, 40);
    FProgressView->setColumnWidth(ui::TClientRowsModel::ccStatus, 170);
    FProgressView->setColumnWidth(ui::TClientRowsModel::ccSize, 90);
    FProgressView->setColumnWidth(ui::TClientRowsModel::ccProgress, 110);
    connect(FProgressView->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { UpdateActions(); });

    // Counters and overall progress.
    auto* counters = new QWidget(this);
    auto* countersLayout = new QHBoxLayout(counters);
    countersLayout->setContentsMargins(4, 2, 4, 2);
    static const char* const kCounterNames[] = {"lbDownloaded", "lbFilteredOut", "lbRemaining", "lbLinksFound"};
    static const int kCounterTags[] = {tgDownloadedLabel, tgFilteredOutLabel, tgRemainingLabel, tgLinksFoundLabel};
    for (int i = 0; i < 4; ++i) {
        auto* caption = new QLabel(counters);
        SetTag(caption, kCounterTags[i]);
        countersLayout->addWidget(caption);
        FCounters[i] = new QLabel(counters);
        FCounters[i]->setObjectName(kCounterNames[i]);
        FCounters[i]->setMinimumWidth(44);  // six digits
        countersLayout->addWidget(FCounters[i]);
    }
    FProgressBars[0] = new QProgressBar(counters);
    FProgressBars[0]->setObjectName("pbOverall");
    FProgressBars[0]->setRange(0, 100);
    FProgressBars[0]->setValue(0);
    countersLayout->addWidget(FProgressBars[0], 1);

    // Log.
    FLogView = new QListView(this);
    FLogView->setObjectName("Log");
    FLogView->setModel(FLog);
    FLogView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FLogView->setUniformItemSizes(true);
    FLogView->setContextMenuPolicy(Qt::ActionsContextMenu);
    FLogView->addActions({a.acCopy, a.acSaveAs});
    connect(FLog, &QAbstractItemModel::rowsInserted, this, [this] { FLogView->scrollToBottom(); });

    auto* centre = new QSplitter(Qt::Vertical, this);
    centre->setObjectName("CentreSplitter");
    auto* rowsPanel = new QWidget(centre);
    auto* rowsLayout = new QVBoxLayout(rowsPanel);
    rowsLayout->setContentsMargins(0, 0, 0, 0);
    rowsLayout->addWidget(FProgressView);
    rowsLayout->addWidget(counters);
    centre->addWidget(rowsPanel);
    centre->addWidget(FLogView);
    centre->setStretchFactor(0, 2);
    centre->setStretchFactor(1, 3);
    setCentralWidget(centre);

    // Panels: dockable with "/docking", fixed otherwise.
    auto dock = [this](const char* name, int tag, QWidget* content, Qt::DockWidgetArea area) {
        auto* box = new QDockWidget(this);
        box->setObjectName(name);
        SetTag(box, tag);
        box->setWindowTitle(Q(Text(tag)));
        box->setWidget(content);
        box->setFeatures(FOptions.Docking ? QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable
                                          : QDockWidget::NoDockWidgetFeatures);
        addDockWidget(area, box);
        FDocks.push_back(box);
        return box;
    };
    QDockWidget* projects = dock("gbProjects", tgBoxProjects, FProjectTreeView, Qt::LeftDockWidgetArea);
    QDockWidget* queue = dock("gbQueue", tgBoxQueue, FQueueView, Qt::LeftDockWidgetArea);
    dock("gbStructure", tgBoxStructure, structurePanel, Qt::RightDockWidgetArea);
    splitDockWidget(projects, queue, Qt::Vertical);

    // Status bar: panel 0 status, 1 rate, 2 spare; the second overall bar.
    for (int i = 0; i < 3; ++i) {
        FStatusPanels[i] = new QLabel(this);
        FStatusPanels[i]->setObjectName(QString("StatusBarPanel%1").arg(i));
        FStatusPanels[i]->setMinimumWidth(i == 0 ? 320 : 110);
        statusBar()->addWidget(FStatusPanels[i], i == 0 ? 1 : 0);
    }
    FProgressBars[1] = new QProgressBar(this);
    FProgressBars[1]->setObjectName("pbStatusOverall");
    FProgressBars[1]->setRange(0, 100);
    FProgressBars[1]->setValue(0);
    FProgressBars[1]->setMaximumWidth(200);
    statusBar()->addPermanentWidget(FProgressBars[1]);
}

void THttpGetForm::CreateTray() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    FTray = new QSystemTrayIcon(windowIcon(), this);
    FTray->setToolTip(Q(Text(mtTrayTip)));
    auto* menu = new QMenu(this);
    menu->addActions({FActions.acMaximize, FActions.acMinimize});
    menu->addSeparator();
    menu->addAction(FActions.acExit);
    FTray->setContextMenu(menu);
    connect(FTray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { TrayActivated(static_cast<int>(reason)); });
    FTray->show();
}

// --- Action update rules -----------------------------------------------------

void THttpGetForm::UpdateActions() {
    TActions& a = FActions;
    TProjectNode* node = SelectedNode();
    const bool has = node != nullptr;
    const TNodeKind kind = has ? FTree->KindOf(node) : TNodeKind::nkTopFolder;
    const bool project = has && kind == TNodeKind::nkProject;
    const bool templ = has && kind == TNodeKind::nkTemplate;
    const bool folder = has && kind == TNodeKind::nkFolder;
    const bool top = has && kind == TNodeKind::nkTopFolder;
    const bool head = has && IsHead(node);
    const bool running = has && IsRunning(node);
    const bool inQuick = has && node->Parent == FTree->QuickProjects();
    const bool inTemplates = has && FTree->IsUnderTemplates(node);
    const bool hasChildren = has && !node->Children.empty();

    a.acPutInQueue->setEnabled(project || ((folder || top) && !inTemplates && hasChildren));
    a.acShowInformation->setEnabled(project);
    a.acShowStructure->setEnabled(project && !running && node->Project);
    a.acRename->setEnabled((project || templ || folder) && !running);
    a.acNewDirectory->setEnabled(has && !inTemplates && !inQuick && node != FTree->QuickProjects());
    a.acNewProject->setEnabled(!has || (!inTemplates && !inQuick));
    a.acNewTemplate->setEnabled(true);
    a.acProperties->setEnabled((project || templ) && !head);
    a.acDeleteProj->setEnabled((project || templ || folder) && !head);
    a.acProjectReset->setEnabled(project && !running && node->Project);
    a.acSchedule->setEnabled(project);
    a.acOpenInBrowser->setEnabled(project);
    if (FMenuLanguages) FMenuLanguages->setEnabled(!FRun && FLangLoader && !FLangLoader->Languages().empty());

    const int row = SelectedQueueRow();
    const int count = FQueue->Count();
    a.acDeleteFromQueue->setEnabled(row >= 0);
    a.acQueuePosUp->setEnabled(row > 1);
    a.acQueuePosDown->setEnabled(row > 0 && row < count - 1);

    const bool paused = FRun && FRunState == TRunState::ssPaused;
    a.acStartDownload->setEnabled((!FRun && FRunState == TRunState::ssIdle && (count > 0 || project)) || paused);
    a.acPauseDownload->setEnabled(FRun && FRunState == TRunState::ssRunning);
    a.acStopDownload->setEnabled(FRun && FRunState != TRunState::ssClosing);

    const bool clientRow = FRun && FProgressView->currentIndex().isValid() && !SelectedClientURL().empty();
    a.acProgrListShowURLInBrowser->setEnabled(clientRow);
    a.acProgrListCopyURL->setEnabled(clientRow);
    a.acProgrListCancelDownload->setEnabled(clientRow);
    a.acProgrListCancelDownloadRetry->setEnabled(clientRow);

    const QModelIndex structureNode = FStructureSort->mapToSource(FStructureView->currentIndex());
    a.acStructureShowURLInBrowser->setEnabled(structureNode.isValid());
    a.acStructureCopyURL->setEnabled(structureNode.isValid());
    a.acStructureShowAfterDownload->setEnabled(
        structureNode.isValid() && FStructure->LinkOf(structureNode) && FRun &&
        (FRunState == TRunState::ssRunning || FRunState == TRunState::ssPaused));
    FConnection->UpdateActions();
}

// --- Selection ------------------------------------------------------------------

TProjectNode* THttpGetForm::SelectedNode() const {
    const QModelIndex current = FProjectTreeView->currentIndex();
    return current.isValid() ? FTreeModel->NodeOf(FTreeSort->mapToSource(current)) : nullptr;
}

void THttpGetForm::SelectNode(TProjectNode* node) {
    if (!node) {
        FProjectTreeView->setCurrentIndex({});
        FProjectTreeView->clearSelection();
    } else {
        const QModelIndex index = FTreeSort->mapFromSource(FTreeModel->IndexOf(node));
        FProjectTreeView->scrollTo(index);
        FProjectTreeView->setCurrentIndex(index);
    }
    UpdateActions();
}

int THttpGetForm::SelectedQueueRow() const {
    const QModelIndexList rows = FQueueView->selectionModel()->selectedRows();
    if (rows.isEmpty()) return -1;
    const QModelIndex current = FQueueView->currentIndex();
    return current.isValid() && FQueueView->selectionModel()->isRowSelected(current.row()) ? current.row()
                                                                                            : rows.front().row();
}

void THttpGetForm::SelectQueueRow(int row) {
    if (row < 0 || row >= FQueue->Count()) {
        FQueueView->clearSelection();
    } else {
        FQueueView->setCurrentIndex(FQueue->index(row, 0));
        FQueueView->selectionModel()->select(FQueue->index(row, 0),
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    UpdateActions();
}

void THttpGetForm::SelectClientRow(int row) {
    FProgressView->setCurrentIndex(FClientRows->index(row, 0));
    UpdateActions();
}

bool THttpGetForm::SelectStructurePath(const std::string& path) {
    std::function<QModelIndex(const QModelIndex&)> find = [&](const QModelIndex& parent) -> QModelIndex {
        for (int row = 0; row < FStructure->rowCount(parent); ++row) {
            QModelIndex index = FStructure->index(row, 0, parent);
            const std::string here = FStructure->PathOf(index);
            if (here == path) return index;
            if (path.compare(0, here.size() + 1, here + "/") == 0) return find(index);
        }
        return {};
    };
    QModelIndex found = find({});
    if (!found.isValid()) return false;
    FStructureView->setCurrentIndex(FStructureSort->mapFromSource(found));
    UpdateActions();
    return true;
}

TProjectNode* THttpGetForm::NodeOfProject(const TDownloadProject* project) const {
    TProjectNode* found = nullptr;
    if (!project) return nullptr;
    FTree->ForEach([&](TProjectNode* node) {
        if (!found && node->Project.get() == project) found = node;
    });
    return found;
}

std::string THttpGetForm::StatusText(int panel) const {
    return panel >= 0 && panel < 3 ? FStatusPanels[panel]->text().toStdString() : std::string();
}

std::string THttpGetForm::CounterText(int which) const {
    return which >= 0 && which < 4 ? FCounters[which]->text().toStdString() : std::string();
}

int THttpGetForm::OverallProgress() const { return FProgressBars[0]->value(); }

std::string THttpGetForm::StructureProgressText() const { return FLbStructureSynchronized->text().toStdString(); }

int THttpGetForm::ConnectionCount() const { return FTbNumOfHttpCli->value(); }

} // namespace vorlin::app
