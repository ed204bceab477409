// The real dialogs of the main window (message boxes, the dialogs of
// app/dialogs/).
#pragma once

#include "app/DesktopDialogs.h"

#include <memory>

namespace vorlin::app {

class TQtDesktopDialogs : public IDesktopDialogs {
public:
    explicit TQtDesktopDialogs(QWidget* owner);
    ~TQtDesktopDialogs() override;

    void Message(const std::string& text, bool error) override;
    TAnswer Question(const std::string& text, TButtons buttons, TAnswer defaultAnswer) override;
    std::string SaveFileName(const std::string& filter, const std::string& defaultSuffix) override;
    bool AskCredentials(TAuthRec& request) override;
    void SelectLinks(TDownloadProject& project, TDownloadLink& page) override;
    bool SelectStructure(TDownloadProject& project) override;
    bool EditSettings(TProgramSettings& record) override;
    void ShowProjectInformation(TDownloadProject& project) override;
    void ShowClosingDownload(const std::string& text) override;
    void ClosingDownloadProgress(int percent, const std::string& text) override;
    void CloseClosingDownload() override;
    bool ClosingDownloadShown() const override;
    bool InputText(const std::string& caption, const std::string& prompt, std::string& value) override;
    TTemplateChoice ChooseTemplate(const std::vector<std::string>& templates, int& row) override;
    bool ChooseTargetDirectory(std::string& directory, bool& useStandardDir) override;

    struct TClosingWindow;

private:
    QWidget* FOwner;
    std::unique_ptr<TClosingWindow> FClosing;
};

} // namespace vorlin::app
