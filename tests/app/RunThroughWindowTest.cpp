// Downloads driven through the main window from nginx on 127.0.0.1: a
// whole site with the next project after it, pause and resume, cancel with
// the "Closing Download" window, the credentials prompt, the half-automatic
// and the structure selection, the file selection with no run, and closing
// the program while a run exists.
#include "app/ProjectTreeModel.h"
#include "app/QueueModel.h"
#include "app/VorlinApplication.h"
#include "engine/DownloadThread.h"
#include "app/ProjectViewer.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "tests/app/WindowFixture.h"
#include "tests/e2e/support/NginxServer.h"
#include "ui/ClientRowsModel.h"
#include "ui/LogModel.h"
#include "ui/StructureTreeModel.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QtTest>

using namespace vorlin;
using namespace vorlin::app;
using vorlin::test::TNginxServer;
using vorlin::test::TWindowFixture;

namespace {

constexpr int kRunWaitMs = 30000;

void Put(const std::string& path, const std::string& text) {
    ForceDirectories(ExtractFilePath(path));
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.data(), static_cast<qint64>(text.size()));
}

// A small site: two pages below the start page, an image, a protected
// page and a slow file.
void WriteSite(const std::string& root) {
    Put(root + "/index.html",
        "<html><body><a href=\"a.html\">a</a> <a href=\"dir/b.html\">b</a> <img src=\"img.png\">"
        "<a href=\"private/secret.html\">secret</a></body></html>");
    // The start of the runs that are paused or cancelled: a file that takes its time.
    Put(root + "/slow.html", "<html><body><a href=\"dir/b.html\">b</a> <a href=\"slow/big.bin\">big</a></body></html>");
    Put(root + "/a.html", "<html><body>page a <a href=\"index.html\">home</a></body></html>");
    Put(root + "/dir/b.html", "<html><body>page b</body></html>");
    Put(root + "/img.png", std::string(3000, 'p'));
    Put(root + "/private/secret.html", "<html><body>secret</body></html>");
    Put(root + "/slow/big.bin", std::string(64 * 1024, 'b'));
    Put(root + "/.htpasswd", "alice:{PLAIN}wonderland\n");
}

std::string Config(const std::string& root) {
    return "    location /private/ { auth_basic \"Area\"; auth_basic_user_file " + root + "/.htpasswd; }\n"
           "    location = /.htpasswd { deny all; }\n"
           "    location /slow/ { limit_rate 8k; }\n";
}

bool LogHas(THttpGetForm& w, const QString& part) {
    for (int i = 0; i < w.Log().Count(); ++i)
        if (w.Log().Line(i).contains(part)) return true;
    return false;
}

} // namespace

class RunThroughWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void WholeSiteThenTheNextProject();
    void PauseResumeAndCancel();
    void CredentialsAnsweredByTheUser();
    void CancelAURLOfAConnection();
    void HalfAutomaticChoosesTheLinks();
    void StructureSelectionWithoutARun();
    void ClosingWhileARunExists();
    void AProjectMadeOnlyThroughTheTemplateFlow();

private:
    THttpGetForm& OpenWith(TWindowFixture& f, const std::vector<std::string>& projects, TProjectMode mode,
                           const std::string& start = std::string());

    QTemporaryDir FSiteDir;
    std::unique_ptr<TNginxServer> FServer;
    std::string FSite;
};

void RunThroughWindowTest::initTestCase() {
    if (!vorlin::test::NginxAvailable()) QSKIP("nginx is not installed");
    FSite = FSiteDir.path().toStdString() + "/site";
    WriteSite(FSite);
    FServer = std::make_unique<TNginxServer>(FSite, Config(FSite));
}

THttpGetForm& RunThroughWindowTest::OpenWith(TWindowFixture& f, const std::vector<std::string>& projects,
                                             TProjectMode mode, const std::string& start) {
    for (const std::string& path : projects) {
        f.Home.WriteProject(path, FServer->BaseURL() + start);
        TDownloadProject project;
        project.LoadFromFile(f.Home.PathOf(path) + ".prj");
        project.ProjectMode = mode;
        project.SaveToFile(f.Home.PathOf(path) + ".prj");
    }
    THttpGetForm& w = f.Open();
    w.SetStructureBatch(2);  // many small steps, as a large site makes them
    return w;
}

