#include "app/dialogs/OptionsFilterPages.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/OptionsTexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vorlin::app {

// --- File Extensions ----------------------------------------------------------------------

TFileExtensionsPage::TFileExtensionsPage(QWidget* parent) : TOptionsPage(parent) {
    FList = Named<QListWidget>("ExcludeList", this);
    FEntry = Named<QLineEdit>("edExclude", this);
    auto* add = Tagged<QPushButton>(tgExcludeAdd, "btExcludeAdd", this);
    FRemove = Tagged<QPushButton>(tgExcludeRemove, "btExcludeRemove", this);

    auto* entry = new QHBoxLayout;
    entry->addWidget(FEntry, 1);
    entry->addWidget(add);
    entry->addWidget(FRemove);
    auto* page = new QVBoxLayout(this);
    page->addWidget(BuddyLabel(tgExcludeCaption, "lbExclude", FList, this));
    page->addWidget(FList, 1);
    page->addLayout(entry);

    connect(add, &QPushButton::clicked, this, [this] { AddEntry(); });
    connect(FEntry, &QLineEdit::returnPressed, this, [this] { AddEntry(); });
    connect(FRemove, &QPushButton::clicked, this, [this] { RemoveEntry(); });
    connect(FList, &QListWidget::currentRowChanged, this, [this](int row) { FRemove->setEnabled(row >= 0); });

    // A new project leaves archives and programs alone.
    Show({"zip", ".exe"});
}

int TFileExtensionsPage::Tag() const { return tgFileExtensions; }

void TFileExtensionsPage::Load(const TDownloadProject& project) { Show(project.ExcludeList); }

void TFileExtensionsPage::Store(TDownloadProject& project) const {
    std::vector<std::string> entries;
    for (int i = 0; i < FList->count(); ++i) entries.push_back(FList->item(i)->text().toStdString());
    project.ExcludeList = std::move(entries);
}

void TFileExtensionsPage::AddEntry() {
    const QString text = FEntry->text().trimmed();
    if (!text.isEmpty()) FList->addItem(text);
    FEntry->clear();
    FEntry->setFocus();
}

void TFileExtensionsPage::RemoveEntry() {
    const int row = FList->currentRow();
    if (row >= 0) delete FList->takeItem(row);
}

void TFileExtensionsPage::Show(const std::vector<std::string>& entries) {
    FList->clear();
    for (const std::string& entry : entries) FList->addItem(QString::fromStdString(entry));
    FRemove->setEnabled(false);
}

// --- Limits -------------------------------------------------------------------------------

TLimitsPage::TLimitsPage(QWidget* parent) : TOptionsPage(parent) {
    struct TRow {
        int UseTag;
        const char* UseName;
        const char* ValueName;
        int UnitTag;
        int Maximum;
    };
    // The values are 16-bit positions of spin controls.
    static const TRow rows[] = {
        {tgUseMaxFileSize, "cbUseMaxFileSize", "seMaxFileSize", tgMaxFileSizeUnit, 32767},
        {tgUseMinFileSize, "cbUseMinFileSize", "seMinFileSize", tgMinFileSizeUnit, 100},
        {tgUseMaxFileCount, "cbUseMaxFileCount", "seMaxFileCount", tgMaxFileCountUnit, 32767},
        {tgUseMinDriveSpace, "cbUseMinDriveSpace", "seMinDriveSpace", tgMinDriveSpaceUnit, 32767},
        {tgUseMaxLevelCount, "cbUseMaxLevelCount", "seMaxLevelCount", tgMaxLevelCountUnit, 32767},
        {tgUseMaxProjSize, "cbUseMaxProjSize", "seMaxProjSize", tgMaxProjSizeUnit, 32767},
    };
    auto* group = Tagged<QGroupBox>(tgLimitsGroup, "gbLimits", this);
    auto* grid = new QGridLayout(group);
    for (size_t i = 0; i < FLimits.size(); ++i) {
        const TRow& row = rows[i];
        TLimit& limit = FLimits[i];
        limit.Use = Tagged<QCheckBox>(row.UseTag, row.UseName, group);
        limit.Value = Named<QSpinBox>(row.ValueName, group);
        limit.Value->setRange(0, row.Maximum);
        limit.Value->setMinimumWidth(limit.Value->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 24);
        const int r = static_cast<int>(i);
        grid->addWidget(limit.Use, r, 0);
        grid->addWidget(limit.Value, r, 1);
        grid->addWidget(Tagged<QLabel>(row.UnitTag, "", group), r, 2);
    }
    grid->setColumnStretch(3, 1);
    auto* page = new QVBoxLayout(this);
    page->addWidget(group);
    page->addStretch(1);
}

