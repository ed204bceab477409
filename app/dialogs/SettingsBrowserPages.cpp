#include "app/dialogs/SettingsBrowserPages.h"

#include "app/dialogs/DialogControls.h"
#include "app/texts/BookmarkTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vorlin::app {

const TBrowserProfilePage::TFields TBrowserProfilePage::kFirefox = {
    tgFirefoxPage, tgFirefoxSource, tgFirefoxProfile, tgFirefoxOther, tgFirefoxOtherBrowse, tgLoadFirefoxOnStartUp,
    "Firefox", &TProgramSettings::LoadFirefoxOnStartUp, &TProgramSettings::FirefoxOther,
    &TProgramSettings::FirefoxOtherFile, &TProgramSettings::FirefoxProfile, &TSettingsOffers::BrowserUsers};

const TBrowserProfilePage::TFields TBrowserProfilePage::kChromium = {
    tgChromiumPage, tgChromiumSource, tgChromiumProfile, tgChromiumOther, tgChromiumOtherBrowse,
    tgLoadChromiumOnStartUp, "Chromium", &TProgramSettings::LoadChromiumOnStartUp, &TProgramSettings::ChromiumOther,
    &TProgramSettings::ChromiumOtherFile, &TProgramSettings::ChromiumProfile, &TSettingsOffers::ChromiumProfiles};

namespace {

QByteArray Name(const char* kind, const char* prefix, const char* role) {
    return QByteArray(kind) + prefix + role;
}

} // namespace

TBrowserProfilePage::TBrowserProfilePage(const TFields& fields, QWidget* parent)
    : TSettingsPage(parent), FFields(fields) {
    AddBookmarkTexts();
    const char* p = fields.Prefix;
    auto* source = Tagged<QGroupBox>(fields.SourceTag, Name("gb", p, "Source").constData(), this);
    FProfile = Tagged<QRadioButton>(fields.ProfileTag, Name("rb", p, "Profile").constData(), source);
    FProfiles = Named<QComboBox>(Name("cb", p, "Profile").constData(), source);
    FOther = Tagged<QRadioButton>(fields.OtherTag, Name("rb", p, "Other").constData(), source);
    FOtherFile = Named<QLineEdit>(Name("ed", p, "Other").constData(), source);
    FOtherBrowse = BrowseButton(fields.BrowseTag, Name("bt", p, "Other").constData(), FOtherFile,
                                TBrowseFor::bfDirectory, source);

    auto* grid = new QGridLayout(source);
    grid->addWidget(FProfile, 0, 0);
    grid->addWidget(FProfiles, 0, 1, 1, 2);
    grid->addWidget(FOther, 1, 0, 1, 3);
    grid->addWidget(FOtherFile, 2, 0, 1, 2);
    grid->addWidget(FOtherBrowse, 2, 2);
    grid->setColumnStretch(1, 1);

    FLoadOnStartUp = Tagged<QCheckBox>(fields.StartUpTag, Name("cbLoad", p, "OnStartUp").constData(), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source);
    layout->addWidget(FLoadOnStartUp);
    layout->addStretch(1);

    for (QRadioButton* button : {FProfile, FOther})
        connect(button, &QRadioButton::toggled, this, [this] { UpdateEnabled(); });
}

int TBrowserProfilePage::Tag() const { return FFields.PageTag; }

void TBrowserProfilePage::Load(const TProgramSettings& record, const TSettingsOffers& offers) {
    FProfiles->clear();
    for (const std::string& profile : offers.*FFields.Profiles) FProfiles->addItem(QString::fromStdString(profile));
    // A profile no longer offered falls back to the first one offered.
    const int stored = FProfiles->findText(QString::fromStdString(record.*FFields.Profile), Qt::MatchExactly);
    FProfiles->setCurrentIndex(stored >= 0 ? stored : FProfiles->count() > 0 ? 0 : -1);
    FStoredProfile = record.*FFields.Profile;
    FOtherFile->setText(QString::fromStdString(record.*FFields.OtherFile));
    (record.*FFields.Other ? FOther : FProfile)->setChecked(true);
    FLoadOnStartUp->setChecked(record.*FFields.LoadOnStartUp);
    UpdateEnabled();
}

void TBrowserProfilePage::Store(TProgramSettings& record) const {
    record.*FFields.Other = FOther->isChecked();
    record.*FFields.Profile = FProfiles->count() > 0 ? FProfiles->currentText().toStdString() : FStoredProfile;
    record.*FFields.OtherFile = FOtherFile->text().trimmed().toStdString();
    record.*FFields.LoadOnStartUp = FLoadOnStartUp->isChecked();
}

void TBrowserProfilePage::UpdateEnabled() {
    FProfiles->setEnabled(FProfile->isChecked() && FProfiles->count() > 0);
    FOtherFile->setEnabled(FOther->isChecked());
    FOtherBrowse->setEnabled(FOther->isChecked());
}

} // namespace vorlin::app