void RunThroughWindowTest::WholeSiteThenTheNextProject() {
    TWindowFixture f;
    THttpGetForm& w = OpenWith(f, {"/Projects/Site/First", "/Projects/Site/Second"}, pmOfflineBrowse);
    f.Dialogs.OnCredentials = [](TAuthRec& request) {
        request.UserName = "alice";
        request.Password = "wonderland";
        return true;
    };
    w.SetConnectionCount(3);
    std::vector<std::string> linksFound;
    QObject::connect(&w.Log(), &QAbstractItemModel::rowsInserted, [&] {
        if (!w.CounterText(3).empty()) linksFound.push_back(w.CounterText(3));
    });
    int finished = 0;
    std::vector<int64_t> hostTotals;
    // What the queue looked like as the first run ended: the second, small
    // run may well be over too before the test gets to look.
    int queuedAfterFirst = -1;
    std::string nextCaption;
    bool nextRunStarted = false;
    QObject::connect(&w, &THttpGetForm::RunHasFinished, [&] {
        if (++finished == 1) {
            queuedAfterFirst = w.Queue().Count();
            if (queuedAfterFirst > 0) nextCaption = w.Queue().Item(0).Caption;
            nextRunStarted = w.RunExists();
        }
        hostTotals.push_back(w.Structure().TotalOf(w.Structure().index(0, 0)));
    });
    w.SelectNode(f.Node("/Projects/Site"));
    w.Actions().acPutInQueue->trigger();
    QCOMPARE(w.Queue().Count(), 2);
    QVERIFY(w.RunExists());
    // One row per connection, numbered 1 to n.
    QCOMPARE(w.ClientRows().Count(), 3);
    QCOMPARE(w.ClientRows().index(2, 0).data().toInt(), 3);
    QTRY_VERIFY_WITH_TIMEOUT(finished >= 1, kRunWaitMs);
    // The next project started by itself, and the first left the queue.
    QCOMPARE(queuedAfterFirst, 1);
    QCOMPARE(nextCaption, std::string("Second"));
    QVERIFY(nextRunStarted);
    QTRY_COMPARE_WITH_TIMEOUT(finished, 2, kRunWaitMs);
    QCOMPARE(w.Queue().Count(), 0);
    QVERIFY(!w.RunExists());
    QCOMPARE(w.RunState(), TRunState::ssIdle);

    QVERIFY(LogHas(w, "Teste Startadresse"));
    QVERIFY(LogHas(w, "/dir/b.html (32 Bytes) wurde heruntergeladen"));
    QVERIFY(!linksFound.empty());
    QCOMPARE(w.ClientRows().Count(), 0);
    QCOMPARE(w.StatusText(1), std::string());
    QCOMPARE(w.CounterText(0), std::string());
    // The structure view: sizes of every file added up to the host.
    int64_t onDisk = 0;
    // "/" and "index.html" are two links of the same file.
    for (const char* file : {"index.html", "index.html", "a.html", "dir/b.html", "img.png", "private/secret.html"})
        onDisk += FileSizeOf(FSite + "/" + file);
    QCOMPARE(hostTotals.size(), size_t(2));
    // The first run's view was cleared for the second; the last one stays.
    QCOMPARE(hostTotals[1], onDisk);
    QCOMPARE(w.StructureProgressText(), std::string("100%"));
    QVERIFY(w.SelectStructurePath("/127.0.0.1:" + std::to_string(FServer->Port()) + "/dir/b.html"));
    w.Actions().acStructureCopyURL->trigger();
    QCOMPARE(QApplication::clipboard()->text(),
             QString::fromStdString(FServer->BaseURL() + "dir/b.html"));
    // The copy is there, and the project knows when it ran.
    QVERIFY(FileExists(f.Home.Home() + "copies/Projects/Site/First/127.0.0.1+" + std::to_string(FServer->Port()) + "/dir/b.html"));
    TDownloadProject stored;
    stored.LoadFromFile(f.Home.PathOf("/Projects/Site/First.prj"));
    QVERIFY(stored.LastDownloadDate != 0);
    QCOMPARE(w.Queue().Count(), 0);
}

