// Connection control against a fake service: dialling or taking the line
// that is up, the download waiting for the line, the disconnect check that
// pauses, redials and resumes, hanging up when the queue is done, the other
// software's programs and window, and a missing service.
#include "app/connection/ConnectionControl.h"
#include "app/connection/ConnectionTexts.h"
#include "project/ProgramSettings.h"
#include "tests/app/ConnectionTests.h"
#include "tests/app/FakeConnectionService.h"

#include <QAction>
#include <QTimer>
#include <QtTest>

using namespace vorlin;
using namespace vorlin::app;
using vorlin::test::TFakeConnectionService;

namespace {

// The main window as connection control sees it: a queue, one run that
// can be paused, and the log.
struct TFakeHost : IConnectionHost {
    TProgramSettings Settings;
    int Queued = 0;
    bool Run = false, Paused = false;
    bool PauseLate = false;  // the run takes its pause only later
    int Starts = 0, Pauses = 0;
    std::vector<std::string> Lines, Errors;

    const TProgramSettings& ConnectionSettings() const override { return Settings; }
    bool QueueEmpty() const override { return Queued == 0; }
    bool DownloadIdle() const override { return !Run; }
    bool DownloadPaused() const override { return Run && Paused; }
    void StartDownload() override {
        ++Starts;
        if (Run && Paused) Paused = false;
        else if (!Run && Queued > 0) Run = true;
    }
    void PauseDownload() override {
        ++Pauses;
        if (Run && !PauseLate) Paused = true;
    }
    void ConnectionLog(const std::string& line, bool error) override { (error ? Errors : Lines).push_back(line); }
    bool Logged(const std::string& line) const {
        return std::find(Lines.begin(), Lines.end(), line) != Lines.end() ||
               std::find(Errors.begin(), Errors.end(), line) != Errors.end();
    }
};

struct TRig {
    TFakeHost Host;
    TFakeConnectionService* Service;
    std::unique_ptr<TConnectionControl> Control;
    std::vector<std::string> Started;
    std::vector<std::string> Closed;

    explicit TRig(uint8_t type = 1) {
        Host.Settings.ConnType = type;
        Host.Settings.DialUpEntry = "Mobilfunk";
        auto service = std::make_unique<TFakeConnectionService>();
        service->Entries = {"Kabel", "Mobilfunk"};
        Service = service.get();
        Control = std::make_unique<TConnectionControl>(Host, std::move(service));
        Control->StartProgram = [this](const std::string& program) {
            Started.push_back(program);
            return program != "missing";
        };
        Control->CloseWindowByTitle = [this](const std::string& title) {
            Closed.push_back(title);
            return TCloseWindowResult::cwAsked;
        };
        Control->UpdateActions();
    }
    TConnectionControl::TActions A() const { return Control->Actions(); }
};

} // namespace

class ConnectionControlTest : public QObject {
    Q_OBJECT
private slots:
    void DirectConnectionNeverDials();
    void EnqueueDialsAndStartsWhenTheLineIsUp();
    void DialTakesTheLineThatIsUp();
    void DroppedLinePausesRedialsAndResumes();
    void NoRedialWithoutQueueOrWithoutTheCheck();
    void HangUpWhenDoneOrStopWatching();
    void OtherSoftwareRunsItsProgramsAndClosesItsWindow();
    void MissingServiceSaysSoAndTheDownloadStartsAnyway();
    void StateTextsAndLists();
};

void ConnectionControlTest::DirectConnectionNeverDials() {
    TRig rig(0);
    QVERIFY(!rig.A().acDial->isEnabled());
    QVERIFY(!rig.A().acHangUp->isEnabled());
    QVERIFY(!rig.A().acHangUpWhenDone->isEnabled());
    QVERIFY(!rig.A().acRedialOnLoss->isEnabled());
    rig.Host.Queued = 1;
    QVERIFY(!rig.Control->ConnectBeforeDownload());
    rig.Control->Dial();
    rig.Control->QueueFinished();
    QTest::qWait(20);
    QVERIFY(rig.Service->Dials.empty());
    QVERIFY(!rig.Control->ConnectionMade());
}

