#include "app/dialogs/SettingsBookmarkPages.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vorlin::app {

namespace {

// The one of several sources stored as flags of their own that the page
// shows as chosen: the first that is set.
void CheckFirstSet(std::initializer_list<std::pair<QRadioButton*, bool>> sources) {
    for (const auto& [button, set] : sources)
        if (set) {
            button->setChecked(true);
            return;
        }
}

QString ShownDirectory(const std::string& directory) {
    return directory.empty() ? DialogText(smNotFound) : QString::fromStdString(directory);
}

} // namespace

// --- Netscape ----------------------------------------------------------------

TNetscapePage::TNetscapePage(QWidget* parent) : TSettingsPage(parent) {
    auto* source = Tagged<QGroupBox>(tgBookmSource, "gbBookmSource", this);
    FNetscpDir = Tagged<QRadioButton>(tgBookmNetscpDir, "rbBookmNetscpDir", source);
    FNetscpDirShown = Named<QLabel>("lbBookmNetscpDir", source);
    FNetscpDirShown->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FUserSelect = Tagged<QRadioButton>(tgBookmUserSelect, "rbBookmUserSelect", source);
    FUsers = Named<QComboBox>("cbSelectedUser", source);
    FOther = Tagged<QRadioButton>(tgBookmOther, "rbBookmOther", source);
    FOtherFile = Named<QLineEdit>("edBookmOther", source);
    FOtherBrowse = BrowseButton(tgBookmOtherBrowse, "btBookmOther", FOtherFile, TBrowseFor::bfBookmarkFile, source);

    auto* grid = new QGridLayout(source);
    grid->addWidget(FNetscpDir, 0, 0);
    grid->addWidget(FNetscpDirShown, 0, 1, 1, 2);
    grid->addWidget(FUserSelect, 1, 0);
    grid->addWidget(FUsers, 1, 1, 1, 2);
    grid->addWidget(FOther, 2, 0, 1, 3);
    grid->addWidget(FOtherFile, 3, 0, 1, 2);
    grid->addWidget(FOtherBrowse, 3, 2);
    grid->setColumnStretch(1, 1);

    FLoadOnStartUp = Tagged<QCheckBox>(tgLoadBookmOnStartUp, "cbLoadBookmOnStartUp", this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source);
    layout->addWidget(FLoadOnStartUp);
    layout->addStretch(1);

    for (QRadioButton* button : {FNetscpDir, FUserSelect, FOther})
        connect(button, &QRadioButton::toggled, this, [this] { UpdateEnabled(); });
}

int TNetscapePage::Tag() const { return tgNetscape; }

void TNetscapePage::Load(const TProgramSettings& record, const TSettingsOffers& offers) {
    FNetscpDirShown->setText(ShownDirectory(offers.BrowserDirectory));
    FUsers->clear();
    for (const std::string& user : offers.BrowserUsers) FUsers->addItem(QString::fromStdString(user));
    // A user no longer offered falls back to the first one offered.
    const int stored = FUsers->findText(QString::fromStdString(record.SelectedUser), Qt::MatchExactly);
    FUsers->setCurrentIndex(stored >= 0 ? stored : FUsers->count() > 0 ? 0 : -1);
    FStoredUser = record.SelectedUser;
    FOtherFile->setText(QString::fromStdString(record.BookmOtherFile));
    CheckFirstSet({{FNetscpDir, record.BookmNetscpDir}, {FUserSelect, record.BookmUserSelect}, {FOther, record.BookmOther}});
    FLoadOnStartUp->setChecked(record.LoadBookmOnStartUp);
    UpdateEnabled();
}

void TNetscapePage::Store(TProgramSettings& record) const {
    record.BookmNetscpDir = FNetscpDir->isChecked();
    record.BookmUserSelect = FUserSelect->isChecked();
    record.BookmOther = FOther->isChecked();
    record.SelectedUser = FUsers->count() > 0 ? FUsers->currentText().toStdString() : FStoredUser;
    record.BookmOtherFile = FOtherFile->text().trimmed().toStdString();
    record.LoadBookmOnStartUp = FLoadOnStartUp->isChecked();
}

void TNetscapePage::UpdateEnabled() {
    FUsers->setEnabled(FUserSelect->isChecked() && FUsers->count() > 0);
    FOtherFile->setEnabled(FOther->isChecked());
    FOtherBrowse->setEnabled(FOther->isChecked());
}

// --- Internet Explorer ---------------------------------------------------------

TInternetExplorerPage::TInternetExplorerPage(QWidget* parent) : TSettingsPage(parent) {
    auto* source = Tagged<QGroupBox>(tgFavSource, "gbFavSource", this);
    FStandard = Tagged<QRadioButton>(tgFavStandard, "rbFavStandard", source);
    FStandardShown = Named<QLabel>("lbFavStandard", source);
    FStandardShown->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FOther = Tagged<QRadioButton>(tgFavOther, "rbFavOther", source);
    FOtherDir = Named<QLineEdit>("edFavOther", source);
    FOtherBrowse = BrowseButton(tgFavOtherBrowse, "btFavOther", FOtherDir, TBrowseFor::bfDirectory, source);

    auto* grid = new QGridLayout(source);
    grid->addWidget(FStandard, 0, 0);
    grid->addWidget(FStandardShown, 0, 1, 1, 2);
    grid->addWidget(FOther, 1, 0, 1, 3);
    grid->addWidget(FOtherDir, 2, 0, 1, 2);
    grid->addWidget(FOtherBrowse, 2, 2);
    grid->setColumnStretch(1, 1);

    FLoadOnStartUp = Tagged<QCheckBox>(tgLoadFavOnStartUp, "cbLoadFavOnStartUp", this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source);
    layout->addWidget(FLoadOnStartUp);
    layout->addStretch(1);

    for (QRadioButton* button : {FStandard, FOther})
        connect(button, &QRadioButton::toggled, this, [this] { UpdateEnabled(); });
}

int TInternetExplorerPage::Tag() const { return tgInternetExplorer; }

void TInternetExplorerPage::Load(const TProgramSettings& record, const TSettingsOffers& offers) {
    FStandardShown->setText(ShownDirectory(offers.FavoritesDirectory));
    FOtherDir->setText(QString::fromStdString(record.FavOtherDir));
    CheckFirstSet({{FStandard, record.FavStandard}, {FOther, record.FavOther}});
    FLoadOnStartUp->setChecked(record.LoadFavOnStartUp);
    UpdateEnabled();
}

void TInternetExplorerPage::Store(TProgramSettings& record) const {
    record.FavStandard = FStandard->isChecked();
    record.FavOther = FOther->isChecked();
    record.FavOtherDir = FOtherDir->text().trimmed().toStdString();
    record.LoadFavOnStartUp = FLoadOnStartUp->isChecked();
}

void TInternetExplorerPage::UpdateEnabled() {
    FOtherDir->setEnabled(FOther->isChecked());
    FOtherBrowse->setEnabled(FOther->isChecked());
}

} // namespace vorlin::app