void RunThroughWindowTest::PauseResumeAndCancel() {
    TWindowFixture f;
    THttpGetForm& w = OpenWith(f, {"/Projects/Slow"}, pmOfflineBrowse, "slow.html");
    w.SelectNode(f.Node("/Projects/Slow"));
    w.PutInQueue();
    auto slowRow = [&] {
        for (int i = 0; i < w.ClientRows().Count(); ++i)
            if (w.ClientRows().URL(i).contains("slow/big.bin")) return i;
        return -1;
    };
    QTRY_VERIFY_WITH_TIMEOUT(slowRow() >= 0 && w.RunState() == TRunState::ssRunning, kRunWaitMs);
    QVERIFY(w.Actions().acPauseDownload->isEnabled());
    w.Actions().acPauseDownload->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(w.RunState(), TRunState::ssPaused, kRunWaitMs);
    QVERIFY(!w.findChild<QSlider*>("tbNumOfHttpCli")->isEnabled());
    QVERIFY(w.Actions().acStartDownload->isEnabled());
    w.Actions().acStartDownload->trigger();  // resume
    QTRY_COMPARE_WITH_TIMEOUT(w.RunState(), TRunState::ssRunning, kRunWaitMs);
    QVERIFY(w.findChild<QSlider*>("tbNumOfHttpCli")->isEnabled());
    // The connection row's URL goes to the clipboard.
    QTRY_VERIFY_WITH_TIMEOUT(slowRow() >= 0, kRunWaitMs);
    w.SelectClientRow(slowRow());
    QVERIFY(w.Actions().acProgrListCopyURL->isEnabled());
    w.Actions().acProgrListCopyURL->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QString::fromStdString(FServer->BaseURL() + "slow/big.bin"));
    // Fewer connections while it runs: rows go from the end.
    w.SetConnectionCount(2);
    QCOMPARE(w.ClientRows().Count(), 2);
    bool finished = false;
    QObject::connect(&w, &THttpGetForm::RunHasFinished, [&] { finished = true; });
    // Taking the running head out of the queue cancels its run; it leaves when the run has ended.
    w.SelectQueueRow(0);
    w.Actions().acDeleteFromQueue->trigger();
    QCOMPARE(w.Queue().Count(), 1);
    QVERIFY(f.Dialogs.ClosingShown);
    QCOMPARE(f.Dialogs.ClosingProgress.front().second, std::string("Shutdown initiated"));
    QTRY_VERIFY_WITH_TIMEOUT(finished, kRunWaitMs);
    QVERIFY(!f.Dialogs.ClosingShown);
    QCOMPARE(f.Dialogs.ClosingProgress.back().first, 100);
    QCOMPARE(w.Queue().Count(), 0);
    // The big file was not finished.
    QVERIFY(!LogHas(w, "big.bin (65536 Bytes) wurde heruntergeladen"));
}

void RunThroughWindowTest::CredentialsAnsweredByTheUser() {
    TWindowFixture f;
    THttpGetForm& w = OpenWith(f, {"/Projects/Auth"}, pmOfflineBrowse);
    std::string realm;
    f.Dialogs.OnCredentials = [&](TAuthRec& request) {
        realm = request.Realm;
        request.UserName = "alice";
        request.Password = "wonderland";
        return true;
    };
    bool finished = false;
    QObject::connect(&w, &THttpGetForm::RunHasFinished, [&] { finished = true; });
    w.SelectNode(f.Node("/Projects/Auth"));
    w.PutInQueue();
    QTRY_VERIFY_WITH_TIMEOUT(finished, kRunWaitMs);
    QCOMPARE(f.Dialogs.CredentialRequests, 1);
    QCOMPARE(realm, std::string("Area"));
    QVERIFY(FileExists(f.Home.Home() + "copies/Projects/Auth/127.0.0.1+" + std::to_string(FServer->Port()) + "/private/secret.html"));
}

