#include "app/connection/NetworkManagerSecretAgent.h"

#include "platform/DebugLog.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace vorlin::app {

namespace {

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kAgentManagerPath = QStringLiteral("/org/freedesktop/NetworkManager/AgentManager");
const QString kAgentManager = QStringLiteral("org.freedesktop.NetworkManager.AgentManager");
const QString kAgentPath = QStringLiteral("/org/freedesktop/NetworkManager/SecretAgent");
const QString kIdentifier = QStringLiteral("org.vorlin.HTTPVorlin");

} // namespace

TNetworkManagerSecretAgent::TNetworkManagerSecretAgent(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), FBus(bus) {
    qDBusRegisterMetaType<TNMSettings>();
    new TSecretAgentAdaptor(this);
}

TNetworkManagerSecretAgent::~TNetworkManagerSecretAgent() {
    if (FRegistered) {
        FBus.asyncCall(QDBusMessage::createMethodCall(kService, kAgentManagerPath, kAgentManager, "Unregister"));
        FBus.unregisterObject(kAgentPath);
    }
}

void TNetworkManagerSecretAgent::Offer(const QString& profilePath, const QString& password, std::function<void()> ready) {
    FProfile = profilePath;
    FPassword = password;
    if (FRegistered) {
        QMetaObject::invokeMethod(this, [ready] { ready(); }, Qt::QueuedConnection);
        return;
    }
    if (!FBus.registerObject(kAgentPath, this, QDBusConnection::ExportAdaptors)) {
        DebugLog("The secret agent could not be registered on the bus");
        QMetaObject::invokeMethod(this, [ready] { ready(); }, Qt::QueuedConnection);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kAgentManagerPath, kAgentManager, "Register");
    call << kIdentifier;
    auto* watcher = new QDBusPendingCallWatcher(FBus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, ready] {
        watcher->deleteLater();
        if (watcher->isError()) {
            DebugLog("NetworkManager did not take the secret agent: " + watcher->error().message().toStdString());
            FBus.unregisterObject(kAgentPath);
        } else {
            FRegistered = true;
        }
        ready();
    });
}

void TNetworkManagerSecretAgent::Forget() {
    FProfile.clear();
    FPassword.clear();
}

TNMSettings TNetworkManagerSecretAgent::SecretsFor(const QString& profilePath, const QString& settingName) const {
    TNMSettings secrets;
    if (FProfile.isEmpty() || profilePath != FProfile) return secrets;
    QVariantMap setting;
    if (settingName == "vpn") {
        // A VPN plugin's secrets are a dictionary of their own.
        QMap<QString, QString> vpn{{"password", FPassword}};
        setting.insert("secrets", QVariant::fromValue(vpn));
    } else if (settingName == "802-11-wireless-security") {
        setting.insert("psk", FPassword);
    } else {
        // pppoe, gsm, cdma, 802-1x and the other settings with a password.
        setting.insert("password", FPassword);
    }
    secrets.insert(settingName, setting);
    return secrets;
}

TSecretAgentAdaptor::TSecretAgentAdaptor(TNetworkManagerSecretAgent* agent) : QDBusAbstractAdaptor(agent), FAgent(agent) {}

TNMSettings TSecretAgentAdaptor::GetSecrets(const TNMSettings&, const QDBusObjectPath& connectionPath,
                                            const QString& settingName, const QStringList&, uint,
                                            const QDBusMessage& message) {
    TNMSettings secrets = FAgent->SecretsFor(connectionPath.path(), settingName);
    if (secrets.isEmpty()) {
        // Not ours to answer: NetworkManager asks its other agents.
        message.setDelayedReply(true);
        FAgent->Bus().send(message.createErrorReply(QStringLiteral("org.freedesktop.NetworkManager.SecretAgent.NoSecrets"),
                                                    QStringLiteral("No secrets here")));
    }
    return secrets;
}

void TSecretAgentAdaptor::CancelGetSecrets(const QDBusObjectPath&, const QString&) {}
void TSecretAgentAdaptor::SaveSecrets(const TNMSettings&, const QDBusObjectPath&) {}
void TSecretAgentAdaptor::DeleteSecrets(const TNMSettings&, const QDBusObjectPath&) {}

} // namespace vorlin::app
