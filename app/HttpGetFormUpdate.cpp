// The main window's side of program updates: the checker and its settings
// (update server from "HttpVorlin.ini" [Update] Host, proxy from the
// program settings), the menu commands, the automatic check at the first
// download of a program run and after the queue ends, and the answers to
// the checker's events. HTTPVORLIN_UPDATE_NOW (environment) is the hook of
// the whole-installation test: once started, the window checks silently and
// downloads an offered update as the menu's "Programm-Update" does, with no
// question asked; signatures are checked as always.
#include "app/HttpGetForm.h"

#include "app/texts/Texts.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/MessageQueue.h"
#include "update/ProgUpdater.h"
#include "update/UpdateDownloadForm.h"
#include "update/UpdateTexts.h"

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

namespace vorlin::app {

namespace {

// Where the makers publish updates; organisations point "HttpVorlin.ini"
// [Update] Host at their own server.
constexpr const char* kDefaultUpdateHost = "http://update.httpvorlin.org/";
constexpr const char* kUpdateSection = "Update";

std::string FormatWith(const std::string& pattern, const std::string& value) {
    std::string text = pattern;
    const size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, value);
    return text;
}

} // namespace

void THttpGetForm::CreateUpdater() {
    update::AddUpdateTexts();
    FUpdateDialogs = std::make_unique<update::TQtUpdateDialogHost>(this);
    FUpdater = std::make_unique<update::TProgUpdater>(ExecutableDirectory(),
                                                     std::filesystem::read_symlink("/proc/self/exe").string());
    FUpdater->UpdateHost = kDefaultUpdateHost;
    FUpdater->RestartArguments = {"--home", FHome};
    FUpdater->DialogHost = FUpdateDialogs.get();
    // Other events of the window go on while a hidden check waits.
    FUpdater->PumpMessages = [] {
        WaitMessage(10);
        ProcessPendingMessages();
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    };
    FUpdater->OnUpdateFound = [this](const std::string& newVersion, const std::string& changes, bool& download,
                                     bool silent) {
        if (silent) {
            FUpdateWaiting = true;
            download = false;
            return;
        }
        std::string lines = changes;
        for (char& c : lines)
            if (c == ';') c = '\n';
        if (FDialogs->Question(Text(update::tgAskDownload), TButtons::bnYesNo, TAnswer::anYes) != TAnswer::anYes) {
            download = false;
            return;
        }
        FDialogs->TitledMessage(FormatWith(Text(update::tgChangesTitle), newVersion), lines);
    };
    FUpdater->OnDownloaded = [](bool& update) { update = true; };
    FUpdater->OnFinished = [this] {
        FUpdateChecked = true;
        FUpdater->CheckForUpdate(true);
    };
    FUpdater->OnError = [this](const std::string& message, bool silent) {
        if (silent)
            DebugLog("Update: " + message);
        else
            FDialogs->Message(message, true);
    };
    // Not in the restarted program, which only finishes the update.
    if (std::getenv("HTTPVORLIN_UPDATE_NOW") && !FOptions.AfterUpdate)
        connect(this, &THttpGetForm::StartUpDone, this, [this] {
            QTimer::singleShot(0, this, [this] {
                FUpdater->CheckForUpdate(false);
                ProgramUpdateCommand();
            });
        });
}

void THttpGetForm::ConfigureUpdater() {
    TIniFile ini;
    ini.LoadFromFile(FHome + "HttpVorlin.ini");
    std::string host = ini.ReadString(kUpdateSection, "Host", kDefaultUpdateHost);
    // The environment wins: test suites and screenshot tours point the
    // checks at loopback, so that they never reach the makers' server.
    if (const char* forced = std::getenv("HTTPVORLIN_UPDATE_HOST")) host = forced;
    if (!host.empty() && host.back() != '/') host += '/';
    FUpdater->UpdateHost = host;
    FUpdater->SetProxy(FSettings.ProxyEnabled, FSettings.ProxyServer, FSettings.ProxyPort,
                       FSettings.ProxyUserName, FSettings.ProxyPassword);
}

void THttpGetForm::CheckForUpdateCommand() {
    FUpdateChecked = true;
    FUpdater->CheckForUpdate(true);
}

void THttpGetForm::ProgramUpdateCommand() { FUpdater->DownloadUpdate(); }

void THttpGetForm::AutomaticCheckForUpdate() {
    if (FUpdateChecked || !FActions.miAutoCheckUpdate->isChecked()) return;
    FUpdateChecked = true;
    Guard("Error in AutomaticCheckForUpdate ()", [&] { FUpdater->CheckForUpdate(false); });
}

void THttpGetForm::PendingCheckForUpdate() {
    if (!FUpdateWaiting || FClosing) return;
    FUpdateWaiting = false;
    Guard("Error in CheckForUpdate ()", [&] { FUpdater->CheckForUpdate(true); });
}

} // namespace vorlin::app
