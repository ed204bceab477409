// Every question the main window asks a person goes through this interface:
// message boxes, the run's questions and the dialogs of the window. The
// program uses TQtDesktopDialogs (real dialogs); tests answer from a script,
// so the controller runs without anyone at the screen.
#pragma once

#include <string>
#include <vector>

class QWidget;

namespace vorlin {
class TDownloadLink;
class TDownloadProject;
struct TAuthRec;
struct TProgramSettings;
}

namespace vorlin::app {

struct TOptionsFormContext;

enum class TAnswer { anOk, anYes, anNo, anCancel };
enum class TButtons { bnOk, bnYesNo, bnYesNoCancel, bnOkCancel };
// What the template dialog (TTemplateForm) was closed with.
enum class TTemplateChoice { tcChosen, tcNew, tcCancel };

class IDesktopDialogs {
public:
    virtual ~IDesktopDialogs() = default;

    // A message with OK (warning when error is set).
    virtual void Message(const std::string& text, bool error = false) = 0;
    // A message under its own title (the update's change list).
    virtual void TitledMessage(const std::string& title, const std::string& text) { Message(title + "\n\n" + text); }
    // A question; defaultAnswer is the button Enter presses.
    virtual TAnswer Question(const std::string& text, TButtons buttons, TAnswer defaultAnswer) = 0;
    // A file name to save to; empty when cancelled.
    virtual std::string SaveFileName(const std::string& filter, const std::string& defaultSuffix) = 0;

    // "Authorization required": true with user name and password filled.
    virtual bool AskCredentials(TAuthRec& request) = 0;
    // Half-automatic selection of the links of a page (sets Forced).
    virtual void SelectLinks(TDownloadProject& project, TDownloadLink& page) = 0;
    // File selection over the project's link list; false when cancelled.
    virtual bool SelectStructure(TDownloadProject& project) = 0;
    // The settings dialog on a copy of the record; true (record replaced) on OK.
    virtual bool EditSettings(TProgramSettings& record) = 0;
    // The project options dialog "Eigenschaften" on a project or template;
    // true when it was confirmed (the project changed). The dialog stores the
    // plugin states and rules itself; the caller saves the ".prj".
    virtual bool EditProjectOptions(TDownloadProject& project, const TOptionsFormContext& context) = 0;
    // The statistics dialog (its reset changes the project).
    virtual void ShowProjectInformation(TDownloadProject& project) = 0;

    // The modeless "Closing Download" window.
    virtual void ShowClosingDownload(const std::string& text) = 0;
    virtual void ClosingDownloadProgress(int percent, const std::string& text) = 0;
    virtual void CloseClosingDownload() = 0;
    virtual bool ClosingDownloadShown() const = 0;

    // --- Projects from templates ---------------------------------------------
    // One line of text under a caption and a prompt, preset to value; false
    // (value untouched) when cancelled.
    virtual bool InputText(const std::string& caption, const std::string& prompt, std::string& value) = 0;
    // The template dialog over these captions with row preselected (-1:
    // none); on tcChosen row is the chosen one.
    virtual TTemplateChoice ChooseTemplate(const std::vector<std::string>& templates, int& row) = 0;
    // The target directory of a new project, preset to directory, with the
    // check box that makes it the one always used; false when cancelled.
    virtual bool ChooseTargetDirectory(std::string& directory, bool& useStandardDir) = 0;
};

} // namespace vorlin::app