void ConnectionControlTest::EnqueueDialsAndStartsWhenTheLineIsUp() {
    TRig rig;
    rig.Host.Settings.DialUpUserName = "anna";
    rig.Host.Settings.DialUpPassword = " geheim ";
    QVERIFY(rig.A().acDial->isEnabled());
    QVERIFY(!rig.A().acHangUp->isEnabled());
    rig.Host.Queued = 1;
    QVERIFY(rig.Control->ConnectBeforeDownload());
    QVERIFY(rig.Control->ConnectionMade());
    QVERIFY(rig.Control->CheckDisConnTimer()->isActive());
    QCOMPARE(rig.Control->CheckDisConnTimer()->interval(), 2000);
    QVERIFY(!rig.A().acDial->isEnabled());
    // Nothing starts before the line is up.
    QCOMPARE(rig.Host.Starts, 0);
    QTRY_COMPARE(rig.Host.Starts, 1);
    QCOMPARE(rig.Service->Dials.size(), size_t(1));
    QVERIFY(rig.Service->Dials[0].WithCredentials);
    QCOMPARE(rig.Service->Dials[0].UserName, std::string("anna"));
    QCOMPARE(rig.Service->Dials[0].Password, std::string(" geheim "));
    QVERIFY(rig.Host.Logged("Connecting/Dialling"));
    QVERIFY(rig.Host.Logged("Connected/Online"));
    QCOMPARE(rig.Control->Ras().StatusStr(), std::string("Connected/Online"));
    QVERIFY(rig.A().acHangUp->isEnabled());
    // A second queue on the same line dials nothing more.
    QVERIFY(!rig.Control->ConnectBeforeDownload());
    QCOMPARE(rig.Service->Dials.size(), size_t(1));

    // Without user name and password the profile's own credentials are used.
    TRig plain;
    plain.Control->Dial();
    QTRY_COMPARE(plain.Service->Dials.size(), size_t(1));
    QVERIFY(!plain.Service->Dials[0].WithCredentials);
    QVERIFY(plain.Service->Dials[0].Password.empty());
}

void ConnectionControlTest::DialTakesTheLineThatIsUp() {
    TRig rig;
    rig.Service->Active = {{"Kabel", "/active/7"}, {"Mobilfunk", "/active/8"}};
    rig.Host.Queued = 2;
    rig.Control->Dial();
    QTRY_COMPARE(rig.Host.Starts, 1);
    QVERIFY(rig.Service->Dials.empty());
    QCOMPARE(rig.Control->Ras().Handle(), std::string("/active/8"));
    QVERIFY(rig.Control->ConnectionMade());
    // Hanging up takes that line down and waits for it.
    rig.Control->HangUp();
    QVERIFY(!rig.Control->CheckDisConnTimer()->isActive());
    QVERIFY(!rig.A().acHangUp->isEnabled());
    QTRY_VERIFY(!rig.Control->ConnectionMade());
    QCOMPARE(rig.Service->HangUps, std::vector<std::string>{"/active/8"});
    QVERIFY(rig.Host.Logged("Disconnected/Offline"));
    QVERIFY(rig.A().acDial->isEnabled());
}

void ConnectionControlTest::DroppedLinePausesRedialsAndResumes() {
    TRig rig;
    rig.A().acRedialOnLoss->setChecked(true);
    rig.Host.Queued = 1;
    rig.Control->ConnectBeforeDownload();
    QTRY_VERIFY(rig.Host.Run);
    // A check while the line is up changes nothing.
    rig.Control->CheckDisconnect();
    QTest::qWait(20);
    QCOMPARE(rig.Host.Pauses, 0);

    rig.Service->Drop("Mobilfunk");
    rig.Control->CheckDisconnect();
    QTRY_COMPARE(rig.Service->Dials.size(), size_t(2));
    QCOMPARE(rig.Host.Pauses, 1);
    QVERIFY(rig.Host.Logged("Verbindungsabbruch entdeckt, wähle neu"));
    // Checks during the redial do not dial again.
    rig.Control->CheckDisconnect();
    // The line comes back and the download goes on.
    QTRY_VERIFY(!rig.Host.Paused);
    QCOMPARE(rig.Service->Dials.size(), size_t(2));
    QCOMPARE(rig.Host.Starts, 2);
    QVERIFY(rig.Control->ConnectionMade());

    // The pause reaches the run only after the line is back: the next check resumes it.
    rig.Host.PauseLate = true;
    rig.Service->Drop("Mobilfunk");
    rig.Control->CheckDisconnect();
    QTRY_COMPARE(rig.Service->Dials.size(), size_t(3));
    QTRY_COMPARE(rig.Control->Ras().ConnectState(), TConnectState::csConnected);
    QCOMPARE(rig.Host.Starts, 2);
    rig.Host.Paused = true;  // the run says so late
    rig.Control->CheckDisconnect();
    QVERIFY(!rig.Host.Paused);
}

void ConnectionControlTest::NoRedialWithoutQueueOrWithoutTheCheck() {
    TRig rig;
    rig.Control->Dial();
    QTRY_COMPARE(rig.Control->Ras().ConnectState(), TConnectState::csConnected);
    // Redial is off: a dropped line is only reported.
    rig.Service->Drop("Mobilfunk");
    QTRY_VERIFY(rig.Host.Logged("The device was disconnected"));
    rig.Control->CheckDisconnect();
    QTest::qWait(20);
    QCOMPARE(rig.Service->Dials.size(), size_t(1));
    // Redial is on but nothing is queued.
    rig.A().acRedialOnLoss->setChecked(true);
    rig.Control->CheckDisconnect();
    QTest::qWait(20);
    QCOMPARE(rig.Service->Dials.size(), size_t(1));
    QCOMPARE(rig.Host.Pauses, 0);
}

