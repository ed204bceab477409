// TNetworkManagerSecretAgent: answers NetworkManager's questions for the
// secrets of one profile with the user's configured password while that
// profile is being dialled, so a dial with credentials needs no change to
// the stored profile. Registered on the bus as a secret agent when first
// needed; other profiles get "no secrets" and NetworkManager asks elsewhere.
// NetworkManager keeps a profile's user name among its settings, not its
// secrets, so only the password goes this way.
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QMap>
#include <QObject>
#include <QVariantMap>
#include <functional>

class QDBusMessage;

namespace vorlin::app {

using TNMSettings = QMap<QString, QVariantMap>;

class TNetworkManagerSecretAgent : public QObject {
    Q_OBJECT
public:
    explicit TNetworkManagerSecretAgent(const QDBusConnection& bus, QObject* parent = nullptr);
    ~TNetworkManagerSecretAgent() override;

    // The secrets to give for this profile until Forget(); `ready` follows
    // once the agent is registered (or could not be: the dial goes on and
    // NetworkManager uses what it has).
    void Offer(const QString& profilePath, const QString& password, std::function<void()> ready);
    void Forget();
    // The secrets answered for a question on one setting of the profile.
    TNMSettings SecretsFor(const QString& profilePath, const QString& settingName) const;
    QDBusConnection& Bus() { return FBus; }

private:
    QDBusConnection FBus;
    QString FProfile;
    QString FPassword;
    bool FRegistered = false;
};

// The D-Bus face of the agent (org.freedesktop.NetworkManager.SecretAgent).
class TSecretAgentAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.NetworkManager.SecretAgent")
public:
    explicit TSecretAgentAdaptor(TNetworkManagerSecretAgent* agent);

public slots:
    TNMSettings GetSecrets(const TNMSettings& connection, const QDBusObjectPath& connectionPath, const QString& settingName,
                           const QStringList& hints, uint flags, const QDBusMessage& message);
    void CancelGetSecrets(const QDBusObjectPath& connectionPath, const QString& settingName);
    void SaveSecrets(const TNMSettings& connection, const QDBusObjectPath& connectionPath);
    void DeleteSecrets(const TNMSettings& connection, const QDBusObjectPath& connectionPath);

private:
    TNetworkManagerSecretAgent* FAgent;
};

} // namespace vorlin::app

Q_DECLARE_METATYPE(vorlin::app::TNMSettings)
