// Projects from templates through the main window, answered by a script:
// the whole flow from "no template yet" on, the copied rules and plugin
// settings, a cancel at every step, the template dialog's "Neu" and its OK
// without a selection (also on the real form), Enter in comboUrl, the
// clipboard's reaction modes and the window's own copies, viewing a copy
// (companion or stored page, the opener stubbed), and addresses from the
// command line and from a second start.
#include "app/ClipboardWatch.h"
#include "app/CommandLine.h"
#include "app/ProjectFromTemplate.h"
#include "app/ProjectViewer.h"
#include "app/QueueModel.h"
#include "app/UrlCandidate.h"
#include "app/dialogs/TargetDirForm.h"
#include "app/dialogs/TemplateForm.h"
#include "platform/FileSystem.h"
#include "platform/InterProcess.h"
#include "platform/Shell.h"
#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"
#include "tests/app/WindowFixture.h"
#include "ui/LogModel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

using namespace vorlin;
using namespace vorlin::app;
using vorlin::test::TWindowFixture;

namespace {

std::string ReadAll(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return "(missing)";
    return file.readAll().toStdString();
}

// Every file below the program's "Projects" directory with its bytes.
std::map<std::string, std::string> Snapshot(const TWindowFixture& f) {
    std::map<std::string, std::string> files;
    QDirIterator it(QString::fromStdString(f.Home.Home() + "Projects"), QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const std::string path = it.next().toStdString();
        files[path] = QFileInfo(QString::fromStdString(path)).isDir() ? "<dir>" : ReadAll(path);
    }
    return files;
}

std::unique_ptr<TDownloadProject> Loaded(const std::string& prj) {
    auto project = std::make_unique<TDownloadProject>();
    project->LoadFromFile(prj);
    return project;
}

// Records what the desktop would have opened.
struct TOpened {
    TOpened() {
        FOld = SetShellOpener([this](const std::string& path) {
            Paths.push_back(path);
            return true;
        });
    }
    ~TOpened() { SetShellOpener(FOld); }
    std::vector<std::string> Paths;
    TShellOpener FOld;
};

TTemplateChoice Choose(int row, int& out) {
    out = row;
    return TTemplateChoice::tcChosen;
}

} // namespace

class TemplateFlowTest : public QObject {
    Q_OBJECT
private slots:
    void FromNoTemplateToAProject();
    void TemplateFilesAndSettingsAreCarried();
    void CancelAtEveryStepChangesNothing();
    void NewInTheDialogAndOkWithoutSelection();
    void TheRealTemplateAndDirectoryForms();
    void EnterInComboUrl();
    void ClipboardModesAndOwnCopies();
    void UrlCandidates();
    void ViewingThroughCompanionOrFromDisk();
    void AddressesFromTheCommandLineAndASecondStart();
    void ABookmarkChosenBecomesAProjectFromATemplate();
};

