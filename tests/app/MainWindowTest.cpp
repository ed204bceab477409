// The main window without a network: settings on a fresh installation and
// through the settings dialog, the manners file that the project options
// reach, the queue rules, the action update rules, deleting and renaming
// through the window's questions, the messages of
// other programs, runs that end at once (the error line, the next project,
// "Warteschlange stoppen"), the debug log window and a real message box.
#include "app/DebugLogWindow.h"
#include "app/DisplayFormats.h"
#include "app/ProjectTreeModel.h"
#include "app/QtDesktopDialogs.h"
#include "app/QueueModel.h"
#include "app/VorlinApplication.h"
#include "platform/DebugLog.h"
#include "platform/IniFile.h"
#include "platform/InterProcess.h"
#include "platform/MessageTarget.h"
#include "project/ProgramSettingsFile.h"
#include "tests/app/WindowFixture.h"
#include "ui/ClientRowsModel.h"
#include "ui/LogModel.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>
#include <thread>

using namespace vorlin;
using namespace vorlin::app;
using vorlin::test::TWindowFixture;

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void FreshInstallationDefaultsAndWhatClosingWrites();
    void SettingsDialogCancelKeepsOkReplaces();
    void PropertiesWriteTheMannersBesideTheProject();
    void PasswordsComeBackThroughSaveAndLoad();
    void QueueColumnsAndEnqueueRules();
    void QueueOrderAndItsEnabling();
    void ActionUpdateRules();
    void DeleteAsksItsQuestions();
    void RenameWarnsOfASibling();
    void ResetDataAndStatistics();
    void OtherProgramsQueueAndAskForNodes();
    void ScheduleWithoutSchedulerTellsHow();
    void RunEndsStartTheNextProjectUnlessStopped();
    void DebugLogTakesLinesFromAnyThread();
    void EscapedExceptionsGoToTheDebugLog();
    void RealMessageBoxIsAnswered();
    void DisplayFormats();
};

void MainWindowTest::FreshInstallationDefaultsAndWhatClosingWrites() {
    TWindowFixture f;
    THttpGetForm& w = f.Open();
    const TProgramSettings& s = w.Settings();
    QCOMPARE(s.NumberOfThreads, 5);
    QCOMPARE(w.ConnectionCount(), 5);
    QVERIFY(s.TimeOutEnabled);
    QCOMPARE(int(s.TimeOutLength), 20);
    QCOMPARE(int(s.NumberOfTries), 3);
    QVERIFY(!s.ProxyEnabled);
    QCOMPARE(int(s.ConnType), 0);
    QVERIFY(s.ClipboardEnabled);
    QCOMPARE(int(s.ClipboardType), 1);
    QCOMPARE(s.AutosaveMinutes, 10);
    QCOMPARE(s.Language, std::string("English"));
    QVERIFY(GlobalAtomExists("HW_MAIN"));
    // The three top folders and their directories.
    QCOMPARE(w.TreeModel().rowCount(), 3);
    QVERIFY(f.Home.Exists(f.Home.PathOf("/Quick Projects")));
    w.SetConnectionCount(7);
    QVERIFY(f.Close());
    QVERIFY(!GlobalAtomExists("HW_MAIN"));
    TIniFile ini;
    ini.LoadFromFile(f.Home.Home() + "HttpVorlin.ini");
    QCOMPARE(ini.ReadString("Settings", "NumberOfThreads", ""), std::string("7"));
    QCOMPARE(ini.ReadString("TimeOut", "Number Of Tries", ""), std::string("3"));
    QCOMPARE(ini.ReadString("TimeOut", "TimeOut-Enabled", ""), std::string("1"));
    QVERIFY(f.Home.Exists(f.Home.Home() + "settings.cfg"));
    // Read again at the next start.
    TWindowFixture again;
    again.Home.WriteFile(again.Home.Home() + "HttpVorlin.ini", ini.ToText());
    QCOMPARE(again.Open().ConnectionCount(), 7);
}

