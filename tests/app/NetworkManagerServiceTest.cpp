// The NetworkManager service over D-Bus, against python3-dbusmock's
// NetworkManager template on a private bus that this test starts (never
// the machine's own system bus): profiles, dialling, the line that is up,
// hanging up until it is down, and the service that is not there.
#include "app/connection/NetworkManagerSecretAgent.h"
#include "app/connection/NetworkManagerService.h"
#include "app/connection/RAS.h"
#include "tests/app/ConnectionTests.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace vorlin::app;

namespace {

const char* kPython = "/usr/bin/python3";
const QString kMock = QStringLiteral("org.freedesktop.DBus.Mock");

struct TListed {
    bool Done = false;
    TServiceError Error;
    std::vector<std::string> Entries;
    std::vector<TActiveConnection> Active;
};

} // namespace

class NetworkManagerServiceTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void WithoutNetworkManagerEverythingSays1157();
    void ProfilesDialHangUp();

private:
    QDBusConnection Bus() const { return QDBusConnection(FBusName); }
    std::unique_ptr<TNetworkManagerService> NewService() {
        const QString name = FBusName;
        return std::make_unique<TNetworkManagerService>([name] { return QDBusConnection(name); });
    }
    bool StartMock();
    QString AddProfile(const QString& id);

    QTemporaryDir FDirectory;
    QProcess FDaemon, FMock;
    QString FAddress;
    QString FBusName = QStringLiteral("vorlin-test-bus");
    bool FHaveMock = false;
};

void NetworkManagerServiceTest::initTestCase() {
    QProcess probe;
    probe.start(kPython, {"-c", "import dbusmock"});
    if (!probe.waitForFinished(20000) || probe.exitCode() != 0 || QStandardPaths::findExecutable("dbus-daemon").isEmpty())
        QSKIP("python3-dbusmock or dbus-daemon is not installed");
    QVERIFY(FDirectory.isValid());
    FDaemon.start("dbus-daemon", {"--session", "--nofork", "--print-address",
                                  "--address=unix:path=" + FDirectory.filePath("bus")});
    QVERIFY(FDaemon.waitForReadyRead(10000));
    FAddress = QString::fromUtf8(FDaemon.readLine()).trimmed();
    QVERIFY(!FAddress.isEmpty());
    QVERIFY(QDBusConnection::connectToBus(FAddress, FBusName).isConnected());
    FHaveMock = true;
}

void NetworkManagerServiceTest::cleanupTestCase() {
    QDBusConnection::disconnectFromBus(FBusName);
    for (QProcess* process : {&FMock, &FDaemon}) {
        if (process->state() == QProcess::NotRunning) continue;
        process->terminate();
        if (!process->waitForFinished(5000)) process->kill();
        process->waitForFinished(5000);
    }
}

bool NetworkManagerServiceTest::StartMock() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Both addresses point at the private bus, so nothing reaches the machine's own.
    environment.insert("DBUS_SESSION_BUS_ADDRESS", FAddress);
    environment.insert("DBUS_SYSTEM_BUS_ADDRESS", FAddress);
    FMock.setProcessEnvironment(environment);
    FMock.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FMock.start(kPython, {"-m", "dbusmock", "--session", "--template", "networkmanager"});
    if (!FMock.waitForStarted(10000)) return false;
    QDBusConnectionInterface* names = Bus().interface();
    for (int i = 0; i < 200; ++i) {
        if (names->isServiceRegistered("org.freedesktop.NetworkManager")) return true;
        QTest::qWait(50);
    }
    return false;
}

QString NetworkManagerServiceTest::AddProfile(const QString& id) {
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.NetworkManager",
                                                       "/org/freedesktop/NetworkManager/Settings",
                                                       "org.freedesktop.NetworkManager.Settings", "AddConnection");
    TNMSettings settings;
    settings["connection"] = QVariantMap{{"id", id}, {"type", "pppoe"}};
    settings["pppoe"] = QVariantMap{{"username", "anna"}};
    call << QVariant::fromValue(settings);
    const QDBusMessage reply = Bus().call(call);
    return reply.arguments().isEmpty() ? QString() : qdbus_cast<QDBusObjectPath>(reply.arguments().front()).path();
}