void TemplateFlowTest::FromNoTemplateToAProject() {
    TWindowFixture f;
    THttpGetForm& w = f.Open();
    std::vector<std::string> optionsOpened;
    w.OnOpenProjectOptions = [&](TProjectNode* node) { optionsOpened.push_back(w.Tree().NodePath(node)); };
    const std::string target = f.Home.Home() + "copies";
    // The URL is asked, "No, not sure" offers it again, then yes.
    f.Dialogs.Inputs = {std::string(" http://example.invalid/site/ "), std::string("http://example.invalid/"),
                        std::string("Meine:Vorlage"), std::string("Site/One")};
    f.Dialogs.Answers = {TAnswer::anNo, TAnswer::anYes, TAnswer::anYes};
    f.Dialogs.OnChooseTemplate = [](const std::vector<std::string>& list, int& row) {
        return list.size() == 1 ? Choose(0, row) : TTemplateChoice::tcCancel;
    };
    f.Dialogs.Directories = {target};
    w.Actions().acNewProjFromTemplate->trigger();

    QCOMPARE(f.Dialogs.Questions, (std::vector<std::string>{
                                      "Sind sie sicher, daß die angegebene URL richtig ist?",
                                      "Sind sie sicher, daß die angegebene URL richtig ist?",
                                      "Es existiert noch keine Vorlage, wollen sie eine anlegen?"}));
    QCOMPARE(f.Dialogs.InputCaptions,
             (std::vector<std::string>{"URL festlegen|Bitte Adresse eingeben|",
                                       "URL festlegen|Bitte Adresse eingeben|http://example.invalid/site/",
                                       "Namen der Vorlage festlegen|Bitte Namen der Vorlage eingeben|Neue Vorlage",
                                       "Projektnamen festlegen|Bitte Projektnamen eingeben|Neues Projekt"}));
    // The template, cleaned with ",", preselected as the new default; its
    // options dialog came first.
    QCOMPARE(f.Dialogs.TemplateLists.front(), std::vector<std::string>{"Meine,Vorlage"});
    QCOMPARE(f.Dialogs.TemplatePreselected.front(), 0);
    QCOMPARE(optionsOpened, std::vector<std::string>{"/Templates/Meine,Vorlage"});
    QCOMPARE(f.Dialogs.DirectoryPresets, std::vector<std::string>{""});

    TProjectNode* node = f.Node("/Quick Projects/Site_One");
    QVERIFY(node);
    QCOMPARE(w.SelectedNode(), node);
    const auto stored = Loaded(f.Home.PathOf("/Quick Projects/Site_One") + ".prj");
    QCOMPARE(stored->URL, std::string("http://example.invalid/"));
    QCOMPARE(stored->Destination, target);
    QVERIFY(!stored->IsNew);
    QCOMPARE(w.Settings().DefaultTemplate, 0);
    QVERIFY(!w.Settings().AlwaysUseDefaultDir);
    QCOMPARE(f.Dialogs.Messages.size(), size_t(0));
    // cbUseStandardDir ticked: the directory chosen is the one always used
    // from then on, and asked no more.
    f.Dialogs.UseStandardDir = true;
    f.Dialogs.Directories = {target + "2"};
    f.Dialogs.Inputs = {std::string("Two")};
    f.Dialogs.OnChooseTemplate = [](const std::vector<std::string>&, int& row) { return Choose(0, row); };
    QVERIFY(w.CreateProjFromTemplate("http://example.invalid/2"));
    QVERIFY(w.Settings().AlwaysUseDefaultDir);
    QCOMPARE(w.Settings().DefaultDownloadDir, target + "2");
    f.Dialogs.Inputs = {std::string("Three")};
    QVERIFY(w.CreateProjFromTemplate("http://example.invalid/3"));
    QCOMPARE(f.Dialogs.DirectoryPresets.size(), size_t(2));
    QCOMPARE(Loaded(f.Home.PathOf("/Quick Projects/Three") + ".prj")->Destination, target + "2");
    QVERIFY(f.Close());
}