void MainWindowTest::SettingsDialogCancelKeepsOkReplaces() {
    TWindowFixture f;
    THttpGetForm& w = f.Open();
    f.Dialogs.OnEditSettings = [](TProgramSettings& record) {
        record.IdentifyAs = "changed but cancelled";
        return false;
    };
    w.Actions().acSettings->trigger();
    QCOMPARE(w.Settings().IdentifyAs, std::string());
    f.Dialogs.OnEditSettings = [](TProgramSettings& record) {
        record.IdentifyAs = "Mozilla/4.01 (Win95; I)";
        record.ProxyEnabled = true;
        record.NumberOfThreads = 3;
        return true;
    };
    w.Actions().acSettings->trigger();
    QCOMPARE(w.Settings().IdentifyAs, std::string("Mozilla/4.01 (Win95; I)"));
    QVERIFY(w.Settings().ProxyEnabled);
    QCOMPARE(w.ConnectionCount(), 3);
    // Nothing is written until the program closes.
    QVERIFY(!f.Home.Exists(f.Home.Home() + "HttpVorlin.ini"));
}

void MainWindowTest::PropertiesWriteTheMannersBesideTheProject() {
    TWindowFixture f;
    f.Home.WriteProject("/Projects/P");
    THttpGetForm& w = f.Open();
    const std::string prj = f.Home.PathOf("/Projects/P") + ".prj";
    f.Dialogs.OnProjectOptions = [](TDownloadProject& project, const TOptionsFormContext&) {
        project.Manners.ObeyRobots = false;
        project.Manners.LimitRate = 4096;
        return true;
    };
    w.SelectNode(f.Node("/Projects/P"));
    w.Actions().acProperties->trigger();
    QCOMPARE(f.Dialogs.ProjectOptionsOpened, 1);
    QVERIFY(f.Home.Exists(prj + ".manners"));
    TDownloadProject stored;
    stored.LoadFromFile(prj);
    QVERIFY(!stored.Manners.ObeyRobots);
    QCOMPARE(stored.Manners.LimitRate, int64_t(4096));
    QVERIFY(f.Close());
}

void MainWindowTest::PasswordsComeBackThroughSaveAndLoad() {
    TWindowFixture f;
    THttpGetForm& w = f.Open();
    w.Settings().ProxyPassword = "pr0xy secret";
    w.Settings().DialUpPassword = "d1al";
    w.Settings().ProxyUserName = "someone";
    QVERIFY(f.Close());
    TIniFile ini;
    ini.LoadFromFile(f.Home.Home() + "HttpVorlin.ini");
    const std::string stored = ini.ReadString("Proxy", "Proxy-PassWord", "");
    QVERIFY(!stored.empty());
    QVERIFY(stored != "pr0xy secret");
    QCOMPARE(ini.ReadString("Proxy", "Proxy-Username", ""), std::string("someone"));
    TProgramSettings loaded;
    LoadProgramSettingsFile(f.Home.Home() + "HttpVorlin.ini", loaded);
    QCOMPARE(loaded.ProxyPassword, std::string("pr0xy secret"));
    QCOMPARE(loaded.DialUpPassword, std::string("d1al"));
}

