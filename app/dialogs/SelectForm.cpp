#include "app/dialogs/SelectForm.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/MaskBar.h"
#include "app/dialogs/StructureSelectionModel.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <memory>

namespace vorlin::app {

namespace {

// "Loading Structure..." with a bar while the tree fills. It is painted on
// the spot rather than through the event loop, so nothing else (a run's
// messages) gets handled in the middle of building.
class TLoadingStructureWindow : public QDialog {
public:
    explicit TLoadingStructureWindow(QWidget* parent) : QDialog(parent) {
        setObjectName("TfmLoadingStructure");
        SetTag(this, tgLoadingStructure);
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        auto* label = Tagged<QLabel>(tgLoadingStructure, "lbLoading", this);
        FBar = Named<QProgressBar>("pbLoading", this);
        FBar->setRange(0, 100);
        FBar->setMinimumWidth(300);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(label);
        layout->addWidget(FBar);
    }
    void Progress(int done, int total) {
        const int percent = total > 0 ? static_cast<int>(static_cast<int64_t>(done) * 100 / total) : 100;
        if (percent == FBar->value()) return;
        FBar->setValue(percent);
        repaint();
    }

private:
    QProgressBar* FBar;
};

} // namespace

TSelectForm::TSelectForm(TDownloadProject& project, QWidget* parent) : TSelectForm(CollectStructure(project), parent) {}

TSelectForm::TSelectForm(const std::vector<TStructureEntry>& entries, QWidget* parent) : QDialog(parent) {
    AddDialogTexts();
    setObjectName("TSelectForm");
    SetTag(this, tgSelectFilesForm);

    std::unique_ptr<TLoadingStructureWindow> loading;
    if (entries.size() >= static_cast<size_t>(kLoadingWindowFrom)) {
        loading = std::make_unique<TLoadingStructureWindow>(parent);
        loading->show();
        loading->repaint();
    }
    FModel = new TStructureSelectionModel(
        entries,
        [&loading](int done, int total) {
            if (loading) loading->Progress(done, total);
        },
        this);
    loading.reset();

    FTree = Named<QTreeView>("tvStructure", this);
    FTree->setModel(FModel);
    FTree->setUniformRowHeights(true);
    FTree->setHeaderHidden(false);
    if (FModel->rowCount() == 1) FTree->expand(FModel->index(0, 0));

    FMaskBar = MaskBarFor(FModel, this);

    QDialogButtonBox* buttons = OkCancelButtons(this, tgSelectOk, tgSelectCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FTree, 1);
    layout->addWidget(FMaskBar);
    layout->addWidget(buttons);
    resize(560, 520);
}

void TSelectForm::accept() {
    FModel->WriteBack();
    QDialog::accept();
}

bool SelectStoredStructure(TDownloadProject& project, QWidget* parent, std::string& error) {
    error.clear();
    if (!project.Links) return false;
    project.Links->Clear();
    try {
        project.Links->LoadFromFile(project.DataFileName);
    } catch (const std::exception& e) {
        error = e.what();
        project.Links->Clear();
        return false;
    }
    bool chosen = false;
    {
        TSelectForm form(project, parent);
        chosen = form.exec() == QDialog::Accepted;
    }
    try {
        if (chosen) project.Links->SaveToFile(project.DataFileName);
    } catch (const std::exception& e) {
        error = e.what();
        chosen = false;
    }
    project.Links->Clear();
    return chosen;
}

} // namespace vorlin::app