void TemplateFlowTest::TemplateFilesAndSettingsAreCarried() {
    TWindowFixture f;
    f.Home.WriteProject("/Templates/Alpha");
    f.Home.WriteProject("/Templates/beta");
    f.Home.WriteProject("/Projects/News/Old");
    {
        auto beta = Loaded(f.Home.PathOf("/Templates/beta") + ".prj");
        beta->UseMaxLevelCount = true;
        beta->MaxLevelCount = 3;
        beta->ScopeMode = smStayInDomain;
        beta->ExcludeList = {"*.zip"};
        beta->JavaScriptMode = jsDelete;
        beta->Manners.ObeyRobots = false;
        beta->Manners.WaitSeconds = 2.5;
        beta->Manners.SaveCookies = "/home/ann/cookies.txt";
        beta->SaveToFile(f.Home.PathOf("/Templates/beta") + ".prj");
    }
    const std::string rules("rules\0bytes\x01\xff", 14), plugins("plugin settings");
    f.Home.WriteFile(f.Home.PathOf("/Templates/beta") + ".prj.rules", rules);
    f.Home.WriteFile(f.Home.PathOf("/Templates/beta") + ".prj.plugins", plugins);
    // Left-overs of an old project of the name the user will type.
    f.Home.WriteFile(f.Home.PathOf("/Projects/News/Daily") + ".dat", "stale link data");
    THttpGetForm& w = f.Open();
    w.Settings().AlwaysUseDefaultDir = true;
    w.Settings().DefaultDownloadDir = f.Home.Home() + "standard";
    w.Settings().DefaultTemplate = 0;
    w.SelectNode(f.Node("/Projects/News/Old"));  // a project: its folder takes the new one
    w.UrlCombo()->setEditText("http://example.invalid/news/");
    f.Dialogs.OnChooseTemplate = [](const std::vector<std::string>& list, int& row) {
        // Sorted as the tree shows them, the default preselected.
        if (list != std::vector<std::string>{"Alpha", "beta"} || row != 0) return TTemplateChoice::tcCancel;
        return Choose(1, row);
    };
    f.Dialogs.Inputs = {std::string("Daily")};
    w.Actions().acNewProjFromTemplate->trigger();

    QVERIFY(f.Dialogs.Questions.empty());          // the URL came from comboUrl
    QVERIFY(f.Dialogs.DirectoryPresets.empty());   // the default directory is always used
    TProjectNode* node = f.Node("/Projects/News/Daily (2)");
    QVERIFY2(node, "a name whose files lie about is not reused");
    const std::string base = f.Home.PathOf("/Projects/News/Daily (2)");
    QCOMPARE(ReadAll(base + ".prj.rules"), rules);
    QCOMPARE(ReadAll(base + ".prj.plugins"), plugins);
    QVERIFY(!f.Home.Exists(base + ".dat"));
    const auto made = Loaded(base + ".prj");
    QVERIFY(made->UseMaxLevelCount);
    QCOMPARE(made->MaxLevelCount, 3);
    QCOMPARE(made->ScopeMode, smStayInDomain);
    QCOMPARE(made->ExcludeList, std::vector<std::string>{"*.zip"});
    QCOMPARE(made->JavaScriptMode, jsInterpret);  // left at the new project's value
    // The manners live beside the project file, and come along.
    QVERIFY(f.Home.Exists(base + ".prj.manners"));
    QVERIFY(!made->Manners.ObeyRobots);
    QCOMPARE(made->Manners.WaitSeconds, 2.5);
    QCOMPARE(made->Manners.SaveCookies, std::string("/home/ann/cookies.txt"));
    QCOMPARE(made->URL, std::string("http://example.invalid/news/"));
    QCOMPARE(made->Destination, f.Home.Home() + "standard");
    QCOMPARE(w.Settings().DefaultTemplate, 1);

    // Where projects from templates go.
    TProjectFromTemplate rulesOf(w.Tree(), f.Dialogs, w.Settings());
    QCOMPARE(rulesOf.TargetFolder(nullptr), w.Tree().QuickProjects());
    QCOMPARE(rulesOf.TargetFolder(w.Tree().Templates()), w.Tree().QuickProjects());
    QCOMPARE(rulesOf.TargetFolder(f.Node("/Templates/Alpha")), w.Tree().QuickProjects());
    QCOMPARE(rulesOf.TargetFolder(f.Node("/Projects/News")), f.Node("/Projects/News"));
    QCOMPARE(rulesOf.TargetFolder(w.Tree().Projects()), w.Tree().Projects());
    QVERIFY(f.Close());
}