void ConnectionControlTest::HangUpWhenDoneOrStopWatching() {
    TRig rig;
    rig.Control->Dial();
    QTRY_COMPARE(rig.Control->Ras().ConnectState(), TConnectState::csConnected);
    rig.Control->QueueFinished();
    QVERIFY(!rig.Control->CheckDisConnTimer()->isActive());
    QVERIFY(rig.Control->ConnectionMade());
    QVERIFY(rig.Service->HangUps.empty());
    // The next queue on that line is watched again.
    rig.Host.Queued = 1;
    QVERIFY(!rig.Control->ConnectBeforeDownload());
    QVERIFY(rig.Control->CheckDisConnTimer()->isActive());
    rig.A().acHangUpWhenDone->setChecked(true);
    rig.Control->QueueFinished();
    QTRY_VERIFY(!rig.Control->ConnectionMade());
    QCOMPARE(rig.Service->HangUps.size(), size_t(1));
    // Nothing the program did not dial is hung up.
    rig.Service->Active = {{"Mobilfunk", "/active/9"}};
    rig.Control->QueueFinished();
    QTest::qWait(20);
    QCOMPARE(rig.Service->HangUps.size(), size_t(1));
}

void ConnectionControlTest::OtherSoftwareRunsItsProgramsAndClosesItsWindow() {
    TRig rig(2);
    rig.Host.Settings.ConnScript = "/opt/dialer/connect";
    rig.Host.Settings.DisConnScript = "missing";
    rig.Host.Settings.DisConnWndName = "Dialer - online";
    QVERIFY(rig.A().acDial->isEnabled());
    QVERIFY(rig.A().acHangUpWhenDone->isEnabled());
    QVERIFY(!rig.A().acRedialOnLoss->isEnabled());
    rig.Host.Queued = 1;
    // The download starts at once: nothing tells when the other software is through.
    QVERIFY(!rig.Control->ConnectBeforeDownload());
    QCOMPARE(rig.Started, std::vector<std::string>{"/opt/dialer/connect"});
    QVERIFY(rig.Control->ConnectionMade());
    QVERIFY(!rig.Control->CheckDisConnTimer()->isActive());
    rig.Control->HangUp();
    QVERIFY(!rig.Control->ConnectionMade());
    QCOMPARE(rig.Started.back(), std::string("missing"));
    QCOMPARE(rig.Host.Errors.size(), size_t(1));  // the disconnect program did not start
    QCOMPARE(rig.Closed, std::vector<std::string>{"Dialer - online"});
    QVERIFY(rig.Service->Dials.empty());
    // A desktop that closes no other program's window says so.
    rig.Control->CloseWindowByTitle = [](const std::string&) { return TCloseWindowResult::cwUnsupported; };
    rig.Host.Settings.DisConnScript.clear();
    rig.Control->Dial();
    rig.Control->HangUp();
    QCOMPARE(rig.Host.Errors.size(), size_t(2));
}

void ConnectionControlTest::MissingServiceSaysSoAndTheDownloadStartsAnyway() {
    TRig rig;
    rig.Service->Missing = true;
    rig.A().acRedialOnLoss->setChecked(true);
    rig.Host.Queued = 1;
    QVERIFY(rig.Control->ConnectBeforeDownload());
    QTRY_COMPARE(rig.Host.Starts, 1);
    QCOMPARE(rig.Control->Ras().LastError(), kErrorServiceMissing);
    QCOMPARE(rig.Control->Ras().StatusStr(), std::string("NetworkManager Not Available"));
    QVERIFY(rig.Host.Logged("NetworkManager Not Available"));
    // A listing that fails tells nothing about the line: no redial storm.
    const size_t dials = rig.Service->Dials.size();
    rig.Control->CheckDisconnect();
    QTest::qWait(20);
    QCOMPARE(rig.Service->Dials.size(), dials);
    QCOMPARE(rig.Host.Pauses, 0);
    // An unknown entry fails with the service's words.
    TRig unknown;
    unknown.Host.Settings.DialUpEntry = "Gibt es nicht";
    unknown.Control->Dial();
    QTRY_COMPARE(unknown.Control->Ras().LastError(), kErrorUnknownEntry);
    QCOMPARE(unknown.Control->Ras().StatusStr(), std::string("no profile Gibt es nicht"));
}

void ConnectionControlTest::StateTextsAndLists() {
    AddConnectionTexts();
    QCOMPARE(TRAS::StateText(0), std::string("Opening Serial Port"));
    QCOMPARE(TRAS::StateText(static_cast<int>(TConnectState::csLogonNetwork)), std::string("Logon to Network"));
    QCOMPARE(TRAS::StateText(21), std::string("Disconnected/Offline"));
    QCOMPARE(TRAS::StateText(22), std::string("Unknown State - 22"));
    QCOMPARE(TRAS::StateText(-1), std::string("Unknown State - -1"));
    // More entries than are taken are no error: the first 20 are kept.
    TRig rig;
    rig.Service->Entries.clear();
    for (int i = 0; i < 25; ++i) rig.Service->Entries.push_back("Profil " + std::to_string(i));
    std::vector<std::string> offered;
    rig.Control->RefreshEntries([&](const std::vector<std::string>& entries) { offered = entries; });
    QTRY_COMPARE(offered.size(), size_t(20));
    QCOMPARE(offered.back(), std::string("Profil 19"));
}

int RunConnectionControlTests(int argc, char** argv) {
    ConnectionControlTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ConnectionControlTest.moc"