void RunThroughWindowTest::CancelAURLOfAConnection() {
    TWindowFixture f;
    THttpGetForm& w = OpenWith(f, {"/Projects/Given"}, pmOfflineBrowse, "slow.html");
    bool finished = false;
    QObject::connect(&w, &THttpGetForm::RunHasFinished, [&] { finished = true; });
    w.SelectNode(f.Node("/Projects/Given"));
    w.PutInQueue();
    int row = -1;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            for (int i = 0; i < w.ClientRows().Count(); ++i)
                if (w.ClientRows().URL(i).contains("slow/big.bin")) row = i;
            return row >= 0;
        }(),
        kRunWaitMs);
    w.SelectClientRow(row);
    w.Actions().acProgrListCancelDownload->trigger();
    // Given up: the run ends by itself without the file.
    QTRY_VERIFY_WITH_TIMEOUT(finished, kRunWaitMs);
    QVERIFY(!LogHas(w, "big.bin (65536 Bytes) wurde heruntergeladen"));
    QVERIFY(LogHas(w, "dir/b.html (32 Bytes) wurde heruntergeladen"));
}

void RunThroughWindowTest::HalfAutomaticChoosesTheLinks() {
    TWindowFixture f;
    THttpGetForm& w = OpenWith(f, {"/Projects/Half"}, pmHalfAutomatic);
    std::vector<std::string> offered;
    f.Dialogs.OnSelectLinks = [&](TDownloadProject&, TDownloadLink& page) {
        std::vector<TDownloadLink*> links;
        {
            TLinkLock lock(page);
            links = page.References;
        }
        for (TDownloadLink* link : links) {
            TLinkLock lock(*link);
            offered.push_back(link->Path);
            link->Forced = link->Path == "a.html";
        }
    };
    bool finished = false;
    QObject::connect(&w, &THttpGetForm::RunHasFinished, [&] { finished = true; });
    w.SelectNode(f.Node("/Projects/Half"));
    w.PutInQueue();
    QTRY_VERIFY_WITH_TIMEOUT(finished, kRunWaitMs);
    QVERIFY(f.Dialogs.LinkSelections >= 1);
    QVERIFY(std::find(offered.begin(), offered.end(), "dir/b.html") != offered.end());
    const std::string copy = f.Home.Home() + "copies/Projects/Half/127.0.0.1+" + std::to_string(FServer->Port()) + "/";
    QVERIFY(FileExists(copy + "a.html"));
    QVERIFY(!FileExists(copy + "dir/b.html"));
}

void RunThroughWindowTest::StructureSelectionWithoutARun() {
    TWindowFixture f;
    THttpGetForm& w = OpenWith(f, {"/Projects/Shown"}, pmOfflineBrowse);
    f.Dialogs.OnCredentials = [](TAuthRec&) { return false; };
    bool finished = false;
    QObject::connect(&w, &THttpGetForm::RunHasFinished, [&] { finished = true; });
    w.SelectNode(f.Node("/Projects/Shown"));
    w.PutInQueue();
    QTRY_VERIFY_WITH_TIMEOUT(finished, kRunWaitMs);
    // With no run the link data are loaded, edited and written back.
    int listed = 0;
    f.Dialogs.OnSelectStructure = [&](TDownloadProject& project) {
        for (TDownloadLink* link : *project.Links) {
            ++listed;
            link->Forced = link->Path == "dir/b.html";
        }
        return true;
    };
    w.SelectNode(f.Node("/Projects/Shown"));
    QVERIFY(w.Actions().acShowStructure->isEnabled());
    w.Actions().acShowStructure->trigger();
    QVERIFY(listed >= 5);
    TDownloadProject check;
    check.Links->LoadFromFile(f.Home.PathOf("/Projects/Shown.dat"));
    int forced = 0;
    for (TDownloadLink* link : *check.Links) forced += link->Forced ? 1 : 0;
    QCOMPARE(forced, 1);
    // The window's project holds no links afterwards.
    QCOMPARE(f.Node("/Projects/Shown")->Project->Links->Count(), 0);
}