void MainWindowTest::QueueColumnsAndEnqueueRules() {
    TWindowFixture f;
    f.Home.WriteProject("/Projects/One");
    f.Home.WriteProject("/Projects/News/Daily");
    f.Home.WriteProject("/Projects/News/Weekly");
    f.Home.WriteProject("/Projects/News/Deeper/Never");
    f.Home.WriteProject("/Templates/T");
    THttpGetForm& w = f.Open();
    QAbstractItemModelTester tester(&w.Queue(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    w.Actions().acQueueStopped->setChecked(true);  // nothing starts
    w.SelectNode(nullptr);
    w.PutInQueue();
    QCOMPARE(f.Dialogs.Messages.back(), std::string("Es wurde noch kein Projekt ausgewählt!"));
    w.SelectNode(f.Node("/Projects/One"));
    w.Actions().acPutInQueue->trigger();
    QCOMPARE(w.Queue().Count(), 1);
    QCOMPARE(w.Queue().index(0, 0).data().toString(), QString("One"));
    QCOMPARE(w.Queue().index(0, 1).data().toString(), QString("0 KB"));
    QCOMPARE(w.Queue().index(0, 2).data().toString(), QString("noch nie"));
    QCOMPARE(f.Node("/Projects/One")->Project->DataFileName, f.Home.PathOf("/Projects/One.dat"));
    // A folder enqueues its direct projects only.
    w.SelectNode(f.Node("/Projects/News"));
    w.PutInQueue();
    QCOMPARE(w.Queue().Count(), 3);
    QCOMPARE(w.Queue().Item(1).Caption, std::string("Daily"));
    // A template can't be enqueued; a double click opens its properties instead.
    w.SelectNode(f.Node("/Templates/T"));
    QVERIFY(!w.Actions().acPutInQueue->isEnabled());
    w.ProjectTreeDoubleClick(f.Node("/Templates/T"));
    QCOMPARE(w.Queue().Count(), 3);
    // A double click on a project enqueues it.
    w.ProjectTreeDoubleClick(f.Node("/Projects/One"));
    QCOMPARE(w.Queue().Count(), 4);
    // Deleting the project takes it out of the queue.
    f.Dialogs.Answers = {TAnswer::anNo};
    w.SelectNode(f.Node("/Projects/News/Weekly"));
    w.DeleteSelected();
    QCOMPARE(w.Queue().Count(), 3);
}

void MainWindowTest::QueueOrderAndItsEnabling() {
    TWindowFixture f;
    for (const char* name : {"/Projects/A", "/Projects/B", "/Projects/C", "/Projects/D"}) f.Home.WriteProject(name);
    THttpGetForm& w = f.Open();
    w.Actions().acQueueStopped->setChecked(true);
    w.SelectNode(f.Node("/Projects"));
    w.PutInQueue();
    QCOMPARE(w.Queue().Count(), 4);
    const THttpGetForm::TActions& a = w.Actions();
    w.SelectQueueRow(0);
    QVERIFY(!a.acQueuePosUp->isEnabled());
    QVERIFY(!a.acQueuePosDown->isEnabled());
    w.SelectQueueRow(1);
    QVERIFY(!a.acQueuePosUp->isEnabled());  // the head can't be displaced
    QVERIFY(a.acQueuePosDown->isEnabled());
    w.SelectQueueRow(3);
    QVERIFY(a.acQueuePosUp->isEnabled());
    QVERIFY(!a.acQueuePosDown->isEnabled());
    a.acQueuePosUp->trigger();
    QCOMPARE(w.Queue().Item(2).Caption, std::string("D"));
    QCOMPARE(w.SelectedQueueRow(), 2);
    a.acQueuePosDown->trigger();
    QCOMPARE(w.Queue().Item(3).Caption, std::string("D"));
    QVERIFY(!w.Queue().MoveItem(0, 2));
    QVERIFY(!w.Queue().MoveItem(2, 0));
    // A drop above the head is refused; within the rest it reorders.
    std::unique_ptr<QMimeData> drag(w.Queue().mimeData({w.Queue().index(3, 0)}));
    QVERIFY(!w.Queue().canDropMimeData(drag.get(), Qt::MoveAction, 0, 0, {}));
    w.Queue().dropMimeData(drag.get(), Qt::MoveAction, 1, 0, {});
    QCOMPARE(w.Queue().Item(1).Caption, std::string("D"));
    QCOMPARE(w.Queue().Item(0).Caption, std::string("A"));
    // Removing: the selected ones go, the head stays.
    w.QueueView()->selectAll();
    a.acDeleteFromQueue->trigger();
    QCOMPARE(w.Queue().Count(), 1);
    QCOMPARE(w.Queue().Item(0).Caption, std::string("A"));
}

void MainWindowTest::ActionUpdateRules() {
    TWindowFixture f;
    f.Home.WriteProject("/Projects/P");
    f.Home.WriteProject("/Projects/F/Inner");
    f.Home.WriteFile(f.Home.PathOf("/Projects/Empty/.keep"));
    f.Home.WriteProject("/Quick Projects/Q");
    f.Home.WriteProject("/Templates/T");
    THttpGetForm& w = f.Open();
    const THttpGetForm::TActions& a = w.Actions();
    w.SelectNode(nullptr);
    for (QAction* off : {a.acPutInQueue, a.acShowInformation, a.acShowStructure, a.acRename, a.acNewDirectory})
        QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
    w.SelectNode(f.Node("/Projects/P"));
    for (QAction* on : {a.acPutInQueue, a.acShowInformation, a.acShowStructure, a.acRename, a.acNewProject,
                        a.acNewDirectory, a.acProperties, a.acDeleteProj, a.acSchedule, a.acProjectReset})
        QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
    w.SelectNode(f.Node("/Quick Projects/Q"));
    QVERIFY(a.acPutInQueue->isEnabled());
    QVERIFY(!a.acNewProject->isEnabled());
    QVERIFY(!a.acNewDirectory->isEnabled());
    w.SelectNode(f.Node("/Templates/T"));
    QVERIFY(a.acRename->isEnabled() && a.acProperties->isEnabled() && a.acDeleteProj->isEnabled());
    for (QAction* off : {a.acPutInQueue, a.acShowInformation, a.acShowStructure, a.acSchedule})
        QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
    w.SelectNode(f.Node("/Projects/F"));
    QVERIFY(a.acRename->isEnabled() && a.acPutInQueue->isEnabled() && a.acDeleteProj->isEnabled());
    QVERIFY(!a.acShowInformation->isEnabled() && !a.acShowStructure->isEnabled() && !a.acProperties->isEnabled());
    w.SelectNode(f.Node("/Projects/Empty"));
    QVERIFY(!a.acPutInQueue->isEnabled());
    w.SelectNode(f.Node("/Projects"));
    QVERIFY(!a.acRename->isEnabled() && !a.acDeleteProj->isEnabled());
    QVERIFY(a.acPutInQueue->isEnabled());
    // The head of the queue can't be deleted nor edited.
    w.Actions().acQueueStopped->setChecked(true);
    w.SelectNode(f.Node("/Projects/P"));
    w.PutInQueue();
    QVERIFY(!a.acDeleteProj->isEnabled());
    QVERIFY(!a.acProperties->isEnabled());
    w.DeleteSelected();
    QVERIFY(f.Node("/Projects/P"));
}

void MainWindowTest::DeleteAsksItsQuestions() {
    TWindowFixture f;
    f.Home.WriteProject("/Projects/A");
    f.Home.WriteProject("/Projects/B");
    f.Home.WriteProject("/Projects/C");
    f.Home.WriteProject("/Projects/F/Inner");
    f.Home.WriteProject("/Templates/T");
    THttpGetForm& w = f.Open();
    // Cancel keeps everything.
    w.SelectNode(f.Node("/Projects/B"));
    f.Dialogs.Answers = {TAnswer::anCancel};
    w.DeleteSelected();
    QCOMPARE(f.Dialogs.Questions.back(), std::string("Do you want to delete the downloaded files also?"));
    QVERIFY(f.Home.Exists(f.Home.PathOf("/Projects/B.prj")));
    // No deletes the project, and the next sibling is selected.
    f.Dialogs.Answers = {TAnswer::anNo};
    w.DeleteSelected();
    QVERIFY(!f.Home.Exists(f.Home.PathOf("/Projects/B.prj")));
    QCOMPARE(w.SelectedNode(), f.Node("/Projects/C"));
    // The last one leaves the previous sibling selected.
    f.Dialogs.Answers = {TAnswer::anNo};
    w.DeleteSelected();
    QCOMPARE(w.SelectedNode(), f.Node("/Projects/A"));
    w.SelectNode(f.Node("/Templates/T"));
    f.Dialogs.Answers = {TAnswer::anNo};
    w.DeleteSelected();
    QCOMPARE(f.Dialogs.Questions.back(), std::string("Do you really want to delete this template?"));
    QVERIFY(f.Node("/Templates/T"));
    f.Dialogs.Answers = {TAnswer::anYes};
    w.DeleteSelected();
    QVERIFY(!f.Node("/Templates/T"));
    w.SelectNode(f.Node("/Projects/F"));
    f.Dialogs.Answers = {TAnswer::anNo};
    w.DeleteSelected();
    QVERIFY(f.Dialogs.Questions.back().rfind("All projects in the selected folder will be deleted!", 0) == 0);
    QVERIFY(!f.Node("/Projects/F"));
    QVERIFY(!f.Home.Exists(f.Home.PathOf("/Projects/F")));
}

void MainWindowTest::RenameWarnsOfASibling() {
    TWindowFixture f;
    f.Home.WriteProject("/Projects/A");
    f.Home.WriteProject("/Projects/B");
    THttpGetForm& w = f.Open();
    w.TreeModel().setData(w.TreeModel().IndexOf(f.Node("/Projects/A")), "B");
    QCOMPARE(f.Dialogs.Messages.back(), std::string("Entry with the same caption already exists!"));
    QVERIFY(f.Home.Exists(f.Home.PathOf("/Projects/A.prj")));
    w.TreeModel().setData(w.TreeModel().IndexOf(f.Node("/Projects/A")), "a/b:c");
    QVERIFY(f.Home.Exists(f.Home.PathOf("/Projects/a_b_c.prj")));
    // A new folder is made unique and put into edit mode.
    w.SelectNode(f.Node("/Projects"));
    w.Actions().acNewDirectory->trigger();
    w.SelectNode(f.Node("/Projects"));
    w.Actions().acNewDirectory->trigger();
    QVERIFY(f.Node("/Projects/Neuer Ordner (2)"));
    QVERIFY(w.ProjectTreeView()->indexWidget(w.ProjectTreeView()->currentIndex()) ||
            w.ProjectTreeView()->findChild<QLineEdit*>());
}

void MainWindowTest::ResetDataAndStatistics() {
    TWindowFixture f;
    f.Home.WriteProject("/Projects/P");
    f.Home.WriteFile(f.Home.PathOf("/Projects/P.dat"));
    f.Home.WriteFile(f.Home.PathOf("/Projects/P.dat.plugins"));
    f.Home.WriteFile(f.Home.PathOf("/Projects/P.prj.rules"));
    THttpGetForm& w = f.Open();
    TDownloadProject& project = *f.Node("/Projects/P")->Project;
    project.ProjectSize = 4096;
    project.FileCount = 7;
    project.LastDownloadDate = 45000;
    project.RunSize = 99;
    w.SelectNode(f.Node("/Projects/P"));
    w.Actions().acProjectReset->trigger();
    QVERIFY(!f.Home.Exists(f.Home.PathOf("/Projects/P.dat")));
    QVERIFY(!f.Home.Exists(f.Home.PathOf("/Projects/P.dat.plugins")));
    QVERIFY(f.Home.Exists(f.Home.PathOf("/Projects/P.prj.rules")));
    QCOMPARE(project.ProjectSize, int64_t(0));
    QCOMPARE(project.FileCount, 0);
    QCOMPARE(project.LastDownloadDate, 0.0);
    QCOMPARE(project.RunSize, int64_t(99));
    TDownloadProject stored;
    stored.LoadFromFile(f.Home.PathOf("/Projects/P.prj"));
    QCOMPARE(stored.FileCount, 0);
    // The statistics dialog shows the project (its reset is the dialog's).
    TDownloadProject* shown = nullptr;
    f.Dialogs.OnProjectInformation = [&](TDownloadProject& p) { shown = &p; };
    w.Actions().acShowInformation->trigger();
    QCOMPARE(shown, &project);
}

void MainWindowTest::OtherProgramsQueueAndAskForNodes() {
    TWindowFixture f;
    f.Home.WriteProject("/Projects/News/Daily");
    THttpGetForm& w = f.Open();
    w.Actions().acQueueStopped->setChecked(true);
    const TRemoteWindow main = FindWindowByClass("THttpGetForm");
    QVERIFY(main != 0);
    // A node path that names nothing: the message, and nothing queued.
    auto send = [&](const std::string& path) {
        TCopyData data;
        data.Bytes.assign(path.begin(), path.end());
        data.Bytes.push_back(0);
        return SendCopyData(main, 0, data);
    };
    QVERIFY(send("/Projects/Nowhere"));
    QTRY_COMPARE(f.Dialogs.Messages.size(), size_t(1));
    QCOMPARE(f.Dialogs.Messages[0], std::string("Queueing of /Projects/Nowhere failed, can not find that project!"));
    QCOMPARE(w.Queue().Count(), 0);
    QVERIFY(send("/Projects/News/Daily"));
    QTRY_COMPARE(w.Queue().Count(), 1);
    QCOMPARE(w.SelectedNode(), f.Node("/Projects/News/Daily"));
    // The scheduler asks for a node's path and for a task.
    std::vector<std::pair<uint32_t, std::string>> received;
    TMessageTarget scheduler([&](TMsg& msg) {
        std::string text;
        if (auto* data = msg.PayloadAs<TCopyData>()) text.assign(data->Bytes.begin(), data->Bytes.end());
        else text = std::to_string(msg.LParam);
        received.emplace_back(msg.Message, text);
        return intptr_t(0);
    });
    auto published = PublishWindow("TfmSchedulerMain", scheduler.Handle());
    QVERIFY(published);
    PostRemoteMessage(main, RegisterWindowMessage("HWM_REQUESTPROJECT"), published->Window(),
                      f.Node("/Projects/News/Daily")->Id);
    PostRemoteMessage(main, RegisterWindowMessage("HWM_REQUESTPROJECT"), published->Window(), 987654);  // unknown
    PostRemoteMessage(main, RegisterWindowMessage("HWM_QUEUETASK"), published->Window(), 42);
    QTRY_COMPARE(received.size(), size_t(2));
    QCOMPARE(received[0].first, WM_COPYDATA);
    QCOMPARE(received[0].second, std::string("/Projects/News/Daily", 21));
    QCOMPARE(received[1].first, RegisterWindowMessage("HWM_REQUESTTASK"));
    QCOMPARE(received[1].second, std::string("42"));
}

void MainWindowTest::ScheduleWithoutSchedulerTellsHow() {
    TWindowFixture f;
    f.Home.WriteProject("/Projects/P");
    THttpGetForm& w = f.Open();
    w.SelectNode(f.Node("/Projects/P"));
    w.Actions().acSchedule->trigger();
    QCOMPARE(f.Dialogs.Messages.size(), size_t(1));
    QVERIFY(f.Dialogs.Messages[0].find("vorlin queue \"/Projects/P\"") != std::string::npos);
}

void MainWindowTest::RunEndsStartTheNextProjectUnlessStopped() {
    TWindowFixture f;
    // Projects without a start URL: each run ends at once with its error line.
    for (const char* name : {"/Projects/A", "/Projects/B", "/Projects/C"}) f.Home.WriteProject(name, "");
    THttpGetForm& w = f.Open();
    int finished = 0;
    QObject::connect(&w, &THttpGetForm::RunHasFinished, [&] {
        ++finished;
        // B has started by now; the queue stops after it.
        if (finished == 1) w.Actions().acQueueStopped->setChecked(true);
    });
    w.SelectNode(f.Node("/Projects"));
    // The first download's silent update check serves messages until it is
    // through, long enough for these short runs to end before it returns.
    w.Actions().miAutoCheckUpdate->setChecked(false);
    w.PutInQueue();  // starts A
    QVERIFY(w.RunExists());
    // Each run is a thread of its own: on a busy machine its end may take
    // longer than the default wait of 5 s.
    QTRY_COMPARE_WITH_TIMEOUT(finished, 2, 30000);  // A, then B started by itself
    QVERIFY(!w.RunExists());
    QCOMPARE(w.Queue().Count(), 1);
    QCOMPARE(w.Queue().Item(0).Caption, std::string("C"));
    QCOMPARE(w.RunState(), TRunState::ssIdle);
    ui::TLogModel& log = w.Log();
    QVERIFY(log.Count() >= 1);
    QCOMPARE(log.Line(log.Count() - 1), QString("Keine Url angegeben, breche ab"));
    QVERIFY(log.IsError(log.Count() - 1));
    QCOMPARE(w.ClientRows().Count(), 0);
    // Starting by hand runs the rest.
    w.Actions().acStartDownload->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(finished, 3, 30000);
    QCOMPARE(w.Queue().Count(), 0);
}

void MainWindowTest::DebugLogTakesLinesFromAnyThread() {
    TfmDebugLog window;
    window.SetShowOnReport(false);
    window.Install();
    QUrl mailed;
    window.OpenUrl = [&](const QUrl& url) {
        mailed = url;
        return true;
    };
    DebugLog("first");
    std::thread other([] { DebugLogReport("Error in Somewhere ()", "it broke"); });
    other.join();
    DebugLog("last");
    QCOMPARE(window.Lines(), (QStringList{"first", "Error in Somewhere ()", "it broke", "last"}));
    window.CopyToClipboard();
    QCOMPARE(QApplication::clipboard()->text(), QString("first\nError in Somewhere ()\nit broke\nlast"));
    window.SendAsMail();
    QCOMPARE(mailed.scheme(), QString("mailto"));
    QCOMPARE(mailed.path(), QString(TfmDebugLog::kSupportAddress));
    QVERIFY(mailed.query(QUrl::FullyDecoded).contains("subject=Bugs"));
    QVERIFY(mailed.query(QUrl::FullyDecoded).contains("it broke"));
}

namespace {
class TThrowingObject : public QObject {
protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) throw std::runtime_error("thrown in a handler");
        return QObject::event(event);
    }
};
} // namespace

