#include "app/dialogs/ProjectInformation.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogTexts.h"
#include "platform/StringUtils.h"
#include "project/DownloadProject.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vorlin::app {

void ResetProjectStatistics(TDownloadProject& project) {
    project.ProjectSize = 0;
    project.FileCount = 0;
    project.DownloadedCount = 0;
    project.FilteredOutCount = 0;
    project.AverageCPS = 0;
    project.PeekCPS = 0;
    project.LastDuration = 0;
    project.LastDownloadDate = 0;
}

std::string FormatRate(int32_t bytesPerSecond) {
    // In hundredths, by integer arithmetic, so the cut is exact.
    const int64_t hundredths = static_cast<int64_t>(bytesPerSecond) * 100 / 1024;
    const int64_t magnitude = std::llabs(hundredths);
    return Format("%s%lld.%02lld KB/s", hundredths < 0 ? "-" : "", static_cast<long long>(magnitude / 100),
                  static_cast<long long>(magnitude % 100));
}

std::string FormatDuration(double days) {
    if (!std::isfinite(days) || days <= 0) return "0:00:00";
    // Whole seconds, as a time of day shows them; a damaged value can't overflow.
    const double seconds = std::floor(std::min(days, 1e9) * 86400.0 + 0.0005);
    const long long total = static_cast<long long>(seconds);
    return Format("%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
}

std::string FormatKB(int64_t bytes) { return Format("%.2f KB", static_cast<double>(bytes) / 1024.0); }

TfmProjectInformation::TfmProjectInformation(TDownloadProject& project, QWidget* parent)
    : QDialog(parent), FProject(project) {
    AddDialogTexts();
    setObjectName("TfmProjectInformation");
    SetTag(this, tgInformationForm);

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignLeft);
    auto value = [&](int tag, const char* labelName, const char* valueName) {
        auto* shown = Named<QLabel>(valueName, this);
        shown->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(Tagged<QLabel>(tag, labelName, this), shown);
        return shown;
    };
    FAverageCPS = value(tgAverageCPS, "lbAverageCPSCaption", "lbAverageCPS");
    FPeekCPS = value(tgPeekCPS, "lbPeekCPSCaption", "lbPeekCPS");
    FFileCount = value(tgFileCount, "lbFileCountCaption", "lbFileCount");
    FFilteredOutCount = value(tgFilteredOutCount, "lbFilteredOutCountCaption", "lbFilteredOutCount");
    FDownloadedCount = value(tgDownloadedCount, "lbDownloadedCountCaption", "lbDownloadedCount");
    FLastDuration = value(tgLastDuration, "lbLastDurationCaption", "lbLastDuration");
    FProjectSize = value(tgProjectSize, "lbProjectSizeCaption", "lbProjectSize");

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* reset = Tagged<QPushButton>(tgInformationReset, "btReset", buttons);
    QPushButton* close = Tagged<QPushButton>(tgInformationClose, "btOK", buttons);
    buttons->addButton(reset, QDialogButtonBox::ResetRole);
    buttons->addButton(close, QDialogButtonBox::AcceptRole);
    reset->setAutoDefault(false);
    close->setDefault(true);
    connect(reset, &QPushButton::clicked, this, &TfmProjectInformation::Reset);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumWidth(360);
    ShowStatistics();
}

void TfmProjectInformation::ShowStatistics() {
    // A running project's figures are read without a lock: each is one
    // number the run writes whole.
    auto q = [](const std::string& text) { return QString::fromStdString(text); };
    FAverageCPS->setText(q(FormatRate(FProject.AverageCPS)));
    FPeekCPS->setText(q(FormatRate(FProject.PeekCPS)));
    FFileCount->setText(QString::number(FProject.FileCount));
    FFilteredOutCount->setText(QString::number(FProject.FilteredOutCount));
    FDownloadedCount->setText(QString::number(FProject.DownloadedCount));
    FLastDuration->setText(q(FormatDuration(FProject.LastDuration)));
    FProjectSize->setText(q(FormatKB(FProject.ProjectSize)));
}

void TfmProjectInformation::Reset() {
    ResetProjectStatistics(FProject);
    ShowStatistics();
}

} // namespace vorlin::app
