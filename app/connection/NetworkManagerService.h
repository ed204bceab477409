// TNetworkManagerService: the connection service on Linux. The phone-book
// entries are NetworkManager's connection profiles (by their names), the
// active connections its active connections, dialling activates a profile,
// hanging up deactivates it and waits until NetworkManager has let it go.
// Every call is an asynchronous D-Bus call; answers arrive in the GUI
// thread's loop. When the dial comes with a user name and password, a secret
// agent of this program (TNetworkManagerSecretAgent) answers NetworkManager's
// question for that profile's secrets during that activation only; nothing
// is written into the profile.
#pragma once

#include "app/connection/ConnectionService.h"

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <functional>

class QDBusMessage;

namespace vorlin::app {

class TNetworkManagerSecretAgent;

class TNetworkManagerService : public QObject, public IConnectionService {
    Q_OBJECT
public:
    // bus: the system bus in the program, a private bus in tests; asked
    // for at the first call, so a program that never dials never connects.
    using TBusSource = std::function<QDBusConnection()>;
    explicit TNetworkManagerService(TBusSource bus, QObject* parent = nullptr);
    ~TNetworkManagerService() override;

    void ListEntries(TEntriesDone done) override;
    void ListActive(TActiveDone done) override;
    void Dial(const TDialRequest& request, TDialStarted started) override;
    void Watch(const std::string& handle) override;
    void HangUp(const std::string& handle, TDone closed) override;

    // How long hanging up may take before it is reported as failed.
    void SetHangUpTimeout(int milliseconds) { FHangUpTimeout = milliseconds; }

private slots:
    void ActiveStateChangedSlot(const QDBusMessage& signal);

private:
    struct TProfile {
        std::string Name;
        QString Path;
    };
    using TProfilesDone = std::function<void(const TServiceError&, const std::vector<TProfile>&)>;

    void Call(const QDBusMessage& message, std::function<void(const QDBusMessage& reply)> done);
    void ListProfiles(TProfilesDone done);
    void GetProperty(const QString& path, const QString& interface, const QString& name,
                     std::function<void(const TServiceError&, const QVariant&)> done);
    void ActiveStateChanged(const QDBusMessage& signal);
    void ReportActiveState(const QString& path, uint state, uint reason);
    void WaitUntilDown(const QString& path, qint64 deadline, TDone closed);

    QDBusConnection& Bus();

    TBusSource FBusSource;
    QDBusConnection FBus{QString()};
    bool FBusAsked = false;
    QSet<QString> FWatched;  // active connections whose states are reported
    TNetworkManagerSecretAgent* FAgent = nullptr;
    int FHangUpTimeout = 30000;
};

// The service's error for a failed D-Bus reply (1157 when NetworkManager is not there).
TServiceError ErrorOfReply(const QDBusMessage& reply);
// The words of NetworkManager's reason for an active connection going down.
std::string ActiveStateReasonText(uint reason);

} // namespace vorlin::app