void TemplateFlowTest::CancelAtEveryStepChangesNothing() {
    TWindowFixture f;
    f.Home.WriteProject("/Templates/Only");
    THttpGetForm& w = f.Open();
    w.Settings().DefaultDownloadDir = "/somewhere";
    const auto before = Snapshot(f);
    const TProgramSettings settings = w.Settings();
    auto chooseFirst = [](const std::vector<std::string>&, int& row) { return Choose(0, row); };
    struct TStep {
        const char* Name;
        std::function<void()> Script;
    };
    using O = std::optional<std::string>;
    const std::vector<TStep> steps = {
        {"the URL", [&] { f.Dialogs.Inputs = {O()}; }},
        {"the URL offered again", [&] {
             f.Dialogs.Inputs = {O("http://a.invalid/"), O()};
             f.Dialogs.Answers = {TAnswer::anNo};
         }},
        {"the template dialog", [&] { f.Dialogs.Inputs = {O("http://a.invalid/")}; }},
        {"the directory", [&] {
             f.Dialogs.Inputs = {O("http://a.invalid/")};
             f.Dialogs.OnChooseTemplate = chooseFirst;
             f.Dialogs.UseStandardDir = true;  // ticked, then cancelled: no setting changes
         }},
        {"the name", [&] {
             f.Dialogs.Inputs = {O("http://a.invalid/"), O()};
             f.Dialogs.OnChooseTemplate = chooseFirst;
             f.Dialogs.Directories = {O("/elsewhere")};
             f.Dialogs.UseStandardDir = true;
         }},
    };
    for (const TStep& step : steps) {
        f.Dialogs.Inputs.clear();
        f.Dialogs.Answers.clear();
        f.Dialogs.Directories.clear();
        f.Dialogs.OnChooseTemplate = nullptr;
        f.Dialogs.UseStandardDir = false;
        step.Script();
        QVERIFY2(!w.CreateProjFromTemplate(""), step.Name);
        QVERIFY2(Snapshot(f) == before, step.Name);
        QVERIFY2(f.Node("/Quick Projects")->Children.empty(), step.Name);
        QCOMPARE(w.Settings().DefaultTemplate, settings.DefaultTemplate);
        QCOMPARE(w.Settings().DefaultDownloadDir, settings.DefaultDownloadDir);
        QVERIFY2(!w.Settings().AlwaysUseDefaultDir, step.Name);
    }

    // No template yet: No ends; Yes and then no name ends too.
    TWindowFixture empty;
    THttpGetForm& e = empty.Open();
    const auto none = Snapshot(empty);
    empty.Dialogs.Answers = {TAnswer::anNo};
    QVERIFY(!e.CreateProjFromTemplate("http://a.invalid/"));
    empty.Dialogs.Answers = {TAnswer::anYes};
    empty.Dialogs.Inputs = {O()};
    QVERIFY(!e.CreateProjFromTemplate("http://a.invalid/"));
    QVERIFY(Snapshot(empty) == none);
    QVERIFY(empty.Node("/Templates")->Children.empty());
}

void TemplateFlowTest::NewInTheDialogAndOkWithoutSelection() {
    TWindowFixture f;
    f.Home.WriteProject("/Templates/Zeta");
    THttpGetForm& w = f.Open();
    w.Settings().AlwaysUseDefaultDir = true;
    w.Settings().DefaultDownloadDir = f.Home.Home() + "standard";
    int calls = 0;
    f.Dialogs.OnChooseTemplate = [&](const std::vector<std::string>& list, int& row) {
        switch (++calls) {
        case 1: return TTemplateChoice::tcNew;
        case 2: return TTemplateChoice::tcNew;  // its name is cancelled: the dialog comes again
        case 3: return Choose(-1, row);         // OK without a selection
        default: return list.size() == 2 ? Choose(row, row) : TTemplateChoice::tcCancel;
        }
    };
    using O = std::optional<std::string>;
    f.Dialogs.Inputs = {O("Alpha"), O(), O("Made")};
    TProjectNode* node = w.CreateProjFromTemplate("http://a.invalid/");
    QVERIFY(node);
    QCOMPARE(calls, 4);
    QCOMPARE(f.Dialogs.TemplateLists[1], (std::vector<std::string>{"Alpha", "Zeta"}));
    // The new template is the default from then on.
    QCOMPARE(f.Dialogs.TemplatePreselected[1], 0);
    QCOMPARE(f.Dialogs.Messages, std::vector<std::string>{"Select a Template first!"});
    QCOMPARE(w.Tree().NodePath(node), std::string("/Quick Projects/Made"));
    QCOMPARE(w.Settings().DefaultTemplate, 0);
}

void TemplateFlowTest::TheRealTemplateAndDirectoryForms() {
    TTemplateForm form({"Alpha", "Beta"}, 5, nullptr);
    QStringList messages;
    form.ShowMessage = [&](const QString& text) { messages << text; };
    QCOMPARE(form.windowTitle(), QString("Vorlageneinstellungen "));
    QCOMPARE(form.SelectedRow(), -1);  // an out-of-range default selects nothing
    // OK without a selection: the message, and the dialog stays.
    int row = -1;
    QTimer::singleShot(0, &form, [&] {
        form.findChild<QPushButton*>("btOK")->click();
        QVERIFY(form.isVisible());
        form.List()->setCurrentRow(1);
        form.findChild<QPushButton*>("btOK")->click();
    });
    QCOMPARE(form.Choose(row), TTemplateChoice::tcChosen);
    QCOMPARE(row, 1);
    QCOMPARE(messages, QStringList{"Select a Template first!"});
    QTimer::singleShot(0, &form, [&] { form.NewButton()->click(); });
    QCOMPARE(form.Choose(row), TTemplateChoice::tcNew);
    QTimer::singleShot(0, &form, [&] { form.reject(); });
    QCOMPARE(form.Choose(row), TTemplateChoice::tcCancel);
    TTemplateForm preselected({"Alpha", "Beta"}, 1, nullptr);
    QCOMPARE(preselected.SelectedRow(), 1);

    TTargetDirForm directory("", false, nullptr);
    auto* ok = directory.findChild<QPushButton*>("btOK");
    QVERIFY(!ok->isEnabled());  // no target, no OK
    directory.Edit()->setText("/tmp/a/../b/");
    QVERIFY(ok->isEnabled());
    QCOMPARE(directory.Directory(), QString("/tmp/b"));
    QCOMPARE(directory.UseStandardDirBox()->objectName(), QString("cbUseStandardDir"));
    QVERIFY(!directory.UseStandardDir());
}

