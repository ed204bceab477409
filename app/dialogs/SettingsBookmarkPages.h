// The "Bookmark Import" pages of the settings dialog: where the Netscape
// bookmarks and the Internet Explorer favourites come from, and whether
// they are imported at start-up.
#pragma once

#include "app/dialogs/SettingsPage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vorlin::app {

class TNetscapePage : public TSettingsPage {
public:
    explicit TNetscapePage(QWidget* parent = nullptr);
    int Tag() const override;
    void Load(const TProgramSettings& record, const TSettingsOffers& offers) override;
    void Store(TProgramSettings& record) const override;

private:
    void UpdateEnabled();

    QRadioButton* FNetscpDir;
    QLabel* FNetscpDirShown;
    QRadioButton* FUserSelect;
    QComboBox* FUsers;
    QRadioButton* FOther;
    QLineEdit* FOtherFile;
    QPushButton* FOtherBrowse;
    QCheckBox* FLoadOnStartUp;
    std::string FStoredUser;  // kept when no user is offered
};

class TInternetExplorerPage : public TSettingsPage {
public:
    explicit TInternetExplorerPage(QWidget* parent = nullptr);
    int Tag() const override;
    void Load(const TProgramSettings& record, const TSettingsOffers& offers) override;
    void Store(TProgramSettings& record) const override;

private:
    void UpdateEnabled();

    QRadioButton* FStandard;
    QLabel* FStandardShown;
    QRadioButton* FOther;
    QLineEdit* FOtherDir;
    QPushButton* FOtherBrowse;
    QCheckBox* FLoadOnStartUp;
};

} // namespace vorlin::app
