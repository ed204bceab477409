// The main window's dialogs: the forms of app/dialogs/.

#include "app/DialogForms.h"

#include "app/bookmarks/BookmarkSources.h"
#include "app/dialogs/Authorization.h"
#include "app/dialogs/ClosingDownload.h"
#include "app/dialogs/ProjectInformation.h"
#include "app/dialogs/SelectFilesFromList.h"
#include "app/dialogs/SelectForm.h"
#include "app/dialogs/SettingsForm.h"
#include "app/dialogs/SettingsOffers.h"
#include "project/ProgramSettings.h"

namespace vorlin::app {

bool RunCredentialsDialog(TAuthRec& request, QWidget* owner) {
    TfmAuthorization dialog(request, owner);
    return dialog.exec() == QDialog::Accepted;
}

void RunSelectLinksDialog(TDownloadProject& project, TDownloadLink& page, QWidget* owner) {
    // With no link to offer no dialog is shown.
    if (!TfmSelectFilesFromList::HasLinksToOffer(project, page)) return;
    TfmSelectFilesFromList dialog(project, page, owner);
    dialog.exec();
}

bool RunSelectStructureDialog(TDownloadProject& project, QWidget* owner) {
    TSelectForm dialog(project, owner);
    return dialog.exec() == QDialog::Accepted;
}

bool RunSettingsDialog(TProgramSettings& record, QWidget* owner) {
    // FIXME: the connection control fills the phone-book entries.
    TSettingsOffers offers;
    const TBrowserHome home = BrowserHomeFromEnvironment();
    for (const TBrowserProfile& profile : FirefoxProfiles(home)) offers.BrowserUsers.push_back(profile.Name);
    for (const TBrowserProfile& profile : ChromiumProfiles(home)) offers.ChromiumProfiles.push_back(profile.Name);
    offers.BrowserDirectory = BrowserInstallDirectory();
    offers.FavoritesDirectory = StandardFavoritesDirectory(home);
    TSettingsForm dialog(record, offers, owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    record = dialog.Record();
    return true;
}

void RunProjectInformationDialog(TDownloadProject& project, QWidget* owner) {
    TfmProjectInformation dialog(project, owner);
    dialog.exec();
}

namespace {

class TClosingForm : public IClosingWindow {
public:
    TClosingForm(const std::string& text, QWidget* owner) : FWindow(owner) {
        FWindow.SetProgress(0, text);
        FWindow.show();
    }
    void SetProgress(int percent, const std::string& text) override { FWindow.SetProgress(percent, text); }

private:
    TfmClosingDownload FWindow;
};

} // namespace

std::unique_ptr<IClosingWindow> ShowClosingWindow(const std::string& text, QWidget* owner) {
    return std::make_unique<TClosingForm>(text, owner);
}

} // namespace vorlin::app