void TemplateFlowTest::EnterInComboUrl() {
    TWindowFixture f;
    f.Home.WriteProject("/Projects/Known", "http://known.invalid/");
    f.Home.WriteProject("/Templates/Known", "http://template.invalid/");
    THttpGetForm& w = f.Open();
    w.Actions().acQueueStopped->setChecked(true);
    auto enter = [&](const QString& text) {
        w.UrlCombo()->setEditText(text);
        QTest::keyClick(w.UrlCombo()->lineEdit(), Qt::Key_Return);
    };
    // A known URL: the question; No leaves it.
    f.Dialogs.Answers = {TAnswer::anNo};
    enter("http://known.invalid/");
    QCOMPARE(f.Dialogs.Questions.back(),
             std::string("Die angegebene URL existiert bereits, wollen sie das zugehörige Projekt starten?"));
    QCOMPARE(w.Queue().Count(), 0);
    QVERIFY(f.Dialogs.TemplateLists.empty());
    // Yes selects and enqueues it.
    f.Dialogs.Answers = {TAnswer::anYes};
    enter("http://known.invalid/");
    QCOMPARE(w.Queue().Count(), 1);
    QCOMPARE(w.SelectedNode(), f.Node("/Projects/Known"));
    // A template's URL is no project's: the template flow, here cancelled.
    const size_t questions = f.Dialogs.Questions.size();
    enter("http://template.invalid/");
    QCOMPARE(f.Dialogs.Questions.size(), questions);
    QCOMPARE(f.Dialogs.TemplateLists.size(), size_t(1));
    // The texts went into the list, the edit is empty.
    QCOMPARE(w.UrlCombo()->count(), 2);
    QCOMPARE(w.UrlCombo()->currentText(), QString());
}