int TLimitsPage::Tag() const { return tgLimits; }

void TLimitsPage::Load(const TDownloadProject& p) {
    const std::pair<bool, int32_t> values[] = {
        {p.UseMaxFileSize, p.MaxFileSize},   {p.UseMinFileSize, p.MinFileSize},   {p.UseMaxFileCount, p.MaxFileCount},
        {p.UseMinDriveSpace, p.MinDriveSpace}, {p.UseMaxLevelCount, p.MaxLevelCount}, {p.UseMaxProjSize, p.MaxProjSize},
    };
    for (size_t i = 0; i < FLimits.size(); ++i) {
        FLimits[i].Use->setChecked(values[i].first);
        // A stored value beyond the control's range shows as its end.
        FLimits[i].Value->setValue(values[i].second);
    }
}

void TLimitsPage::Store(TDownloadProject& p) const {
    const std::pair<bool*, int32_t*> fields[] = {
        {&p.UseMaxFileSize, &p.MaxFileSize},   {&p.UseMinFileSize, &p.MinFileSize},
        {&p.UseMaxFileCount, &p.MaxFileCount}, {&p.UseMinDriveSpace, &p.MinDriveSpace},
        {&p.UseMaxLevelCount, &p.MaxLevelCount}, {&p.UseMaxProjSize, &p.MaxProjSize},
    };
    for (size_t i = 0; i < FLimits.size(); ++i) {
        *fields[i].first = FLimits[i].Use->isChecked();
        *fields[i].second = FLimits[i].Value->value();
    }
}

// --- Misc ---------------------------------------------------------------------------------

TMiscPage::TMiscPage(QWidget* parent) : TOptionsPage(parent), FJavaScript(this) {
    auto* scripts = Tagged<QGroupBox>(tgJavaScriptGroup, "rgJavaScript", this);
    auto* scriptsLayout = new QVBoxLayout(scripts);
    scriptsLayout->addWidget(FJavaScript.Add(tgJsInterpret, "rbJsInterpret", scripts));
    scriptsLayout->addWidget(FJavaScript.Add(tgJsIgnore, "rbJsIgnore", scripts));
    scriptsLayout->addWidget(FJavaScript.Add(tgJsDelete, "rbJsDelete", scripts));

    auto* misc = Tagged<QGroupBox>(tgMiscGroup, "gbMisc", this);
    FDownloadBckgrds = Tagged<QCheckBox>(tgDownloadBckgrds, "cbDownloadBckgrds", misc);
    FResetOnProjStart = Tagged<QCheckBox>(tgResetOnProjStart, "cbResetOnProjStart", misc);
    auto* miscLayout = new QVBoxLayout(misc);
    miscLayout->addWidget(FDownloadBckgrds);
    miscLayout->addWidget(FResetOnProjStart);

    auto* page = new QVBoxLayout(this);
    page->addWidget(scripts);
    page->addWidget(misc);
    page->addStretch(1);

    FJavaScript.Select(jsInterpret);
    FDownloadBckgrds->setChecked(true);
}

int TMiscPage::Tag() const { return tgMisc; }

void TMiscPage::Load(const TDownloadProject& project) {
    FJavaScript.Select(project.JavaScriptMode);
    FDownloadBckgrds->setChecked(project.DownloadBckgrds);
    FResetOnProjStart->setChecked(project.ResetOnProjStart);
}

void TMiscPage::Store(TDownloadProject& project) const {
    project.JavaScriptMode = static_cast<TJavaScriptMode>(FJavaScript.Selected(jsDelete));
    project.DownloadBckgrds = FDownloadBckgrds->isChecked();
    project.ResetOnProjStart = FResetOnProjStart->isChecked();
}

} // namespace vorlin::app
