// The "Bookmark Import" pages of the settings dialog for the browsers of
// today: Firefox (a profile's places.sqlite) and Chromium or Chrome (a
// profile's Bookmarks file): a profile offered, or a folder or file named
// by the user, and whether they are imported at start-up.
#pragma once

#include "app/dialogs/SettingsPage.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vorlin::app {

class TBrowserProfilePage : public TSettingsPage {
public:
    // Which browser the page is for: its tags and its fields of the record.
    struct TFields {
        int PageTag, SourceTag, ProfileTag, OtherTag, BrowseTag, StartUpTag;
        const char* Prefix;  // of the control names: "Firefox", "Chromium"
        bool TProgramSettings::*LoadOnStartUp;
        bool TProgramSettings::*Other;
        std::string TProgramSettings::*OtherFile;
        std::string TProgramSettings::*Profile;
        std::vector<std::string> TSettingsOffers::*Profiles;
    };
    static const TFields kFirefox;
    static const TFields kChromium;

    TBrowserProfilePage(const TFields& fields, QWidget* parent = nullptr);
    int Tag() const override;
    void Load(const TProgramSettings& record, const TSettingsOffers& offers) override;
    void Store(TProgramSettings& record) const override;

private:
    void UpdateEnabled();

    TFields FFields;
    QRadioButton* FProfile;
    QComboBox* FProfiles;
    QRadioButton* FOther;
    QLineEdit* FOtherFile;
    QPushButton* FOtherBrowse;
    QCheckBox* FLoadOnStartUp;
    std::string FStoredProfile;  // kept when no profile is offered
};

} // namespace vorlin::app