void TemplateFlowTest::ClipboardModesAndOwnCopies() {
    TWindowFixture f;
    f.Home.WriteProject("/Templates/T");
    THttpGetForm& w = f.Open();
    w.Settings().AlwaysUseDefaultDir = true;
    w.Settings().DefaultDownloadDir = f.Home.Home() + "standard";
    std::vector<std::string> optionsOpened;
    w.OnOpenProjectOptions = [&](TProjectNode* node) { optionsOpened.push_back(w.Tree().NodePath(node)); };
    QClipboard* clipboard = QApplication::clipboard();
    TProjectNode* quick = f.Node("/Quick Projects");
    // On by default (a fresh installation), and the action is the setting.
    QVERIFY(w.Actions().acMonitorClipboard->isChecked());
    w.Actions().acMonitorClipboard->trigger();
    QVERIFY(!w.Settings().ClipboardEnabled);
    clipboard->setText("http://off.invalid/");
    QCOMPARE(quick->Children.size(), size_t(0));
    w.Actions().acMonitorClipboard->trigger();
    QVERIFY(w.Settings().ClipboardEnabled);

    // Mode 1: a project from a template; "HTTP://" in capitals counts.
    w.Settings().ClipboardType = 1;
    f.Dialogs.OnChooseTemplate = [](const std::vector<std::string>&, int& row) { return Choose(0, row); };
    f.Dialogs.Inputs = {std::string("FromTemplate")};
    clipboard->setText("HTTP://Upper.invalid/a");
    QCOMPARE(quick->Children.size(), size_t(1));
    QCOMPARE(f.Node("/Quick Projects/FromTemplate")->Project->URL, std::string("HTTP://Upper.invalid/a"));
    // https is an address too: the engine fetches it.
    f.Dialogs.Inputs = {std::string("Secure")};
    clipboard->setText("https://secure.invalid/");
    QVERIFY(f.Node("/Quick Projects/Secure"));

    // Mode 2: a new project named after the address, then its options.
    w.Settings().ClipboardType = 2;
    w.SelectNode(nullptr);
    clipboard->setText("  http://new.invalid/x?y=1\n");
    TProjectNode* made = f.Node("/Quick Projects/http___new.invalid_x_y=1");
    QVERIFY(made);
    QCOMPARE(made->Project->URL, std::string("http://new.invalid/x?y=1"));
    QCOMPARE(optionsOpened, std::vector<std::string>{"/Quick Projects/http___new.invalid_x_y=1"});
    QCOMPARE(w.SelectedNode(), made);

    // Mode 0: made silently, in the default directory, no question.
    w.Settings().ClipboardType = 0;
    const size_t asked = f.Dialogs.InputCaptions.size() + f.Dialogs.TemplateLists.size();
    clipboard->setText("http://silent.invalid/");
    TProjectNode* silent = f.Node("/Quick Projects/http___silent.invalid_");
    QVERIFY(silent);
    QCOMPARE(Loaded(w.Tree().BasePath(silent) + ".prj")->Destination, f.Home.Home() + "standard");
    QCOMPARE(f.Dialogs.InputCaptions.size() + f.Dialogs.TemplateLists.size(), asked);
    QCOMPARE(optionsOpened.size(), size_t(1));

    // No address: another scheme, several lines, a bare scheme.
    const size_t count = quick->Children.size();
    for (const char* text : {"ftp://files.invalid/", "http://a.invalid/\nhttp://b.invalid/", "http://", "see http://x/"})
        clipboard->setText(text);
    // The window's own copies: the log's lines and the copy actions.
    w.RunLog("http://from-the-log.invalid/");
    w.LogView()->selectAll();
    w.Actions().acCopy->trigger();
    QCOMPARE(clipboard->text(), QString("http://from-the-log.invalid/"));
    w.ClipboardWatch().CopyOwn("http://own.invalid/");
    QCOMPARE(quick->Children.size(), count);
    // The same text copied by someone else after another copy is the user's.
    clipboard->setText("http://other.invalid/");
    QCOMPARE(quick->Children.size(), count + 1);
    QVERIFY(f.Close());
}

void TemplateFlowTest::UrlCandidates() {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"http://a.invalid/", "http://a.invalid/"},
        {"HTTP://A.invalid/", "HTTP://A.invalid/"},
        {"HtTpS://a.invalid/p?q#f", "HtTpS://a.invalid/p?q#f"},
        {"\r\n\t http://a.invalid/ \n", "http://a.invalid/"},
        {"https://", std::nullopt},
        {"ftp://a.invalid/", std::nullopt},
        {"javascript:alert(1)", std::nullopt},
        {"http://a.invalid/ b", std::nullopt},
        {"http://a.invalid/\x7f", std::nullopt},
        {std::string("http://a.invalid/\0x", 19), std::nullopt},
        {"http://" + std::string(kMaxUrlCandidate, 'a'), std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : cases) QCOMPARE(UrlCandidate(text), expected);
}

