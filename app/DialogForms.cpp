// The main window's dialogs: the forms of app/dialogs/.

#include "app/DialogForms.h"

#include "app/dialogs/Authorization.h"
#include "app/dialogs/ClosingDownload.h"
#include "app/dialogs/OptionsForm.h"
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

bool RunSettingsDialog(TProgramSettings& record, const TSettingsOffers& offers, QWidget* owner) {
    TSettingsForm dialog(record, offers, owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    record = dialog.Record();
    return true;
}

bool RunProjectOptionsDialog(TDownloadProject& project, const TOptionsFormContext& context, QWidget* owner) {
    TOptionsForm dialog(project, context, owner);
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    dialog.Close();
    return confirmed;
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