void RunThroughWindowTest::ClosingWhileARunExists() {
    TWindowFixture f;
    THttpGetForm& w = OpenWith(f, {"/Projects/Slow"}, pmOfflineBrowse, "slow.html");
    w.SelectNode(f.Node("/Projects/Slow"));
    w.PutInQueue();
    QTRY_VERIFY_WITH_TIMEOUT(w.RunState() == TRunState::ssRunning, kRunWaitMs);
    f.Dialogs.Answers = {TAnswer::anNo};
    QVERIFY(!w.CloseQuery());
    QCOMPARE(f.Dialogs.Questions.back(), std::string("Ein Download läuft noch, wollen sie diesen abbrechen?"));
    QVERIFY(w.RunExists());
    f.Dialogs.Answers = {TAnswer::anYes};
    QVERIFY(w.CloseQuery());
    QVERIFY(!w.RunExists());
    QVERIFY(FileExists(f.Home.Home() + "HttpVorlin.ini"));
    QVERIFY(FileExists(f.Home.PathOf("/Projects/Slow.prj")));
    // The run saved what it had learnt.
    QVERIFY(FileExists(f.Home.PathOf("/Projects/Slow.dat")));
    f.Window.reset();
}

void RunThroughWindowTest::AProjectMadeOnlyThroughTheTemplateFlow() {
    TWindowFixture f;
    THttpGetForm& w = f.Open();
    w.Actions().acQueueStopped->setChecked(true);
    // A template made on the way (its options set as the options dialog
    // would), a project from it for the address typed into comboUrl.
    w.OnOpenProjectOptions = [](TProjectNode* templ) { templ->Project->ScopeMode = smStayOnServer; };
    f.Dialogs.Answers = {TAnswer::anYes};
    f.Dialogs.Inputs = {std::string("Site template"), std::string("From template")};
    f.Dialogs.OnChooseTemplate = [](const std::vector<std::string>&, int& row) {
        row = 0;
        return TTemplateChoice::tcChosen;
    };
    const std::string target = f.Home.Home() + "flow-copy";
    f.Dialogs.Directories = {target};
    w.UrlCombo()->setEditText(QString::fromStdString(FServer->BaseURL()));
    QTest::keyClick(w.UrlCombo()->lineEdit(), Qt::Key_Return);
    TProjectNode* node = f.Node("/Quick Projects/From template");
    QVERIFY(node);
    QCOMPARE(node->Project->ScopeMode, smStayOnServer);

    int finished = 0;
    QObject::connect(&w, &THttpGetForm::RunHasFinished, [&] { ++finished; });
    w.Actions().acQueueStopped->setChecked(false);
    w.SelectNode(node);
    w.Actions().acPutInQueue->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(finished, 1, kRunWaitMs);

    // The copy is there: viewing opens its start page from disk.
    std::vector<std::string> opened;
    TShellOpener old = SetShellOpener([&](const std::string& path) {
        opened.push_back(path);
        return true;
    });
    w.Viewer().CompanionDirectory = f.Home.Home() + "no-companion";
    w.SelectNode(node);
    w.Actions().acOpenInBrowser->trigger();
    SetShellOpener(old);
    QCOMPARE(opened.size(), size_t(1));
    const std::string& page = opened[0];
    QVERIFY2(page.rfind(target + "/", 0) == 0 && ExtractFileName(page) == "index.html", page.c_str());
    QVERIFY(FileExists(ExtractFilePath(page) + "a.html"));
    QVERIFY(FileExists(ExtractFilePath(page) + "dir/b.html"));
}

int main(int argc, char** argv) {
    TVorlinApplication application(argc, argv);
    RunThroughWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "RunThroughWindowTest.moc"
