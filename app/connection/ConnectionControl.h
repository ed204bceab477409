// TConnectionControl: the main window's side of connection control. Owns the
// dial-up component (TRAS), the flag "connection made by the program", the
// disconnect check timer (CheckDisConnTimer, 2000 ms) and the four actions of
// the menu "Dail-Up": dial, hang up, hang up when the queue is done, redial
// when the line drops. Connection type 1 dials a NetworkManager profile;
// type 2 starts the user's connect and disconnect programs and closes the
// dialler's window by its title. It reaches the window only through
// IConnectionHost, so its logic is tested without one.
#pragma once

#include "app/connection/ConnectionService.h"
#include "app/connection/RAS.h"
#include "platform/TopLevelWindows.h"

#include <QObject>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QMenu;
class QTimer;
class QWidget;

namespace vorlin {
struct TProgramSettings;
}

namespace vorlin::app {

// What connection control asks of the main window.
class IConnectionHost {
public:
    virtual ~IConnectionHost() = default;
    virtual const TProgramSettings& ConnectionSettings() const = 0;
    virtual bool QueueEmpty() const = 0;
    virtual bool DownloadIdle() const = 0;    // no run exists
    virtual bool DownloadPaused() const = 0;  // a run exists and is paused
    virtual void StartDownload() = 0;         // acStartDownload: starts, or resumes a paused run
    virtual void PauseDownload() = 0;
    virtual void ConnectionLog(const std::string& line, bool error) = 0;
};

class TConnectionControl : public QObject {
    Q_OBJECT
public:
    static constexpr int kCheckInterval = 2000;  // ms

    TConnectionControl(IConnectionHost& host, std::unique_ptr<IConnectionService> service, QObject* parent = nullptr);
    ~TConnectionControl() override;

    struct TActions {
        QAction *acDial, *acHangUp, *acHangUpWhenDone, *acRedialOnLoss;
    };
    const TActions& Actions() const { return FActions; }
    // The menu "Dail-Up" with the four actions.
    QMenu* CreateMenu(QWidget* parent);
    void UpdateActions();

    TRAS& Ras() { return *FRas; }
    QTimer* CheckDisConnTimer() const { return FCheckTimer; }
    bool ConnectionMade() const { return FConnectionMade; }

    // The actions.
    void Dial();
    void HangUp();
    // Enqueueing with no run: makes the connection when one is configured.
    // True when the download waits for the line (it starts when it is up or
    // the dial failed); false when it may start at once.
    bool ConnectBeforeDownload();
    // The queue is empty or stopped after a run.
    void QueueFinished();
    // The window closes: stop watching (the line stays as it is).
    void Release();
    // One tick of the disconnect check (the timer calls it).
    void CheckDisconnect();

    // The phone-book entries as last listed, and a fresh listing.
    const std::vector<std::string>& PhoneBookEntries() const { return FRas->PhoneBookEntries(); }
    void RefreshEntries(std::function<void(const std::vector<std::string>&)> done = nullptr);

    // Type 2's helpers (tests put recorders in place).
    std::function<bool(const std::string& program)> StartProgram;
    std::function<TCloseWindowResult(const std::string& title)> CloseWindowByTitle;

signals:
    void ConnectionChanged();

private:
    int ConnType() const;
    void Log(const std::string& line, bool error = false);
    void RasStateChanged();
    void Connected();
    void DialFailed();
    void Redial();
    void HangUpOtherSoftware();
    void SetConnectionMade(bool made);

    IConnectionHost& FHost;
    std::unique_ptr<TRAS> FRas;
    QTimer* FCheckTimer = nullptr;
    TActions FActions{};
    bool FConnectionMade = false;
    bool FChecking = false;           // a check waits for its listing
    bool FStartWhenConnected = false; // the enqueued download waits for the line
    bool FResumePending = false;      // paused for a redial, resumed when the line is up
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

} // namespace vorlin::app
