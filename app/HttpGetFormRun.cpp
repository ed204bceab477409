// The main window and its download: the queue, starting, pausing and
// cancelling a run, the run's messages, the structure synchronisation and
// the actions on client rows and structure nodes.
#include "app/HttpGetForm.h"

#include "app/ClipboardWatch.h"
#include "app/DisplayFormats.h"
#include "app/MainWindowTexts.h"
#include "app/ProjectTreeModel.h"
#include "app/QueueModel.h"
#include "app/connection/ConnectionControl.h"
#include "app/texts/Texts.h"
#include "engine/DownloadThread.h"
#include "engine/MainWindowTarget.h"
#include "engine/RunTexts.h"
#include "links/UrlHelpers.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/MessageQueue.h"
#include "platform/Stream.h"
#include "project/DownloadLink.h"
#include "project/DownloadProject.h"
#include "rules/PluginSystem.h"
#include "ui/ClientRowsModel.h"
#include "ui/LogModel.h"
#include "ui/StructureTreeModel.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QSlider>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <algorithm>
#include <limits>

namespace vorlin::app {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

std::string Decoded(const std::string& text) {
    try {
        return HTTPDecode(text);
    } catch (const std::exception&) {
        return text;
    }
}

// The structure view's segments of a link: host, directories, file. A
// directory URL ("dir/") is the directory's own node.
std::vector<std::string> SegmentsOf(const std::string& url) {
    std::vector<std::string> segments;
    size_t start = url.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    while (start < url.size()) {
        size_t slash = url.find('/', start);
        if (slash == std::string::npos) slash = url.size();
        if (slash > start) segments.push_back(Decoded(url.substr(start, slash - start)));
        start = slash + 1;
    }
    return segments;
}

} // namespace

// --- Queue order ---------------------------------------------------------------

void THttpGetForm::DeleteFromQueue() {
    QList<int> rows;
    for (const QModelIndex& index : FQueueView->selectionModel()->selectedRows()) rows << index.row();
    std::sort(rows.begin(), rows.end());
    // Last to first, so the rows still to go keep their numbers.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        if (*it == 0) {
            // The head stays; a running download is cancelled and it leaves when the run ends.
            if (FRun) StopDownload();
            continue;
        }
        FQueue->RemoveAt(*it);
    }
    UpdateActions();
}

void THttpGetForm::QueuePosUp() {
    const int row = SelectedQueueRow();
    if (row > 1 && FQueue->MoveItem(row, row - 1)) SelectQueueRow(row - 1);
}

void THttpGetForm::QueuePosDown() {
    const int row = SelectedQueueRow();
    if (row > 0 && row < FQueue->Count() - 1 && FQueue->MoveItem(row, row + 1)) SelectQueueRow(row + 1);
}

// --- Starting, pausing, cancelling -------------------------------------------------

void THttpGetForm::StartDownload() {
    if (FQueue->Count() > 0 && !FRun && FRunState == TRunState::ssIdle) {
        StartHead();
    } else if (FRunState == TRunState::ssPaused && FRun) {
        PostToRun(WM_RUN_RESUME);
    } else if (FRunState == TRunState::ssIdle && !FRun && FQueue->Count() == 0) {
        TProjectNode* node = SelectedNode();
        if (!node || FTree->IsUnderTemplates(node)) return;
        EnqueueNode(node);
        if (FQueue->Count() > 0) StartHead();
    }
    if (FRun) FQueueTimer->start();
    UpdateActions();
}

void THttpGetForm::StartHead() {
    TDownloadProject* project = FQueue->Head();
    TProjectNode* node = NodeOfProject(project);
    if (!project || !node) return;
    ClearStructure();
    const int clients = std::clamp(FTbNumOfHttpCli->value(), kMinClients, kMaxClients);
    FClientRows->SetRowCount(0);
    FClientRows->SetRowCount(clients);
    project->DataFileName = FTree->BasePath(node) + ".dat";
    if (FPlugins) FPlugins->HandOverSettings(FTree->BasePath(node) + ".prj.plugins");

    auto run = std::make_unique<TDownloadThread>();
    FTarget->SetRun(run.get());
    FSettings.NumberOfThreads = clients;
    run->SetSettings(FSettings);
    run->SetProject(project, FTarget->Handle(), clients);
    if (FSettings.ProxyEnabled)
        run->SetProxy(FSettings.ProxyServer, FSettings.ProxyPort, FSettings.ProxyUserName, FSettings.ProxyPassword);
    run->SetTimeouts(FSettings.TimeOutEnabled, FSettings.TimeOutLength, FSettings.NumberOfTries);
    FStructureQueue.Clear();
    run->SetStructureList(&FStructureQueue);
    run->SetProgramDirectory(FHome);
    run->SetPluginSystem(FPlugins.get());
    if (OnRunCreated) OnRunCreated(*run);
    FRun = std::move(run);
    FSynchronizedCount = 0;
    FStructureSyncTimer->start();
    FRun->Resume();
    if (FFirstStart) {
        FFirstStart = false;
        AutomaticCheckForUpdate();
    }
}

