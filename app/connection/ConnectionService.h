// IConnectionService: what the dial-up component needs from the system's
// connection service: the phone-book entries, the active connections,
// dialling an entry, hanging up until the line is down, and the states of a
// connection as they change. Qt-free, so the dial-up logic is tested against
// a fake; TNetworkManagerService is the real one (NetworkManager over D-Bus).
//
// Every operation is asynchronous: it returns at once and its answer comes
// later, on the thread that called it (the GUI thread), never from inside the
// call. An answer is not delivered after the service has been destroyed.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vorlin::app {

// The connection states, in the order of their texts (TRAS::StateText).
enum class TConnectState : int {
    csOpenPort = 0,
    csPortOpened,
    csConnectDevice,
    csDeviceConnected,
    csAllDevicesConnected,
    csAuthenticate,
    csAuthNotify,
    csAuthCallback,
    csAuthProject,
    csAuthLinkSpeed,
    csAuthAck,
    csReAuthenticate,
    csAuthenticated,
    csPrepareForCallback,
    csWaitForModemReset,
    csWaitForCallback,
    csProjected,
    csStartAuthentication,
    csCallbackComplete,
    csLogonNetwork,
    csConnected,
    csDisconnected,
};

// Error numbers the dial-up component reports in LastError.
constexpr int kErrorNone = 0;
constexpr int kErrorServiceMissing = 1157;    // no connection service on this computer
constexpr int kErrorCallFailed = 1;           // the service refused a request; Text says why
constexpr int kErrorUnknownEntry = 623;       // no phone-book entry of that name
constexpr int kErrorReasonBase = 2000;        // + the service's reason for a failed or dropped line

struct TServiceError {
    int Code = kErrorNone;
    std::string Text;  // the service's own words
    explicit operator bool() const { return Code != kErrorNone; }
};

struct TActiveConnection {
    std::string Name;    // the phone-book entry
    std::string Handle;  // the service's name for this connection
};

struct TDialRequest {
    std::string Entry;
    bool WithCredentials = false;  // false: the credentials stored with the entry
    std::string UserName;
    std::string Password;
};

class IConnectionService {
public:
    using TEntriesDone = std::function<void(const TServiceError&, const std::vector<std::string>& entries)>;
    using TActiveDone = std::function<void(const TServiceError&, const std::vector<TActiveConnection>& active)>;
    using TDialStarted = std::function<void(const TServiceError&, const std::string& handle)>;
    using TDone = std::function<void(const TServiceError&)>;
    // A state of a connection dialled or watched here; error set when the
    // line failed or dropped (the state is then csDisconnected).
    using TStateEvent = std::function<void(const std::string& handle, TConnectState state, const TServiceError& error)>;

    virtual ~IConnectionService() = default;

    virtual void ListEntries(TEntriesDone done) = 0;
    virtual void ListActive(TActiveDone done) = 0;
    // Starts dialling; `started` gets the new connection's handle, its
    // states then arrive through OnState.
    virtual void Dial(const TDialRequest& request, TDialStarted started) = 0;
    // Reports the states of an existing connection through OnState.
    virtual void Watch(const std::string& handle) = 0;
    // Hangs up; `closed` comes when the connection is down (or was gone).
    virtual void HangUp(const std::string& handle, TDone closed) = 0;

    TStateEvent OnState;
};

} // namespace vorlin::app
