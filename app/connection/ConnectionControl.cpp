#include "app/connection/ConnectionControl.h"

#include "app/connection/ConnectionTexts.h"
#include "app/texts/Tagging.h"
#include "app/texts/Texts.h"
#include "platform/DebugLog.h"
#include "platform/Shell.h"
#include "project/ProgramSettings.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

namespace vorlin::app {

namespace {

enum TConnType : int { ctDirect = 0, ctDialUp = 1, ctOtherSoftware = 2 };

} // namespace

TConnectionControl::TConnectionControl(IConnectionHost& host, std::unique_ptr<IConnectionService> service,
                                       QObject* parent)
    : QObject(parent), FHost(host), FRas(std::make_unique<TRAS>(std::move(service))) {
    AddConnectionTexts();
    StartProgram = [](const std::string& program) { return StartDetached(program, {}); };
    CloseWindowByTitle = [](const std::string& title) { return CloseTopLevelWindow(title); };

    FRas->OnStateChanged = [this] { RasStateChanged(); };
    FRas->OnConnect = [this] { Connected(); };

    FCheckTimer = new QTimer(this);
    FCheckTimer->setObjectName("CheckDisConnTimer");
    FCheckTimer->setInterval(kCheckInterval);
    connect(FCheckTimer, &QTimer::timeout, this, [this] { CheckDisconnect(); });

    auto action = [this](int tag, const char* name, bool checkable) {
        auto* a = new QAction(this);
        a->setObjectName(name);
        a->setCheckable(checkable);
        SetTag(a, tag);
        return a;
    };
    FActions.acDial = action(tgDial, "acDial", false);
    FActions.acHangUp = action(tgHangUp, "acHangUp", false);
    FActions.acHangUpWhenDone = action(tgHangUpWhenDone, "acHangUpWhenDone", true);
    FActions.acRedialOnLoss = action(tgRedialOnLoss, "acRedialOnLoss", true);
    auto guarded = [](const char* context, std::function<void()> body) {
        return [context, body] {
            try {
                body();
            } catch (const std::exception& e) {
                DebugLogReport(context, e.what());
            }
        };
    };
    connect(FActions.acDial, &QAction::triggered, this, guarded("Error in Dial ()", [this] { Dial(); }));
    connect(FActions.acHangUp, &QAction::triggered, this, guarded("Error in HangUp ()", [this] { HangUp(); }));
    UpdateActions();
}

TConnectionControl::~TConnectionControl() {
    *FAlive = false;
    FRas->OnStateChanged = nullptr;
    FRas->OnConnect = nullptr;
}

QMenu* TConnectionControl::CreateMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName("miDialUp");
    SetTag(menu, tgMenuDialUp);
    menu->addActions({FActions.acDial, FActions.acHangUp});
    menu->addSeparator();
    menu->addActions({FActions.acHangUpWhenDone, FActions.acRedialOnLoss});
    return menu;
}

int TConnectionControl::ConnType() const { return FHost.ConnectionSettings().ConnType; }

void TConnectionControl::UpdateActions() {
    const int type = ConnType();
    const bool dials = type == ctDialUp || type == ctOtherSoftware;
    FActions.acDial->setEnabled(dials && !FConnectionMade && !FRas->Busy());
    FActions.acHangUp->setEnabled(dials && FConnectionMade && !FRas->HangingUp());
    FActions.acHangUpWhenDone->setEnabled(dials);
    FActions.acRedialOnLoss->setEnabled(type == ctDialUp);
}

void TConnectionControl::SetConnectionMade(bool made) {
    FConnectionMade = made;
    UpdateActions();
    emit ConnectionChanged();
}

void TConnectionControl::Log(const std::string& line, bool error) { FHost.ConnectionLog(line, error); }

// --- Dialling ---------------------------------------------------------------------

void TConnectionControl::Dial() {
    const int type = ConnType();
    if (FConnectionMade || (type != ctDialUp && type != ctOtherSoftware)) return;
    const TProgramSettings& settings = FHost.ConnectionSettings();
    if (type == ctOtherSoftware) {
        SetConnectionMade(true);
        if (!settings.ConnScript.empty() && !StartProgram(settings.ConnScript))
            Log(ConnectionText(ctNoConnectProgram, settings.ConnScript), true);
        return;
    }
    SetConnectionMade(true);
    FCheckTimer->start();
    FRas->EntryName = settings.DialUpEntry;
    FRas->UserName = settings.DialUpUserName;
    FRas->Password = settings.DialUpPassword;
    // The listing decides between taking the line that is up and dialling.
    std::weak_ptr<bool> alive = FAlive;
    FRas->ListConnections([this, alive](const TServiceError&) {
        if (alive.expired() || !FConnectionMade || FRas->Busy()) return;
        const std::string handle = FRas->ActiveHandleOf(FRas->EntryName);
        if (!handle.empty()) {
            FRas->Attach(handle);
            Log(ConnectionText(ctAttached, FRas->EntryName));
            Connected();
        } else {
            Log(ConnectionText(ctDialling, FRas->EntryName));
            FRas->Dial();
        }
        UpdateActions();
    });
    UpdateActions();
}

