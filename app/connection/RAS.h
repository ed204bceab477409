// TRAS: the dial-up component. Keeps the entry to dial with its credentials,
// the last state or error as a text (StatusStr, LastError, ConnectState), the
// phone-book entries and the active connections as last listed, and the
// handle of the connection it dialled or attached to. Everything goes through
// an IConnectionService and is asynchronous: the answers arrive later, on the
// calling thread, and the events OnStateChanged and OnConnect follow them.
// Qt-free.
#pragma once

#include "app/connection/ConnectionService.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorlin::app {

class TRAS {
public:
    static constexpr size_t kMaxEntries = 20;
    static constexpr size_t kMaxConnections = 4;

    explicit TRAS(std::unique_ptr<IConnectionService> service);
    ~TRAS();
    TRAS(const TRAS&) = delete;
    TRAS& operator=(const TRAS&) = delete;

    std::string EntryName;
    std::string UserName;
    std::string Password;
    std::string PhoneBookPath;  // unused: the service keeps its own phone book
    int RedialAttempts = 0;

    const std::string& StatusStr() const { return FStatusStr; }
    int LastError() const { return FLastError; }
    TConnectState ConnectState() const { return FConnectState; }
    const std::string& Handle() const { return FHandle; }
    const std::vector<std::string>& PhoneBookEntries() const { return FEntries; }
    const std::vector<TActiveConnection>& Connections() const { return FConnections; }
    // Dialling or hanging up is under way.
    bool Busy() const { return FDialling || FHangingUp; }
    bool HangingUp() const { return FHangingUp; }

    // After each state change or error (StatusStr says which).
    std::function<void()> OnStateChanged;
    // The connection dialled here is up.
    std::function<void()> OnConnect;

    // Lists the phone-book entries (the first kMaxEntries are kept).
    void ListEntries(std::function<void(const TServiceError&)> done);
    // Lists the active connections (the first kMaxConnections are kept).
    void ListConnections(std::function<void(const TServiceError&)> done);
    // The handle of the listed active connection of that entry, or empty.
    std::string ActiveHandleOf(const std::string& entry) const;

    // Dials EntryName, with UserName and Password when either is set, else
    // with the credentials the phone book keeps.
    void Dial();
    // Takes an active connection as this component's own.
    void Attach(const std::string& handle);
    // Hangs up this component's connection (or the active one of EntryName)
    // and calls `closed` once it is down.
    void HangUp(std::function<void()> closed);

    // The text of a state: the state texts in order, else "Unknown State - n".
    static std::string StateText(int state);

private:
    void StateEvent(const std::string& handle, TConnectState state, const TServiceError& error);
    void SetStatus(TConnectState state, const TServiceError& error);
    void HangUpHandle(const std::string& handle, std::function<void()> closed);

    std::unique_ptr<IConnectionService> FService;
    std::string FStatusStr;
    int FLastError = kErrorNone;
    TConnectState FConnectState = TConnectState::csDisconnected;
    std::string FHandle;
    std::vector<std::string> FEntries;
    std::vector<TActiveConnection> FConnections;
    bool FDialling = false;
    bool FHangingUp = false;
    unsigned FDialSerial = 0;  // which Dial an answer belongs to
    // Answers that arrive after this component is gone are dropped.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

} // namespace vorlin::app