void NetworkManagerServiceTest::WithoutNetworkManagerEverythingSays1157() {
    // The private bus has no NetworkManager yet.
    auto service = NewService();
    TListed listed;
    service->ListEntries([&](const TServiceError& error, const std::vector<std::string>& entries) {
        listed = {true, error, entries, {}};
    });
    QVERIFY(!listed.Done);  // answers come later, never from inside the call
    QTRY_VERIFY(listed.Done);
    QCOMPARE(listed.Error.Code, kErrorServiceMissing);

    // No bus at all: the same, and the dial-up component says so.
    TRAS ras(std::make_unique<TNetworkManagerService>([] { return QDBusConnection(QStringLiteral("no such bus")); }));
    ras.EntryName = "DSL";
    ras.Dial();
    QTRY_COMPARE(ras.LastError(), kErrorServiceMissing);
    QCOMPARE(ras.StatusStr(), std::string("NetworkManager Not Available"));
}

void NetworkManagerServiceTest::ProfilesDialHangUp() {
    QVERIFY(StartMock());
    // DeactivateConnection of the template works through the devices.
    QDBusMessage device = QDBusMessage::createMethodCall("org.freedesktop.NetworkManager", "/org/freedesktop/NetworkManager",
                                                         kMock, "AddEthernetDevice");
    device << QString("mock_Ethernet1") << QString("eth0") << uint(30);
    QCOMPARE(Bus().call(device).type(), QDBusMessage::ReplyMessage);
    QVERIFY(!AddProfile("DSL Telekom").isEmpty());
    QVERIFY(!AddProfile("Mobilfunk").isEmpty());

    TRAS ras(NewService());
    TListed listed;
    ras.ListEntries([&](const TServiceError& error) { listed = {true, error, ras.PhoneBookEntries(), {}}; });
    QTRY_VERIFY(listed.Done);
    QVERIFY(!listed.Error);
    QCOMPARE(listed.Entries, (std::vector<std::string>{"DSL Telekom", "Mobilfunk"}));

    std::vector<std::string> statuses;
    int connects = 0;
    ras.OnStateChanged = [&] { statuses.push_back(ras.StatusStr()); };
    ras.OnConnect = [&] { ++connects; };
    ras.EntryName = "Mobilfunk";
    ras.Dial();
    QTRY_COMPARE(connects, 1);
    QVERIFY(!ras.Handle().empty());
    QCOMPARE(statuses.back(), std::string("Connected/Online"));

    listed = {};
    ras.ListConnections([&](const TServiceError& error) { listed = {true, error, {}, ras.Connections()}; });
    QTRY_VERIFY(listed.Done);
    QCOMPARE(listed.Active.size(), size_t(1));
    QCOMPARE(listed.Active[0].Name, std::string("Mobilfunk"));
    QCOMPARE(listed.Active[0].Handle, ras.Handle());

    bool closed = false;
    ras.HangUp([&] { closed = true; });
    QTRY_VERIFY(closed);
    QCOMPARE(statuses.back(), std::string("Disconnected/Offline"));
    listed = {};
    ras.ListConnections([&](const TServiceError& error) { listed = {true, error, {}, ras.Connections()}; });
    QTRY_VERIFY(listed.Done);
    QVERIFY(listed.Active.empty());

    // A profile that is not there is a dialling error with its own words.
    ras.EntryName = "Gibt es nicht";
    ras.Dial();
    QTRY_COMPARE(ras.LastError(), kErrorUnknownEntry);
    QVERIFY(ras.StatusStr().find("Gibt es nicht") != std::string::npos);
}

int RunNetworkManagerServiceTests(int argc, char** argv) {
    NetworkManagerServiceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "NetworkManagerServiceTest.moc"