void THttpGetForm::PauseDownload() {
    if (!FRun) return;
    PostToRun(WM_RUN_PAUSE);
    FQueueTimer->stop();
    UpdateActions();
}

void THttpGetForm::StopDownload() {
    if (!FRun) return;
    PostToRun(WM_QUIT);
    if (!FDialogs->ClosingDownloadShown()) {
        FDialogs->ShowClosingDownload(RunText(622));
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    UpdateActions();
}

void THttpGetForm::PostToRun(uint32_t message, uintptr_t wParam, intptr_t lParam, std::unique_ptr<TPayload> payload) {
    if (FRun) PostThreadMessage(FRun->ThreadId(), message, wParam, lParam, std::move(payload));
}

void THttpGetForm::SetConnectionCount(int count) {
    count = std::clamp(count, kMinClients, kMaxClients);
    if (FTbNumOfHttpCli->value() != count) FTbNumOfHttpCli->setValue(count);  // comes back here
    FLbNumOfHttpCli->setText(Q(FormatText(mtConnections, {std::to_string(count)})));
    FSettings.NumberOfThreads = count;
    if (!FRun) return;
    FClientRows->SetRowCount(count);
    PostToRun(WM_SET_CLIENT_COUNT, 0, count);
}

void THttpGetForm::CloseClosingWindow() {
    if (FDialogs->ClosingDownloadShown()) {
        FDialogs->CloseClosingDownload();
        QApplication::restoreOverrideCursor();
    }
}

void THttpGetForm::EndRun() {
    CloseClosingWindow();
    TDownloadProject* head = FQueue->Head();
    if (FRun) {
        FRun->WaitFor();
        FRun.reset();
    }
    FTarget->SetRun(nullptr);
    FRunState = TRunState::ssIdle;
    FQueueTimer->stop();
    FClientRows->SetRowCount(0);
    SetStatus(1, "");
    SetStatus(2, "");
    ClearCounters();
    FStructure->ForgetLinks();
    if (FPlugins) FPlugins->ClearSettings();
    // The statistics of the run are kept at once, not only when the program closes.
    if (TProjectNode* node = NodeOfProject(head)) {
        Guard("Error saving projects", [&] { head->SaveToFile(FTree->BasePath(node) + ".prj"); });
        FTreeModel->NodeChanged(node);
    }
    FQueue->RemoveAt(0);
    if (FQueue->Count() == 0 || FActions.acQueueStopped->isChecked()) {
        FStructureSyncTimer->stop();
        FConnection->QueueFinished();
        PendingCheckForUpdate();
    } else if (!FClosing) {
        ClearStructure();
        StartDownload();
    }
    UpdateActions();
}

// --- The run's messages ---------------------------------------------------------

void THttpGetForm::SetStatus(int panel, const std::string& text) {
    if (panel >= 0 && panel < 3) FStatusPanels[panel]->setText(Q(text));
}

void THttpGetForm::RunLog(const std::string& line) { FLog->AddLine(Q(line)); }

void THttpGetForm::ClearLog() { FLog->Clear(); }

void THttpGetForm::RunError(const std::string& line) { FLog->AddError(Q(line)); }

void THttpGetForm::ClientStatus(int clientIndex, const std::string& text) {
    if (FRun) FClientRows->SetStatus(clientIndex, Q(text));
}

void THttpGetForm::ClientURL(int clientIndex, const std::string& url) {
    if (FRun) FClientRows->SetURL(clientIndex, Q(url));
    if (clientIndex == FProgressView->currentIndex().row()) UpdateActions();
}

void THttpGetForm::ClientSize(int clientIndex, int64_t bytes) {
    if (FRun) FClientRows->SetSize(clientIndex, Q(ClientSizeText(bytes)));
}

void THttpGetForm::ClientProgress(int clientIndex, int percent) {
    if (FRun) FClientRows->SetProgress(clientIndex, percent);
}

void THttpGetForm::RunRate(int32_t bytesPerSecond) { SetStatus(1, RateText(bytesPerSecond)); }

void THttpGetForm::RunStatus(const std::string& text) { SetStatus(0, text); }

void THttpGetForm::RunStats(const TRunStats& stats) {
    const int percent = OverallPercent(stats.Downloaded, stats.FilteredOut, stats.All);
    FProgressBars[0]->setValue(percent);
    FProgressBars[1]->setValue(percent);
    FCounters[0]->setText(QString::number(stats.Downloaded));
    FCounters[1]->setText(QString::number(stats.FilteredOut));
    FCounters[2]->setText(QString::number(stats.Remaining));
    FCounters[3]->setText(QString::number(stats.All));
}

void THttpGetForm::RunBytes(int64_t projectSize) { FQueue->SetHeadSize(KBText(projectSize)); }

void THttpGetForm::RunStateChanged(TRunState state) { SetRunState(state); }

void THttpGetForm::SetRunState(TRunState state) {
    FRunState = state;
    FTbNumOfHttpCli->setEnabled(state != TRunState::ssPaused && state != TRunState::ssInitializing);
    // The links go with the run's end: the view keeps their figures only.
    // The run waits while this is handled, so its links hold still: the
    // view takes what is left of them at once, whatever the step size, and
    // then forgets them, as they go with the run.
    if (state == TRunState::ssClosing) {
        if (!FSyncStepRunning) SynchronizeStructure(std::numeric_limits<int>::max());
        FStructureQueue.Clear();
        FStructure->ForgetLinks();
    }
    UpdateActions();
}

void THttpGetForm::RunEnding() {
    if (!FDialogs->ClosingDownloadShown()) {
        FDialogs->ShowClosingDownload(RunText(622));
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
}

void THttpGetForm::ShutdownProgress(int percent, const std::string& text) {
    FDialogs->ClosingDownloadProgress(percent, text);
}

void THttpGetForm::RunFinished() {
    Guard("Error in DownloadFinished ()", [&] { EndRun(); });
    emit RunHasFinished();
}

void THttpGetForm::SelectLinks(TDownloadProject& project, TDownloadLink& page) { FDialogs->SelectLinks(project, page); }

bool THttpGetForm::AskCredentials(TAuthRec& request) { return FDialogs->AskCredentials(request); }

bool THttpGetForm::SelectStructure(TDownloadProject& project) { return FDialogs->SelectStructure(project); }

// --- Structure view ---------------------------------------------------------------

void THttpGetForm::ClearStructure() {
    // Links of a live run forget their nodes before the nodes go.
    const bool linksAlive = FRun && (FRunState == TRunState::ssRunning || FRunState == TRunState::ssPaused ||
                                     FRunState == TRunState::ssInitializing);
    FStructure->Clear([linksAlive](void* link) {
        if (!linksAlive) return;
        auto* l = static_cast<TDownloadLink*>(link);
        TLinkLock lock(*l);
        l->StructureNode = nullptr;
    });
    FSynchronizedCount = 0;
    FPbStructureSynchronized->setValue(0);
    FLbStructureSynchronized->setText("0%");
}

void THttpGetForm::ClearCounters() {
    for (QLabel* counter : FCounters) counter->clear();
    for (QProgressBar* bar : FProgressBars) bar->setValue(0);
}

void THttpGetForm::StructureClear() { ClearStructure(); }

void THttpGetForm::StructureSyncStep() {
    if (FSyncStepRunning || !FRun || FRunState != TRunState::ssRunning || FDialogs->ClosingDownloadShown()) return;
    const int remaining = SynchronizeStructure(FStructureBatch);
    // WM_USER+103: the next step after the events waiting now.
    if (remaining > 0 && !FSyncStepPosted) {
        FSyncStepPosted = true;
        QTimer::singleShot(0, this, [this] {
            FSyncStepPosted = false;
            StructureSyncStep();
        });
    }
}

int THttpGetForm::SynchronizeStructure(int maxLinks) {
    FSyncStepRunning = true;
    FStructure->BeginBatch();
    try {
        // A batch per step keeps a site of 100,000 links responsive: each
        // step inserts its rows with one notification per parent.
        for (int i = 0; i < maxLinks; ++i) {
            TDownloadLink* link = FStructureQueue.TakeLast();
            if (!link) break;
            ++FSynchronizedCount;
            TLinkLock lock(*link);
            if (link->StructureNode) {
                FStructure->Update(static_cast<ui::TStructureNode*>(link->StructureNode), link->Size, link->State);
            } else if (link->Kind == lkHttp || link->Kind == lkRelative) {
                link->StructureNode = FStructure->Add(SegmentsOf(link->FullURL()), link, link->Size, link->State);
            }
        }
    } catch (const std::exception& e) {
        DebugLogReport("Error in SynchronizeStructure ()", e.what());
    }
    FStructure->EndBatch();
    const int remaining = static_cast<int>(FStructureQueue.Count());
    const int percent = FSynchronizedCount + remaining > 0 ? FSynchronizedCount * 100 / (FSynchronizedCount + remaining) : 0;
    FPbStructureSynchronized->setValue(percent);
    FLbStructureSynchronized->setText(QString("%1%").arg(percent));
    FSyncStepRunning = false;
    return remaining;
}

void THttpGetForm::StructureCopyURL() {
    const QModelIndex index = FStructureSort->mapToSource(FStructureView->currentIndex());
    if (!index.isValid()) return;
    FClipboard->CopyOwn(Q("http:/" + FStructure->PathOf(index)));
}

void THttpGetForm::StructureShowURLInBrowser() {
    const QModelIndex index = FStructureSort->mapToSource(FStructureView->currentIndex());
    if (!index.isValid()) return;
    QDesktopServices::openUrl(QUrl(Q("http:/" + FStructure->PathOf(index))));
}

void THttpGetForm::StructureShowAfterDownload() {
    const QModelIndex index = FStructureSort->mapToSource(FStructureView->currentIndex());
    void* link = FStructure->LinkOf(index);
    if (!link || !FRun || (FRunState != TRunState::ssRunning && FRunState != TRunState::ssPaused)) return;
    PostToRun(WM_OPEN_AFTER_DOWNLOAD, 0, reinterpret_cast<intptr_t>(link));
}

// --- Client rows ----------------------------------------------------------------------

std::string THttpGetForm::SelectedClientURL() const {
    const QModelIndex index = FProgressView->currentIndex();
    return index.isValid() ? FClientRows->URL(index.row()).toStdString() : std::string();
}

void THttpGetForm::ProgrListCopyURL() {
    const std::string url = SelectedClientURL();
    if (!url.empty()) FClipboard->CopyOwn(Q(url));
}

void THttpGetForm::ProgrListShowURLInBrowser() {
    const std::string url = SelectedClientURL();
    if (!url.empty()) QDesktopServices::openUrl(QUrl(Q(url)));
}

void THttpGetForm::ProgrListCancel(bool retry) {
    const std::string url = SelectedClientURL();
    if (url.empty() || !FRun) return;
    PostToRun(retry ? WM_RETRY_URL : WM_CANCEL_URL, 1, 0, MakePayload(url));
}

// --- Log ------------------------------------------------------------------------------

void THttpGetForm::CopyLog() {
    QList<int> rows;
    for (const QModelIndex& index : FLogView->selectionModel()->selectedRows()) rows << index.row();
    std::sort(rows.begin(), rows.end());
    if (!rows.isEmpty()) FClipboard->CopyOwn(FLog->Joined(rows));
}

void THttpGetForm::SaveLog() {
    std::string name = FDialogs->SaveFileName(Text(mtLogFilter), ".log");
    if (name.empty()) return;
    if (ExtractFileExt(name).empty()) name += ".log";
    const QByteArray text = FLog->AllText().toUtf8();
    try {
        WriteFileAtomically(name, [&](TFileStream& file) { file.Write(text.constData(), text.size()); });
    } catch (const std::exception& e) {
        FDialogs->Message(FormatText(mtSaveLogFailed, {e.what()}), true);
    }
}

} // namespace vorlin::app