void MainWindowTest::EscapedExceptionsGoToTheDebugLog() {
    TfmDebugLog window;
    window.SetShowOnReport(false);
    window.Install();
    TThrowingObject object;
    QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&object);
    QVERIFY(window.Lines().contains("thrown in a handler"));
}

void MainWindowTest::RealMessageBoxIsAnswered() {
    QWidget owner;
    TQtDesktopDialogs dialogs(&owner);
    QString seen;
    QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        seen = box->text();
        box->button(QMessageBox::No)->click();
    });
    TAnswer answer = dialogs.Question("Do you want to delete the downloaded files also?", TButtons::bnYesNoCancel,
                                      TAnswer::anNo);
    QCOMPARE(answer, TAnswer::anNo);
    QCOMPARE(seen, QString("Do you want to delete the downloaded files also?"));
    QTimer::singleShot(50, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
    });
    dialogs.Message("Entry with the same caption already exists!", true);
}

void MainWindowTest::DisplayFormats() {
    QCOMPARE(ClientSizeText(1535), std::string("1.49 KB"));  // cut, not rounded
    QCOMPARE(ClientSizeText(0), std::string());
    QCOMPARE(ClientSizeText(-5), std::string());
    QCOMPARE(RateText(2048), std::string("2.00 KB/s"));
    QCOMPARE(KBText(1536), std::string("1.50 KB"));
    QCOMPARE(WholeKBText(5000), std::string("4 KB"));
    QCOMPARE(OverallPercent(1, 1, 3), 66);
    QCOMPARE(OverallPercent(0, 0, 0), 0);
    QCOMPARE(DateText(EncodeDate(2024, 3, 9)), std::string("09.03.2024"));
}

int main(int argc, char** argv) {
    TVorlinApplication application(argc, argv);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MainWindowTest.moc"
