#include "app/dialogs/ClosingDownload.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogTexts.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

namespace vorlin::app {

TfmClosingDownload::TfmClosingDownload(QWidget* parent) : QDialog(parent) {
    AddDialogTexts();
    setObjectName("TfmClosingDownload");
    SetTag(this, tgClosingForm);
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    FStatus = Tagged<QLabel>(tgShutdownInitiated, "lbStatus", this);
    FStatus->setMinimumWidth(320);
    FStatus->setWordWrap(true);
    FProgress = Named<QProgressBar>("pbProgress", this);
    FProgress->setRange(0, 100);
    FProgress->setValue(0);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FStatus);
    layout->addWidget(FProgress);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfmClosingDownload::SetProgress(int percent, const std::string& text) {
    FProgress->setValue(std::clamp(percent, 0, 100));
    FStatus->setText(QString::fromStdString(text));
}

int TfmClosingDownload::Progress() const { return FProgress->value(); }

QString TfmClosingDownload::StatusText() const { return FStatus->text(); }

} // namespace vorlin::app
