#include "app/connection/NetworkManagerService.h"

#include "app/connection/NetworkManagerSecretAgent.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QDateTime>
#include <QTimer>
#include <memory>

namespace vorlin::app {

namespace {

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kManager = QStringLiteral("org.freedesktop.NetworkManager");
const QString kSettingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
const QString kSettings = QStringLiteral("org.freedesktop.NetworkManager.Settings");
const QString kProfile = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
const QString kActive = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr int kCallTimeout = 25000;  // ms; activation may wait for a modem
constexpr int kHangUpPoll = 200;     // ms between looks while hanging up

// NMActiveConnectionState
constexpr uint kActivating = 1, kActivated = 2, kDeactivating = 3, kDeactivated = 4;
// NMActiveConnectionStateReason that are no failure.
constexpr uint kReasonUnknown = 0, kReasonNone = 1, kReasonUserDisconnected = 2;

std::vector<QString> ObjectPaths(const QVariant& value) {
    std::vector<QString> paths;
    if (value.canConvert<QDBusArgument>()) {
        const QDBusArgument argument = value.value<QDBusArgument>();
        argument.beginArray();
        while (!argument.atEnd()) {
            QDBusObjectPath path;
            argument >> path;
            paths.push_back(path.path());
        }
        argument.endArray();
    } else {
        for (const QDBusObjectPath& path : qdbus_cast<QList<QDBusObjectPath>>(value)) paths.push_back(path.path());
    }
    return paths;
}

QVariant Unwrapped(const QVariant& value) {
    return value.canConvert<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value;
}

} // namespace

TServiceError ErrorOfReply(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ErrorMessage) return {};
    const QString name = reply.errorName();
    static const QStringList kMissing = {
        "org.freedesktop.DBus.Error.ServiceUnknown", "org.freedesktop.DBus.Error.NameHasNoOwner",
        "org.freedesktop.DBus.Error.Disconnected",   "org.freedesktop.DBus.Error.NoServer",
        "org.freedesktop.DBus.Error.NoReply",        "org.freedesktop.DBus.Error.NotSupported",
        "org.freedesktop.DBus.Error.UnknownObject"};
    TServiceError error;
    error.Code = kMissing.contains(name) ? kErrorServiceMissing : kErrorCallFailed;
    error.Text = (reply.errorMessage().isEmpty() ? name : reply.errorMessage()).toStdString();
    return error;
}

std::string ActiveStateReasonText(uint reason) {
    static const char* const kTexts[] = {
        "The connection went down for an unknown reason",
        "The connection went down",
        "Disconnected by the user",
        "The device was disconnected",
        "The VPN service stopped",
        "The IP configuration was invalid",
        "The connection attempt timed out",
        "The VPN service took too long to start",
        "The VPN service failed to start",
        "Necessary secrets were not provided",
        "Authentication failed",
        "The connection profile was removed",
        "A connection it depends on failed",
        "The software device could not be created",
        "The device was removed",
    };
    if (reason < sizeof kTexts / sizeof kTexts[0]) return kTexts[reason];
    return "The connection went down (reason " + std::to_string(reason) + ")";
}

TNetworkManagerService::TNetworkManagerService(TBusSource bus, QObject* parent)
    : QObject(parent), FBusSource(std::move(bus)) {
    qDBusRegisterMetaType<TNMSettings>();
}

TNetworkManagerService::~TNetworkManagerService() {
    if (FBusAsked && FBus.isConnected())
        FBus.disconnect(kService, QString(), kActive, "StateChanged", this, SLOT(ActiveStateChangedSlot(QDBusMessage)));
}

QDBusConnection& TNetworkManagerService::Bus() {
    if (!FBusAsked) {
        FBusAsked = true;
        FBus = FBusSource();
        // Every active connection's state changes come through one match;
        // only the watched ones are reported.
        if (FBus.isConnected())
            FBus.connect(kService, QString(), kActive, "StateChanged", this, SLOT(ActiveStateChangedSlot(QDBusMessage)));
    }
    return FBus;
}

void TNetworkManagerService::ActiveStateChangedSlot(const QDBusMessage& signal) { ActiveStateChanged(signal); }

void TNetworkManagerService::Call(const QDBusMessage& message, std::function<void(const QDBusMessage& reply)> done) {
    if (!Bus().isConnected()) {
        // No bus: the answer still comes later, as every answer does.
        const QDBusMessage error = message.createErrorReply(QDBusError::Disconnected, "The system bus is not available");
        QTimer::singleShot(0, this, [done, error] { done(error); });
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(FBus.asyncCall(message, kCallTimeout), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, done] {
        watcher->deleteLater();
        done(watcher->reply());
    });
}