void TemplateFlowTest::ViewingThroughCompanionOrFromDisk() {
    TWindowFixture f;
    const std::string copy = f.Home.Home() + "copy/";
    f.Home.WriteProject("/Projects/My Site", "http://example.invalid/", copy);
    f.Home.WriteProject("/Projects/Empty", "http://example.invalid/", copy);
    f.Home.WriteProject("/Templates/T");
    // The link data of a finished run: an image first, then the start page
    // (whose file is there), a page that was never stored->
    {
        TDownloadProject project;
        project.Destination = copy;
        auto link = [&](const std::string& path, const char* type, TLinkState state) {
            auto* made = new TDownloadLink(&project);
            made->SetServer("http://example.invalid/");
            made->Path = path;
            made->LocalFileName = path;
            made->MimeType = type;
            made->State = state;
            project.Links->Add(made);
        };
        link("pic.png", "image/png", lsDownloaded);
        link("gone.html", "text/html", lsDownloaded);
        link("index.html", "text/html; charset=utf-8", lsDownloaded);
        link("later.html", "text/html", lsPending);
        project.Links->SaveToFile(f.Home.PathOf("/Projects/My Site") + ".dat");
        f.Home.WriteFile(copy + "example.invalid/pic.png");
        f.Home.WriteFile(copy + "example.invalid/index.html", "<html></html>");
        f.Home.WriteFile(copy + "example.invalid/later.html", "<html></html>");
    }
    THttpGetForm& w = f.Open();
    const QTemporaryDir companionDir;
    w.Viewer().CompanionDirectory = companionDir.path().toStdString();
    std::vector<std::vector<std::string>> started;
    w.Viewer().StartProgram = [&](const std::string& program, const std::vector<std::string>& arguments) {
        std::vector<std::string> call{program};
        call.insert(call.end(), arguments.begin(), arguments.end());
        started.push_back(call);
        return true;
    };
    TOpened opened;
    // Enabled for projects only; the hint tells the way.
    w.SelectNode(f.Node("/Templates/T"));
    QVERIFY(!w.Actions().acOpenInBrowser->isEnabled());
    w.SelectNode(f.Node("/Projects/My Site"));
    QVERIFY(w.Actions().acOpenInBrowser->isEnabled());

    // Without the companion: the first stored page from disk.
    w.Actions().acOpenInBrowser->trigger();
    QCOMPARE(opened.Paths, std::vector<std::string>{copy + "example.invalid/index.html"});
    QVERIFY(started.empty());
    QCOMPARE(w.Actions().acOpenInBrowser->toolTip(), QString("Öffnet die erste gespeicherte Seite der Kopie im Browser"));
    QCOMPARE(w.StatusText(0), "Ansicht der gespeicherten Seite: " + copy + "example.invalid/index.html");

    // With it: started, then its "/view" address of the node.
    const std::string companion = companionDir.path().toStdString() + "/webserv";
    f.Home.WriteFile(companion, "#!/bin/sh\n");
    QFile::setPermissions(QString::fromStdString(companion), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    w.Actions().acOpenInBrowser->trigger();
    QCOMPARE(started.size(), size_t(1));
    QCOMPARE(started[0], (std::vector<std::string>{companion, "--home", f.Home.Home(), "--root", kViewerRoot}));
    QCOMPARE(opened.Paths.back(), std::string(kViewerRoot) + "/view/Projects/My%20Site,/");
    QCOMPARE(w.Actions().acOpenInBrowser->toolTip(), QString("Zeigt die Kopie über den Web-Server (webserv) im Browser"));
    // A companion that does not start: the file after all.
    w.Viewer().StartProgram = [](const std::string&, const std::vector<std::string>&) { return false; };
    w.Actions().acOpenInBrowser->trigger();
    QCOMPARE(opened.Paths.back(), copy + "example.invalid/index.html");

    // Nothing stored yet: said so, nothing opened.
    QFile::remove(QString::fromStdString(companion));
    const size_t count = opened.Paths.size();
    w.SelectNode(f.Node("/Projects/Empty"));
    w.Actions().acOpenInBrowser->trigger();
    QCOMPARE(opened.Paths.size(), count);
    QCOMPARE(f.Dialogs.Messages.back(), std::string("Von diesem Projekt ist noch keine Seite gespeichert."));
    // A damaged link data file: its error, nothing opened.
    f.Home.WriteFile(f.Home.PathOf("/Projects/Empty") + ".dat", "no link data");
    w.Actions().acOpenInBrowser->trigger();
    QCOMPARE(opened.Paths.size(), count);
    QVERIFY(f.Dialogs.Messages.back() != "Von diesem Projekt ist noch keine Seite gespeichert.");
}

void TemplateFlowTest::AddressesFromTheCommandLineAndASecondStart() {
    const TCommandLine line = ParseCommandLine(
        {"HTTPVorlin", "afterupdate", "/DOCKING", "--home", "/h", "file:///etc/passwd", "https://a.invalid/", "http://b.invalid/"});
    QVERIFY(line.AfterUpdate);
    QVERIFY(line.Docking);
    QCOMPARE(line.Home, std::string("/h"));
    QCOMPARE(line.Url, std::string("https://a.invalid/"));
    QCOMPARE(line.Ignored, (std::vector<std::string>{"file:///etc/passwd", "http://b.invalid/"}));
    QVERIFY(!ParseCommandLine({"HTTPVorlin", "/docking", "afterupdate"}).AfterUpdate);

    TWindowFixture f;
    f.Home.WriteProject("/Templates/T");
    SetInterProcessDirectoryForTests(f.Home.Home() + "ipc");
    QVERIFY(!HandUrlToRunningWindow("http://nobody.invalid/"));  // no window yet
    THttpGetForm& w = f.Open();
    w.Settings().AlwaysUseDefaultDir = true;
    w.Settings().DefaultDownloadDir = f.Home.Home() + "standard";
    f.Dialogs.OnChooseTemplate = [](const std::vector<std::string>&, int& row) { return Choose(0, row); };
    f.Dialogs.Inputs = {std::string("Handed")};
    // Clipboard watching plays no part: off.
    w.Actions().acMonitorClipboard->setChecked(false);
    QVERIFY(HandUrlToRunningWindow("http://handed.invalid/"));
    QTRY_VERIFY(f.Node("/Quick Projects/Handed"));
    QCOMPARE(f.Node("/Quick Projects/Handed")->Project->URL, std::string("http://handed.invalid/"));
    // What is no address makes nothing, even from another program.
    TCopyData junk;
    junk.Tag = kUrlHandOverTag;
    const std::string text = "rm -rf /";
    junk.Bytes.assign(text.begin(), text.end());
    QVERIFY(SendCopyData(FindWindowByClass("THttpGetForm"), 0, junk));
    QTest::qWait(50);
    QCOMPARE(f.Node("/Quick Projects")->Children.size(), size_t(1));
    QVERIFY(f.Dialogs.Messages.empty());
    // The address given to a new program's window.
    f.Dialogs.Inputs = {std::string("Direct")};
    w.OpenUrl("http://direct.invalid/");
    QVERIFY(f.Node("/Quick Projects/Direct"));
}

void TemplateFlowTest::ABookmarkChosenBecomesAProjectFromATemplate() {
    TWindowFixture f;
    f.Home.WriteProject("/Projects/Known", "http://known.invalid/");
    f.Home.WriteProject("/Templates/Deep", "http://template.invalid/");
    THttpGetForm& w = f.Open();
    TOpened opened;
    // A bookmark of a known project: the question; No changes nothing.
    const auto before = Snapshot(f);
    f.Dialogs.Answers = {TAnswer::anNo};
    w.FavoritesClick("Known site", "http://known.invalid/");
    QCOMPARE(f.Dialogs.Questions.back(),
             std::string("Ein Projekt mit dieser URL existiert bereits, wollen sie es im Browser starten?"));
    QVERIFY(f.Dialogs.TemplateLists.empty());
    QCOMPARE(Snapshot(f), before);
    // A new address: the template is chosen, the directory asked, and the
    // caption names the project without a question.
    const std::string target = f.Home.Home() + "docs";
    f.Dialogs.OnChooseTemplate = [](const std::vector<std::string>& list, int& row) {
        return list == std::vector<std::string>{"Deep"} ? Choose(0, row) : TTemplateChoice::tcCancel;
    };
    f.Dialogs.Directories = {target};
    const size_t inputs = f.Dialogs.InputCaptions.size();
    w.FavoritesClick("Python: Docs", "http://docs.invalid/3/");
    QCOMPARE(f.Dialogs.InputCaptions.size(), inputs);
    TProjectNode* node = f.Node("/Quick Projects/Python_ Docs");
    QVERIFY(node);
    QCOMPARE(w.SelectedNode(), node);
    const auto stored = Loaded(f.Home.PathOf("/Quick Projects/Python_ Docs") + ".prj");
    QCOMPARE(stored->URL, std::string("http://docs.invalid/3/"));
    QCOMPARE(stored->Destination, target);
    // Cancelled at the template: no project.
    const auto made = Snapshot(f);
    f.Dialogs.OnChooseTemplate = [](const std::vector<std::string>&, int&) { return TTemplateChoice::tcCancel; };
    w.FavoritesClick("Other", "http://other.invalid/");
    QCOMPARE(Snapshot(f), made);
    QVERIFY(opened.Paths.empty());
    QVERIFY(f.Close());
}

QTEST_MAIN(TemplateFlowTest)
#include "TemplateFlowTest.moc"