bool TConnectionControl::ConnectBeforeDownload() {
    const int type = ConnType();
    if (FConnectionMade) {
        // A line the program made earlier is watched again for this queue.
        if (type == ctDialUp && !FCheckTimer->isActive()) FCheckTimer->start();
        return false;
    }
    if (type == ctOtherSoftware) {
        Dial();
        return false;  // nothing tells when the other software is through
    }
    if (type != ctDialUp) return false;
    FStartWhenConnected = true;
    Dial();
    return true;
}

void TConnectionControl::RasStateChanged() {
    const bool failed = FRas->LastError() != kErrorNone && FRas->ConnectState() == TConnectState::csDisconnected;
    Log(FRas->StatusStr(), failed);
    if (failed && !FRas->HangingUp()) DialFailed();
    UpdateActions();
}

void TConnectionControl::DialFailed() {
    // An enqueued download waited for this line: it starts anyway and says
    // itself what it can't reach (the computer may be online another way).
    if (FStartWhenConnected) {
        FStartWhenConnected = false;
        if (FHost.DownloadIdle() && !FHost.QueueEmpty()) FHost.StartDownload();
    }
}

void TConnectionControl::Connected() {
    FStartWhenConnected = false;
    if ((FHost.DownloadIdle() && !FHost.QueueEmpty()) || FHost.DownloadPaused()) {
        FResumePending = false;
        FHost.StartDownload();
    }
    UpdateActions();
}

// --- Watching the line --------------------------------------------------------------

void TConnectionControl::CheckDisconnect() {
    if (!FConnectionMade || ConnType() != ctDialUp) return;
    // A pause asked for before the redial may only now have taken effect.
    if (FResumePending && FHost.DownloadPaused() && FRas->ConnectState() == TConnectState::csConnected &&
        !FRas->Busy()) {
        FResumePending = false;
        FHost.StartDownload();
    }
    if (FChecking || FRas->Busy()) return;
    FChecking = true;
    std::weak_ptr<bool> alive = FAlive;
    FRas->ListConnections([this, alive](const TServiceError& error) {
        if (alive.expired()) return;
        FChecking = false;
        // A listing that failed tells nothing about the line.
        if (error || !FConnectionMade || FRas->Busy() || ConnType() != ctDialUp) return;
        if (!FRas->ActiveHandleOf(FRas->EntryName).empty()) return;
        if (!FActions.acRedialOnLoss->isChecked() || FHost.QueueEmpty()) return;
        Redial();
    });
}

void TConnectionControl::Redial() {
    FResumePending = !FHost.DownloadIdle();
    FHost.PauseDownload();
    Log(Text(ctLineDropped));
    std::weak_ptr<bool> alive = FAlive;
    FRas->HangUp([this, alive] {
        if (alive.expired() || !FConnectionMade) return;
        FRas->Dial();
        UpdateActions();
    });
    UpdateActions();
}

// --- Hanging up ---------------------------------------------------------------------

void TConnectionControl::HangUp() {
    const int type = ConnType();
    if (!FConnectionMade || (type != ctDialUp && type != ctOtherSoftware) || FRas->HangingUp()) return;
    FCheckTimer->stop();
    FStartWhenConnected = false;
    FResumePending = false;
    if (type == ctOtherSoftware) {
        HangUpOtherSoftware();
        SetConnectionMade(false);
        return;
    }
    Log(ConnectionText(ctHangingUp, FRas->EntryName));
    std::weak_ptr<bool> alive = FAlive;
    FRas->HangUp([this, alive] {
        if (alive.expired()) return;
        FCheckTimer->stop();
        SetConnectionMade(false);
    });
    UpdateActions();
}

void TConnectionControl::HangUpOtherSoftware() {
    const TProgramSettings& settings = FHost.ConnectionSettings();
    if (!settings.DisConnScript.empty() && !StartProgram(settings.DisConnScript))
        Log(ConnectionText(ctNoDisconnectProgram, settings.DisConnScript), true);
    if (settings.DisConnWndName.empty()) return;
    switch (CloseWindowByTitle(settings.DisConnWndName)) {
        case TCloseWindowResult::cwAsked: break;
        // No such window is no error: the dialler may have closed by itself.
        case TCloseWindowResult::cwNotFound: DebugLog(ConnectionText(ctNoWindowToClose, settings.DisConnWndName)); break;
        case TCloseWindowResult::cwUnsupported: Log(ConnectionText(ctCanNotCloseWindows, settings.DisConnWndName), true); break;
    }
}

void TConnectionControl::QueueFinished() {
    FResumePending = false;
    FStartWhenConnected = false;
    if (FActions.acHangUpWhenDone->isChecked() && FConnectionMade)
        HangUp();
    else
        FCheckTimer->stop();
}

void TConnectionControl::Release() {
    FCheckTimer->stop();
    FStartWhenConnected = false;
    FResumePending = false;
}

void TConnectionControl::RefreshEntries(std::function<void(const std::vector<std::string>&)> done) {
    std::weak_ptr<bool> alive = FAlive;
    FRas->ListEntries([this, alive, done](const TServiceError&) {
        if (!alive.expired() && done) done(FRas->PhoneBookEntries());
    });
}

} // namespace vorlin::app