void TNetworkManagerService::GetProperty(const QString& path, const QString& interface, const QString& name,
                                         std::function<void(const TServiceError&, const QVariant&)> done) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, path, kProperties, "Get");
    call << interface << name;
    Call(call, [done](const QDBusMessage& reply) {
        if (TServiceError error = ErrorOfReply(reply)) return done(error, {});
        done({}, reply.arguments().isEmpty() ? QVariant() : Unwrapped(reply.arguments().front()));
    });
}

// --- Listing ------------------------------------------------------------------------------

void TNetworkManagerService::ListProfiles(TProfilesDone done) {
    Call(QDBusMessage::createMethodCall(kService, kSettingsPath, kSettings, "ListConnections"),
         [this, done](const QDBusMessage& reply) {
             if (TServiceError error = ErrorOfReply(reply)) return done(error, {});
             const std::vector<QString> paths = reply.arguments().isEmpty() ? std::vector<QString>()
                                                                             : ObjectPaths(reply.arguments().front());
             if (paths.empty()) return done({}, {});
             // One GetSettings per profile; the answers are put back in the service's order.
             struct TCollect {
                 std::vector<TProfile> Profiles;
                 size_t Waiting;
             };
             auto collect = std::make_shared<TCollect>(TCollect{std::vector<TProfile>(paths.size()), paths.size()});
             for (size_t i = 0; i < paths.size(); ++i) {
                 collect->Profiles[i].Path = paths[i];
                 Call(QDBusMessage::createMethodCall(kService, paths[i], kProfile, "GetSettings"),
                      [collect, i, done](const QDBusMessage& answer) {
                          if (!ErrorOfReply(answer) && !answer.arguments().isEmpty()) {
                              const TNMSettings settings = qdbus_cast<TNMSettings>(answer.arguments().front());
                              collect->Profiles[i].Name = settings.value("connection").value("id").toString().toStdString();
                          }
                          if (--collect->Waiting > 0) return;
                          std::vector<TProfile> named;
                          for (TProfile& profile : collect->Profiles)
                              if (!profile.Name.empty()) named.push_back(std::move(profile));
                          done({}, named);
                      });
             }
         });
}

void TNetworkManagerService::ListEntries(TEntriesDone done) {
    ListProfiles([done](const TServiceError& error, const std::vector<TProfile>& profiles) {
        std::vector<std::string> names;
        for (const TProfile& profile : profiles) names.push_back(profile.Name);
        done(error, names);
    });
}

void TNetworkManagerService::ListActive(TActiveDone done) {
    GetProperty(kManagerPath, kManager, "ActiveConnections", [this, done](const TServiceError& error, const QVariant& value) {
        if (error) return done(error, {});
        const std::vector<QString> paths = ObjectPaths(value);
        if (paths.empty()) return done({}, {});
        struct TCollect {
            std::vector<TActiveConnection> Active;
            std::vector<bool> Up;
            size_t Waiting;
        };
        auto collect = std::make_shared<TCollect>(
            TCollect{std::vector<TActiveConnection>(paths.size()), std::vector<bool>(paths.size()), paths.size()});
        for (size_t i = 0; i < paths.size(); ++i) {
            collect->Active[i].Handle = paths[i].toStdString();
            QDBusMessage call = QDBusMessage::createMethodCall(kService, paths[i], kProperties, "GetAll");
            call << kActive;
            Call(call, [collect, i, done](const QDBusMessage& answer) {
                if (!ErrorOfReply(answer) && !answer.arguments().isEmpty()) {
                    const QVariantMap properties = qdbus_cast<QVariantMap>(answer.arguments().front());
                    collect->Active[i].Name = properties.value("Id").toString().toStdString();
                    const uint state = properties.value("State").toUInt();
                    // A line being dialled counts; one going down does not.
                    collect->Up[i] = state == kActivating || state == kActivated;
                }
                if (--collect->Waiting > 0) return;
                std::vector<TActiveConnection> up;
                for (size_t k = 0; k < collect->Active.size(); ++k)
                    if (collect->Up[k] && !collect->Active[k].Name.empty()) up.push_back(collect->Active[k]);
                done({}, up);
            });
        }
    });
}

// --- Dialling -----------------------------------------------------------------------------

