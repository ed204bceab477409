#include "app/dialogs/SettingsBehaviourPages.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vorlin::app {

// --- Clipboard ---------------------------------------------------------------------

TClipboardPage::TClipboardPage(QWidget* parent) : TSettingsPage(parent) {
    FEnabled = Tagged<QCheckBox>(tgClipboardEnabled, "cbClipboardEnabled", this);
    FTypes = Tagged<QGroupBox>(tgClipboardType, "gbClipboardType", this);
    FType[0] = Tagged<QRadioButton>(tgClipboardSilent, "rbClipboardSilent", FTypes);
    FType[1] = Tagged<QRadioButton>(tgClipboardTemplate, "rbClipboardTemplate", FTypes);
    FType[2] = Tagged<QRadioButton>(tgClipboardNew, "rbClipboardNew", FTypes);
    auto* types = new QVBoxLayout(FTypes);
    for (QRadioButton* button : FType) types->addWidget(button);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FEnabled);
    layout->addWidget(FTypes);
    layout->addStretch(1);
    connect(FEnabled, &QCheckBox::toggled, FTypes, &QGroupBox::setEnabled);
}

int TClipboardPage::Tag() const { return tgClipboard; }

void TClipboardPage::Load(const TProgramSettings& record, const TSettingsOffers&) {
    FEnabled->setChecked(record.ClipboardEnabled);
    if (record.ClipboardType < 3) FType[record.ClipboardType]->setChecked(true);
    FTypes->setEnabled(record.ClipboardEnabled);
}

void TClipboardPage::Store(TProgramSettings& record) const {
    record.ClipboardEnabled = FEnabled->isChecked();
    for (uint8_t mode = 0; mode < 3; ++mode)
        if (FType[mode]->isChecked()) record.ClipboardType = mode;
}

// --- Identification ----------------------------------------------------------------

const char* const TIdentificationPage::kAgents[4] = {
    "Mozilla/3.0 (compatible)",
    "Mozilla/4.0 (compatible; MSIE 5.01)",
    "Mozilla/4.01 (Win95; I)",
    "Mozilla/4.0 (compatible; HTTP Vorlin Offline-Browser)",
};

TIdentificationPage::TIdentificationPage(QWidget* parent) : TSettingsPage(parent) {
    auto* label = Tagged<QLabel>(tgIdentifyAs, "lbIdentifyAs", this);
    FIdentifyAs = Named<QComboBox>("cbIdentifyAs", this);
    FIdentifyAs->setEditable(true);
    FIdentifyAs->setInsertPolicy(QComboBox::NoInsert);
    for (const char* agent : kAgents) FIdentifyAs->addItem(QString::fromLatin1(agent));
    label->setBuddy(FIdentifyAs);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(FIdentifyAs);
    layout->addStretch(1);
}

int TIdentificationPage::Tag() const { return tgIdentification; }

void TIdentificationPage::Load(const TProgramSettings& record, const TSettingsOffers&) {
    // The stored text as it is, also when it is none of the entries or empty.
    FIdentifyAs->setCurrentIndex(-1);
    FIdentifyAs->setEditText(QString::fromStdString(record.IdentifyAs));
}

void TIdentificationPage::Store(TProgramSettings& record) const {
    // The settings file keeps no blanks at the ends of a value.
    record.IdentifyAs = FIdentifyAs->currentText().trimmed().toStdString();
}

// --- AutoSave -------------------------------------------------------------------------

TAutoSavePage::TAutoSavePage(QWidget* parent) : TSettingsPage(parent) {
    FEnabled = Tagged<QCheckBox>(tgAutosaveEnabled, "cbAutosaveEnabled", this);
    auto* label = Tagged<QLabel>(tgAutosaveMinutes, "lbAutosaveMinutes", this);
    FMinutes = Named<QSpinBox>("seAutosaveMinutes", this);
    FMinutes->setRange(0, 32767);
    label->setBuddy(FMinutes);

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(FMinutes);
    row->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FEnabled);
    layout->addLayout(row);
    layout->addStretch(1);
    connect(FEnabled, &QCheckBox::toggled, FMinutes, &QSpinBox::setEnabled);
}

int TAutoSavePage::Tag() const { return tgAutoSave; }

void TAutoSavePage::Load(const TProgramSettings& record, const TSettingsOffers&) {
    FEnabled->setChecked(record.AutosaveEnabled);
    FMinutes->setValue(record.AutosaveMinutes);
    FMinutes->setEnabled(record.AutosaveEnabled);
}

void TAutoSavePage::Store(TProgramSettings& record) const {
    record.AutosaveEnabled = FEnabled->isChecked();
    record.AutosaveMinutes = FMinutes->value();
}

} // namespace vorlin::app
