// The dialogs the main window opens, one call each; DialogForms.cpp opens
// the forms of app/dialogs/.
#pragma once

#include <memory>
#include <string>

class QWidget;

namespace vorlin {
class TDownloadLink;
class TDownloadProject;
struct TAuthRec;
struct TProgramSettings;
}

namespace vorlin::app {

struct TOptionsFormContext;
struct TSettingsOffers;

bool RunCredentialsDialog(TAuthRec& request, QWidget* owner);
void RunSelectLinksDialog(TDownloadProject& project, TDownloadLink& page, QWidget* owner);
bool RunSelectStructureDialog(TDownloadProject& project, QWidget* owner);
// On OK the edited copy replaces record.
bool RunSettingsDialog(TProgramSettings& record, const TSettingsOffers& offers, QWidget* owner);
// The project options; stores plugin states and rules as the dialog closes.
bool RunProjectOptionsDialog(TDownloadProject& project, const TOptionsFormContext& context, QWidget* owner);
void RunProjectInformationDialog(TDownloadProject& project, QWidget* owner);

// The modeless "Closing Download" window.
class IClosingWindow {
public:
    virtual ~IClosingWindow() = default;
    virtual void SetProgress(int percent, const std::string& text) = 0;
};
std::unique_ptr<IClosingWindow> ShowClosingWindow(const std::string& text, QWidget* owner);

} // namespace vorlin::app
