// The main window's project tree: loading and saving, new nodes, renaming,
// deleting, moving, enqueueing, and the project actions (statistics, file
// selection, reset).
#include "app/HttpGetForm.h"

#include "app/MainWindowTexts.h"
#include "app/ProjectTreeModel.h"
#include "app/QueueModel.h"
#include "app/dialogs/OptionsForm.h"
#include "app/connection/ConnectionControl.h"
#include "app/texts/Texts.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"

#include <QApplication>
#include <QComboBox>
#include <QSortFilterProxyModel>
#include <QTreeView>

namespace vorlin::app {

namespace {

// The statistics the dialog's reset and "Reset Data" clear; RunSize stays.
void ResetStatistics(TDownloadProject& project) {
    project.ProjectSize = 0;
    project.FileCount = 0;
    project.DownloadedCount = 0;
    project.FilteredOutCount = 0;
    project.AverageCPS = 0;
    project.PeekCPS = 0;
    project.LastDuration = 0;
    project.LastDownloadDate = 0;
}

} // namespace

void THttpGetForm::LoadProjectTree() {
    Guard("Error in LoadProjectTree ()", [&] {
        SetStatus(0, Text(mtLoadingProjects));
        FTree->Load([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
        SetStatus(0, "");
    });
}

void THttpGetForm::SaveAllProjects() {
    SetStatus(0, Text(mtSavingProjects));
    FTree->SaveAll();
    SetStatus(0, "");
}

TProjectNode* THttpGetForm::HeadNode() const { return NodeOfProject(FQueue->Head()); }

bool THttpGetForm::IsHead(const TProjectNode* node) const {
    return node && node->Project && FQueue->Head() == node->Project.get();
}

bool THttpGetForm::IsRunning(const TProjectNode* node) const {
    if (!node || !FRun) return false;
    if (IsHead(node)) return true;
    // A folder holding the running project can't be moved or renamed either.
    const TProjectNode* head = HeadNode();
    for (const TProjectNode* up = head; up; up = up->Parent)
        if (up == node) return true;
    return false;
}

// --- New nodes -------------------------------------------------------------------

void THttpGetForm::NewProject() {
    TProjectNode* selected = SelectedNode();
    TProjectNode* folder = selected ? FTree->FolderOf(selected) : FTree->Projects();
    if (FTree->IsUnderTemplates(folder)) folder = FTree->Projects();
    TProjectNode* node = FTree->NewProject(folder, Text(mtNewProject));
    SelectNode(node);
    OpenOptions(node);
}

void THttpGetForm::NewDirectory() {
    TProjectNode* selected = SelectedNode();
    if (!selected) return;
    TProjectNode* node = FTree->NewFolder(FTree->FolderOf(selected), Text(mtNewFolder));
    SelectNode(node);
    FProjectTreeView->edit(FTreeSort->mapFromSource(FTreeModel->IndexOf(node)));
}

void THttpGetForm::NewTemplate() {
    TProjectNode* node = FTree->NewProject(FTree->Templates(), Text(mtNewTemplate));
    FProjectTreeView->expand(FTreeSort->mapFromSource(FTreeModel->IndexOf(FTree->Templates())));
    SelectNode(node);
    OpenOptions(node);
}

void THttpGetForm::OpenOptions(TProjectNode* node) {
    if (!node || node->IsFolder || !node->Project) return;
    if (OnOpenProjectOptions) {
        OnOpenProjectOptions(node);
        node->Project->SaveToFile(FTree->BasePath(node) + ".prj");
        FTreeModel->NodeChanged(node);
    }
}

void THttpGetForm::EditProjectOptions(TProjectNode* node) {
    if (!node || node->IsFolder || !node->Project) return;
    TOptionsFormContext context;
    context.ProjectFile = FTree->BasePath(node) + ".prj";
    // Templates have no URL of their own; a new project takes the one typed in comboUrl.
    context.IsTemplate = node->Parent == FTree->Templates();
    if (!context.IsTemplate) context.URLText = FComboUrl->currentText().trimmed().toStdString();
    context.Plugins = FPlugins.get();
    FDialogs->EditProjectOptions(*node->Project, context);
}

// --- Renaming, deleting, moving ------------------------------------------------

void THttpGetForm::RenameNode(TProjectNode* node, const std::string& caption) {
    Guard("Error in ProjectTreeEdited ()", [&] {
        if (!node || IsRunning(node)) return;
        switch (FTree->Rename(node, caption)) {
        case TProjectTree::TRenameResult::rrDuplicate: FDialogs->Message(Text(mtSameCaption), true); break;
        case TProjectTree::TRenameResult::rrRenamed:
            FTree->ForEach([&](TProjectNode* each) {
                if (each->Project) FQueue->SetCaption(each->Project.get(), each->Caption);
            });
            break;
        case TProjectTree::TRenameResult::rrIgnored: break;
        }
        UpdateActions();
    });
}

void THttpGetForm::DeleteSelected() {
    TProjectNode* node = SelectedNode();
    if (!node || FTree->IsTopFolder(node) || IsHead(node)) return;
    DeleteNode(node);
}

void THttpGetForm::DeleteNode(TProjectNode* node) {
    // A folder holding the running project would take it away under the run.
    if (IsRunning(node)) return;
    bool deleteFiles = false;
    switch (FTree->KindOf(node)) {
    case TNodeKind::nkTemplate:
        if (FDialogs->Question(Text(mtDeleteTemplate), TButtons::bnYesNo, TAnswer::anNo) != TAnswer::anYes) return;
        break;
    case TNodeKind::nkProject: {
        TAnswer answer = FDialogs->Question(Text(mtDeleteDownloaded), TButtons::bnYesNoCancel, TAnswer::anNo);
        if (answer == TAnswer::anCancel) return;
        deleteFiles = answer == TAnswer::anYes;
        break;
    }
    case TNodeKind::nkFolder:
        if (!node->Children.empty()) {
            TAnswer answer = FDialogs->Question(Text(mtDeleteFolder), TButtons::bnYesNoCancel, TAnswer::anNo);
            if (answer == TAnswer::anCancel) return;
            deleteFiles = answer == TAnswer::anYes;
        }
        break;
    case TNodeKind::nkTopFolder: return;
    }
    TProjectNode* parent = node->Parent;
    const int row = node->Row();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        FTree->Delete(node, deleteFiles, FSettings, [this](TDownloadProject* project) { FQueue->RemoveProject(project); });
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
    if (!FRun) {
        ClearStructure();
        ClearCounters();
    }
    // The neighbour: the next sibling, else the previous one, else the parent.
    TProjectNode* next = nullptr;
    if (row < static_cast<int>(parent->Children.size()))
        next = parent->Children[static_cast<size_t>(row)].get();
    else if (row > 0)
        next = parent->Children[static_cast<size_t>(row - 1)].get();
    SelectNode(next ? next : parent);
}

void THttpGetForm::MoveNode(TProjectNode* node, TProjectNode* target) {
    Guard("Error in ProjectTreeDragDrop ()", [&] {
        if (IsRunning(node) || !FTree->CanMove(node, target)) return;
        TProjectNode* moved = FTree->Move(node, target);
        FTree->ForEach([&](TProjectNode* each) {
            if (each->Project) FQueue->SetCaption(each->Project.get(), each->Caption);
        });
        SelectNode(moved);
    });
}

// --- Enqueueing ---------------------------------------------------------------------

void THttpGetForm::EnqueueNode(TProjectNode* node) {
    if (!node || FTree->IsUnderTemplates(node)) return;
    auto append = [this](TProjectNode* project) {
        if (!project->Project) return;
        project->Project->DataFileName = FTree->BasePath(project) + ".dat";
        FQueue->Append(project->Project.get(), project->Caption);
    };
    if (FTree->IsFolderKind(node)) {
        for (auto& child : node->Children)
            if (!child->IsFolder) append(child.get());
    } else {
        append(node);
    }
}

void THttpGetForm::AfterEnqueue() {
    UpdateActions();
    // A configured connection is made first; a dialled line starts the download when it is up.
    if (!FRun && !FActions.acQueueStopped->isChecked() && !FConnection->ConnectBeforeDownload()) StartDownload();
}

void THttpGetForm::PutInQueue() {
    TProjectNode* node = SelectedNode();
    if (!node) {
        FDialogs->Message(Text(mtNoProjectSelected));
        return;
    }
    EnqueueNode(node);
    AfterEnqueue();
}

void THttpGetForm::ProjectTreeDoubleClick(TProjectNode* node) {
    if (!node || FTree->IsFolderKind(node)) return;
    if (FTree->IsUnderTemplates(node)) {
        if (!IsHead(node)) OpenOptions(node);
        return;
    }
    SelectNode(node);
    PutInQueue();
}

void THttpGetForm::QueueNodePath(const std::string& nodePath) {
    TProjectNode* node = FTree->FindByPath(nodePath);
    if (!node || FTree->IsUnderTemplates(node) || (!node->Project && !FTree->IsFolderKind(node))) {
        FDialogs->Message(FormatText(mtQueueingFailed, {nodePath}), true);
        return;
    }
    SelectNode(node);
    PutInQueue();
}

// --- Project actions ------------------------------------------------------------------

void THttpGetForm::ShowInformation() {
    TProjectNode* node = SelectedNode();
    if (!node || !node->Project) return;
    FDialogs->ShowProjectInformation(*node->Project);
    // The dialog may have reset the statistics.
    if (!IsRunning(node)) node->Project->SaveToFile(FTree->BasePath(node) + ".prj");
    FTreeModel->NodeChanged(node);
    FQueue->Refresh(node->Project.get());
}

void THttpGetForm::ShowStructure() {
    TProjectNode* node = SelectedNode();
    if (!node || !node->Project || IsRunning(node)) return;
    TDownloadProject& project = *node->Project;
    const std::string dataFile = FTree->BasePath(node) + ".dat";
    project.DataFileName = dataFile;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        if (FileExists(dataFile)) project.Links->LoadFromFile(dataFile);
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        project.Links->Clear();
        // What could not be read must not be written back as if it were all.
        FDialogs->Message(e.what(), true);
        return;
    }
    QApplication::restoreOverrideCursor();
    try {
        if (FDialogs->SelectStructure(project)) {
            ForceDirectories(ExtractFilePath(dataFile));
            project.Links->SaveToFile(dataFile);
        }
    } catch (...) {
        project.Links->Clear();
        throw;
    }
    project.Links->Clear();
}

void THttpGetForm::ProjectReset() {
    TProjectNode* node = SelectedNode();
    if (!node || !node->Project || IsRunning(node) || FTree->KindOf(node) != TNodeKind::nkProject) return;
    const std::string base = FTree->BasePath(node);
    DeleteFile(base + ".dat");
    DeleteFile(base + ".dat.plugins");
    ResetStatistics(*node->Project);
    node->Project->SaveToFile(base + ".prj");
    FTreeModel->NodeChanged(node);
    FQueue->Refresh(node->Project.get());
}

} // namespace vorlin::app
