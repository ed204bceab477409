// The main window's questions answered from a script, so tests drive the
// controller without anyone at the screen. Every question and message is
// recorded; an unscripted question answers its default.
#pragma once

#include "app/DesktopDialogs.h"
#include "project/PasswordList.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vorlin::test {

class TScriptedDialogs : public app::IDesktopDialogs {
public:
    std::deque<app::TAnswer> Answers;  // next answers to Question, in order
    std::vector<std::string> Questions, Messages;
    std::string SaveName;              // answer of SaveFileName
    // The run's questions; unset: refuse / choose nothing / confirm.
    std::function<bool(TAuthRec&)> OnCredentials;
    std::function<void(TDownloadProject&, TDownloadLink&)> OnSelectLinks;
    std::function<bool(TDownloadProject&)> OnSelectStructure;
    std::function<bool(TProgramSettings&)> OnEditSettings;
    std::function<void(TDownloadProject&)> OnProjectInformation;
    // The options dialog; unset: cancelled.
    std::function<bool(TDownloadProject&, const app::TOptionsFormContext&)> OnProjectOptions;
    int ProjectOptionsOpened = 0;
    int CredentialRequests = 0, LinkSelections = 0, StructureSelections = 0;
    bool ClosingShown = false, ClosingWasShown = false;
    std::vector<std::pair<int, std::string>> ClosingProgress;
    // Projects from templates. Each list answers in order; an empty one
    // cancels. std::nullopt cancels that one question.
    std::deque<std::optional<std::string>> Inputs;      // InputText
    std::vector<std::string> InputCaptions;             // "caption|prompt|preset" as asked
    // The template dialog: the captions shown and the preselected row come
    // in; answer with the choice (row set for tcChosen).
    std::function<app::TTemplateChoice(const std::vector<std::string>&, int&)> OnChooseTemplate;
    std::vector<std::vector<std::string>> TemplateLists;
    std::vector<int> TemplatePreselected;
    std::deque<std::optional<std::string>> Directories;  // ChooseTargetDirectory
    std::vector<std::string> DirectoryPresets;
    bool UseStandardDir = false;                         // cbUseStandardDir as the test leaves it

    void Message(const std::string& text, bool) override { Messages.push_back(text); }
    app::TAnswer Question(const std::string& text, app::TButtons, app::TAnswer defaultAnswer) override {
        Questions.push_back(text);
        if (Answers.empty()) return defaultAnswer;
        app::TAnswer answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    std::string SaveFileName(const std::string&, const std::string&) override { return SaveName; }
    bool AskCredentials(TAuthRec& request) override {
        ++CredentialRequests;
        return OnCredentials && OnCredentials(request);
    }
    void SelectLinks(TDownloadProject& project, TDownloadLink& page) override {
        ++LinkSelections;
        if (OnSelectLinks) OnSelectLinks(project, page);
    }
    bool SelectStructure(TDownloadProject& project) override {
        ++StructureSelections;
        return !OnSelectStructure || OnSelectStructure(project);
    }
    bool EditSettings(TProgramSettings& record) override { return OnEditSettings && OnEditSettings(record); }
    bool EditProjectOptions(TDownloadProject& project, const app::TOptionsFormContext& context) override {
        ++ProjectOptionsOpened;
        return OnProjectOptions && OnProjectOptions(project, context);
    }
    void ShowProjectInformation(TDownloadProject& project) override {
        if (OnProjectInformation) OnProjectInformation(project);
    }
    void ShowClosingDownload(const std::string& text) override {
        ClosingShown = ClosingWasShown = true;
        ClosingProgress.emplace_back(0, text);
    }
    void ClosingDownloadProgress(int percent, const std::string& text) override {
        ClosingProgress.emplace_back(percent, text);
    }
    void CloseClosingDownload() override { ClosingShown = false; }
    bool ClosingDownloadShown() const override { return ClosingShown; }
    bool InputText(const std::string& caption, const std::string& prompt, std::string& value) override {
        InputCaptions.push_back(caption + "|" + prompt + "|" + value);
        if (Inputs.empty()) return false;
        std::optional<std::string> answer = Inputs.front();
        Inputs.pop_front();
        if (!answer) return false;
        value = *answer;
        return true;
    }
    app::TTemplateChoice ChooseTemplate(const std::vector<std::string>& templates, int& row) override {
        TemplateLists.push_back(templates);
        TemplatePreselected.push_back(row);
        return OnChooseTemplate ? OnChooseTemplate(templates, row) : app::TTemplateChoice::tcCancel;
    }
    bool ChooseTargetDirectory(std::string& directory, bool& useStandardDir) override {
        DirectoryPresets.push_back(directory);
        if (Directories.empty()) return false;
        std::optional<std::string> answer = Directories.front();
        Directories.pop_front();
        if (!answer) return false;
        directory = *answer;
        useStandardDir = UseStandardDir;
        return true;
    }
};

} // namespace vorlin::test
