// The main window's languages: the language named in the settings file at
// creation, the menu "Sprachen" with one item per language library, and the
// switch that shows the window, its menus, column headers and message
// tables in the new language at once.
#include "app/HttpGetForm.h"

#include "app/MainWindowTexts.h"
#include "app/ProjectTreeModel.h"
#include "app/QueueModel.h"
#include "app/texts/LangLoader.h"
#include "app/texts/Tagging.h"
#include "app/texts/Texts.h"
#include "engine/RunTexts.h"
#include "platform/DebugLog.h"
#include "platform/IniFile.h"
#include "ui/ClientRowsModel.h"
#include "ui/StructureTreeModel.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QSlider>

namespace vorlin::app {

namespace {

constexpr const char* kSettingsFile = "HttpVorlin.ini";
constexpr const char* kSwitchContext = "Error in SetLanguage ()";

QString Q(const std::string& text) { return QString::fromStdString(text); }

// A failed load names the file and the reason below the design's message.
void ReportLanguageError(const ELanguageError& e) {
    DebugLogReport(kSwitchContext, e.what());
    DebugLog(e.Reason);
}

} // namespace

void THttpGetForm::LoadStartLanguage() {
    FLangLoader = std::make_unique<TLangLoader>(LanguageDirectories(FHome));
    std::string name = FSettings.Language;
    try {
        TIniFile ini;
        ini.LoadFromFile(FHome + kSettingsFile);
        name = ini.ReadString("Languages", "Language", name);
    } catch (const std::exception& e) {
        // The settings are read again, with their own report, at start-up.
        DebugLogReport(kSwitchContext, e.what());
    }
    try {
        FLangLoader->LoadLanguage(name);
    } catch (const ELanguageError& e) {
        ReportLanguageError(e);
    }
}

void THttpGetForm::BuildLanguageMenu() {
    FMenuLanguages->clear();
    FLangLoader->Discover();
    auto* group = new QActionGroup(FMenuLanguages);
    const TLanguage* current = FLangLoader->Current();
    for (const std::string& name : FLangLoader->Languages()) {
        QAction* item = FMenuLanguages->addAction(Q(name));
        item->setObjectName(Q("miLanguage" + name));
        item->setCheckable(true);
        item->setChecked(current && current->Name == name);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, name] { SetLanguage(name); });
    }
    UpdateActions();
}

void THttpGetForm::SetLanguage(const std::string& name) {
    // The menu is disabled while a download runs; a call from elsewhere
    // must not change the texts under a running download either.
    if (FRun) return;
    try {
        FLangLoader->LoadLanguage(name);
        FSettings.Language = name;
    } catch (const ELanguageError& e) {
        // The previous language is gone: the built-in texts show.
        ReportLanguageError(e);
    } catch (const std::exception& e) {
        DebugLogReport(kSwitchContext, e.what());
    }
    Guard(kSwitchContext, [&] { RetranslateWindow(); });
}

void THttpGetForm::RetranslateWindow() {
    // Every tagged control, action and menu, but the window keeps its caption.
    const QString caption = windowTitle();
    ApplyTexts(this);
    setWindowTitle(caption);
    // Column captions the models hold, and those they read when asked.
    FStructure->SetCaptions({Q(Text(mtColStructure)), Q(Text(mtColFilesize)), Q(Text(mtColDLStatus))},
                            {Q(RunText(628)), Q(RunText(626)), Q(RunText(627))});
    FClientRows->SetCaptions({Q(Text(ptNumber)), Q(Text(ptStatus)), Q(Text(ptURL)), Q(Text(ptSize)),
                              Q(Text(ptProgress))});
    emit FQueue->headerDataChanged(Qt::Horizontal, 0, FQueue->columnCount() - 1);
    if (FQueue->rowCount() > 0)
        emit FQueue->dataChanged(FQueue->index(0, 0), FQueue->index(FQueue->rowCount() - 1, FQueue->columnCount() - 1));
    emit FTreeModel->headerDataChanged(Qt::Horizontal, 0, FTreeModel->columnCount() - 1);
    SetConnectionCount(FTbNumOfHttpCli->value());
    BuildLanguageMenu();
}

} // namespace vorlin::app