void TNetworkManagerService::Dial(const TDialRequest& request, TDialStarted started) {
    ListProfiles([this, request, started](const TServiceError& error, const std::vector<TProfile>& profiles) {
        if (error) return started(error, {});
        QString path;
        for (const TProfile& profile : profiles)
            if (profile.Name == request.Entry) path = profile.Path;
        if (path.isEmpty()) {
            TServiceError unknown;
            unknown.Code = kErrorUnknownEntry;
            unknown.Text = "NetworkManager has no connection profile \"" + request.Entry + "\"";
            return started(unknown, {});
        }
        auto activate = [this, path, started] {
            QDBusMessage call = QDBusMessage::createMethodCall(kService, kManagerPath, kManager, "ActivateConnection");
            call << QVariant::fromValue(QDBusObjectPath(path)) << QVariant::fromValue(QDBusObjectPath("/"))
                 << QVariant::fromValue(QDBusObjectPath("/"));
            Call(call, [this, started](const QDBusMessage& reply) {
                if (FAgent) FAgent->Forget();
                if (TServiceError failed = ErrorOfReply(reply)) return started(failed, {});
                const QString active =
                    reply.arguments().isEmpty() ? QString() : qdbus_cast<QDBusObjectPath>(reply.arguments().front()).path();
                started({}, active.toStdString());
                Watch(active.toStdString());
            });
        };
        if (!request.WithCredentials) return activate();
        if (!FAgent) FAgent = new TNetworkManagerSecretAgent(Bus(), this);
        FAgent->Offer(path, QString::fromStdString(request.Password), activate);
    });
}

void TNetworkManagerService::Watch(const std::string& handle) {
    const QString path = QString::fromStdString(handle);
    if (path.isEmpty()) return;
    FWatched.insert(path);
    // The state it has now: the line may be up already, or fail before a signal could tell.
    GetProperty(path, kActive, "State", [this, path](const TServiceError& error, const QVariant& value) {
        if (!FWatched.contains(path)) return;
        if (error) {
            // Gone before we looked: it went down.
            ReportActiveState(path, kDeactivated, kReasonUnknown);
            return;
        }
        ReportActiveState(path, value.toUInt(), kReasonNone);
    });
}

void TNetworkManagerService::ActiveStateChanged(const QDBusMessage& signal) {
    if (!FWatched.contains(signal.path()) || signal.arguments().size() < 2) return;
    ReportActiveState(signal.path(), signal.arguments().at(0).toUInt(), signal.arguments().at(1).toUInt());
}

void TNetworkManagerService::ReportActiveState(const QString& path, uint state, uint reason) {
    if (!OnState) return;
    const std::string handle = path.toStdString();
    switch (state) {
        case kActivating: OnState(handle, TConnectState::csConnectDevice, {}); break;
        case kActivated: OnState(handle, TConnectState::csConnected, {}); break;
        case kDeactivating: break;  // the end comes with kDeactivated
        case kDeactivated: {
            FWatched.remove(path);
            TServiceError error;
            if (reason != kReasonNone && reason != kReasonUserDisconnected) {
                error.Code = kErrorReasonBase + static_cast<int>(reason);
                error.Text = ActiveStateReasonText(reason);
            }
            OnState(handle, TConnectState::csDisconnected, error);
            break;
        }
        default: break;
    }
}

// --- Hanging up ---------------------------------------------------------------------------

void TNetworkManagerService::HangUp(const std::string& handle, TDone closed) {
    const QString path = QString::fromStdString(handle);
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kManagerPath, kManager, "DeactivateConnection");
    call << QVariant::fromValue(QDBusObjectPath(path));
    Call(call, [this, path, closed](const QDBusMessage& reply) {
        TServiceError error = ErrorOfReply(reply);
        // A connection that is no longer active is as good as hung up.
        if (error && reply.errorName() != "org.freedesktop.NetworkManager.ConnectionNotActive" &&
            error.Code != kErrorServiceMissing)
            return closed(error);
        WaitUntilDown(path, QDateTime::currentMSecsSinceEpoch() + FHangUpTimeout, closed);
    });
}

void TNetworkManagerService::WaitUntilDown(const QString& path, qint64 deadline, TDone closed) {
    GetProperty(kManagerPath, kManager, "ActiveConnections",
                [this, path, deadline, closed](const TServiceError& error, const QVariant& value) {
                    bool listed = false;
                    if (!error)
                        for (const QString& active : ObjectPaths(value)) listed = listed || active == path;
                    if (error || !listed) {
                        // Down: a watched line says so once more (unless its signal did).
                        if (FWatched.contains(path)) ReportActiveState(path, kDeactivated, kReasonUserDisconnected);
                        return closed(error.Code == kErrorServiceMissing ? TServiceError{} : error);
                    }
                    if (QDateTime::currentMSecsSinceEpoch() > deadline) {
                        TServiceError late;
                        late.Code = kErrorCallFailed;
                        late.Text = "NetworkManager did not take the connection down in time";
                        return closed(late);
                    }
                    QTimer::singleShot(kHangUpPoll, this, [this, path, deadline, closed] { WaitUntilDown(path, deadline, closed); });
                });
}

} // namespace vorlin::app
