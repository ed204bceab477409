#include "update/UpdateDownloadForm.h"

#include "app/texts/Tagging.h"
#include "app/texts/Texts.h"
#include "update/UpdateTexts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorlin::update {

TfmUpdateDownload::TfmUpdateDownload(TUpdateDownload& download, QWidget* parent)
    : QDialog(parent), FDownload(download) {
    AddUpdateTexts();
    setObjectName("fmUpdateDownload");
    app::SetTag(this, tgUpdateDownloadForm);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto* layout = new QVBoxLayout(this);
    FStatus = new QGroupBox(this);
    auto* grid = new QGridLayout(FStatus);
    FProgress = new QProgressBar(FStatus);
    FProgress->setRange(0, 100);
    FZero = new QLabel("0 KB", FStatus);
    FSize = new QLabel(FStatus);
    FSize->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(FProgress, 0, 0, 1, 2);
    grid->addWidget(FZero, 1, 0);
    grid->addWidget(FSize, 1, 1);
    layout->addWidget(FStatus);
    FButton = new QPushButton(this);
    FButton->setObjectName("btAction");
    layout->addWidget(FButton, 0, Qt::AlignHCenter);
    setMinimumWidth(320);
    connect(FButton, &QPushButton::clicked, this, [this] { FDownload.ButtonClicked(); });
    FDownload.OnChanged = [this] { Refresh(); };
    FDownload.OnClose = [this](bool ok) { done(ok ? QDialog::Accepted : QDialog::Rejected); };
    Refresh();
}

TfmUpdateDownload::~TfmUpdateDownload() {
    FDownload.OnChanged = nullptr;
    FDownload.OnClose = nullptr;
}

void TfmUpdateDownload::Refresh() {
    QString status = QString::fromStdString(app::Text(FDownload.Status));
    if (FDownload.Status == utError) status += QString::fromStdString(FDownload.StatusDetail);
    FStatus->setTitle(status);
    FProgress->setValue(FDownload.Progress);
    FSize->setText(QString::fromStdString(FDownload.SizeText));
    FButton->setText(QString::fromStdString(app::Text(FDownload.ButtonIsOk ? tgUpdateButtonOk : tgUpdateButtonCancel)));
    FButton->setEnabled(FDownload.ButtonIsOk || FDownload.CancelEnabled());
}

bool TQtUpdateDialogHost::ShowModal(TUpdateDownload& download) {
    if (download.EndedOk) return true;
    TfmUpdateDownload dialog(download, FParent);
    if (OnShown) OnShown(dialog);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace vorlin::update
