// The real dialogs of the main window (message boxes, the dialogs of
// app/dialogs/).
#pragma once

#include "app/DesktopDialogs.h"
#include "app/dialogs/SettingsOffers.h"

#include <functional>
#include <memory>

namespace vorlin::app {

class TQtDesktopDialogs : public IDesktopDialogs {
public:
    explicit TQtDesktopDialogs(QWidget* owner);
    ~TQtDesktopDialogs() override;

    void Message(const std::string& text, bool error) override;
    void TitledMessage(const std::string& title, const std::string& text) override;
    TAnswer Question(const std::string& text, TButtons buttons, TAnswer defaultAnswer) override;
    std::string SaveFileName(const std::string& filter, const std::string& defaultSuffix) override;
    bool AskCredentials(TAuthRec& request) override;
    void SelectLinks(TDownloadProject& project, TDownloadLink& page) override;
    bool SelectStructure(TDownloadProject& project) override;
    bool EditSettings(TProgramSettings& record) override;
    bool EditProjectOptions(TDownloadProject& project, const TOptionsFormContext& context) override;
    void ShowProjectInformation(TDownloadProject& project) override;
    void ShowClosingDownload(const std::string& text) override;
    void ClosingDownloadProgress(int percent, const std::string& text) override;
    void CloseClosingDownload() override;
    bool ClosingDownloadShown() const override;
    bool InputText(const std::string& caption, const std::string& prompt, std::string& value) override;
    TTemplateChoice ChooseTemplate(const std::vector<std::string>& templates, int& row) override;
    bool ChooseTargetDirectory(std::string& directory, bool& useStandardDir) override;

    struct TClosingWindow;
    // Fills what the settings dialog offers to choose from.
    std::function<void(TSettingsOffers&)> FillOffers;

private:
    QWidget* FOwner;
    std::unique_ptr<TClosingWindow> FClosing;
};

} // namespace vorlin::app
