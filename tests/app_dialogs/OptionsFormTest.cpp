// The project options dialog: the initial states of a new project and what
// OK makes of them, every field there and back, the dependent controls,
// the URL-change warning, templates, Cancel, the rule list and its file,
// and the plugin page with the shipped style-sheet plugin.
#include "app/dialogs/OptionsForm.h"
#include "app/dialogs/OptionsPluginsPage.h"
#include "app/dialogs/OptionsRulesPage.h"
#include "app/dialogs/OptionsTexts.h"
#include "app/dialogs/rules/QtRuleEditor.h"
#include "platform/FileSystem.h"
#include "rules/HTTPVorlinRules.h"
#include "rules/MaskConditions.h"
#include "rules/PluginOptionsPage.h"
#include "rules/PluginSystem.h"
#include "tests/app_dialogs/OptionsTestSupport.h"
#include "ui/TreeConfig.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace vorlin;
using namespace vorlin::app;
using namespace vorlin::test;

namespace {

bool Checked(QWidget& form, const char* name) { return Control<QAbstractButton>(form, name)->isChecked(); }

// Every field away from its default; the run's fields are not the dialog's.
void ChangeEverything(TDownloadProject& p) {
    p.UseMaxFileSize = p.UseMinFileSize = p.UseMaxFileCount = true;
    p.UseMinDriveSpace = p.UseMaxLevelCount = p.UseMaxProjSize = true;
    p.DownloadBckgrds = false;
    p.FollowExternalLinks = p.UseMaxExternalLevelCount = true;
    p.FollowExternalImages = false;
    p.UseAutentfication = p.ResetOnProjStart = true;
    p.MirroringChangeQ = "_";
    p.URL = "http://example.org/start/";
    p.Destination = "/copies/example";
    p.MaxFileSize = 32767;
    p.MinFileSize = 100;
    p.MaxExternalLevelCount = 7;
    p.MaxFileCount = 500;
    p.MinDriveSpace = 20000;
    p.MaxLevelCount = 3;
    p.MaxProjSize = 12345;
    p.ExcludeList = {"mp3", ".iso", "tar.gz"};
    p.ProjectMode = pmMirror;
    p.InvalidCharMode = icComma;
    p.ScopeMode = smStayInDomain;
    p.JavaScriptMode = jsDelete;
    p.UserName = "ann";
    p.Password = " pass word ";
    p.IsNew = false;
}

std::string Bytes(const TDownloadProject& project, const std::string& file) {
    project.SaveToFile(file);
    return FileBytes(file);
}

} // namespace

class OptionsFormTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void NewProjectShowsTheInitialStatesAndKeepsThemAfterOk();
    void EveryFieldThereAndBack();
    void DependentControlsFollowTheirSwitch();
    void ExcludeListEntries();
    void UrlChangeOfADownloadedProjectAsksFirst();
    void TemplateHasNoUrlOrTargetFields();
    void CancelTouchesNothing();
    void RulesPageAddsEditsAndDeletes();
    void UnreadableRulesFileIsLeftAlone();
    void PluginStatesAreStoredAfterCancelToo();
    void CssPluginIsConfiguredInItsOwnDialog();

private:
    TOptionsFormContext Context() const;
    std::unique_ptr<QTemporaryDir> FDir;
    std::string FBase;
    TScriptedRuleEditor FEditor;
    std::unique_ptr<TRuleEditorInstallation> FInstalled;
};

void OptionsFormTest::init() {
    FDir = std::make_unique<QTemporaryDir>();
    FBase = FDir->path().toStdString() + "/Projects/Site";
    ForceDirectories(ExtractFilePath(FBase));
    FEditor = TScriptedRuleEditor();
    FInstalled = std::make_unique<TRuleEditorInstallation>(FEditor);
}

void OptionsFormTest::cleanup() {
    FInstalled.reset();
    FDir.reset();
}

TOptionsFormContext OptionsFormTest::Context() const {
    TOptionsFormContext context;
    context.ProjectFile = FBase + ".prj";
    return context;
}

void OptionsFormTest::NewProjectShowsTheInitialStatesAndKeepsThemAfterOk() {
    TDownloadProject project;  // its own defaults differ from the dialog's
    TOptionsFormContext context = Context();
    context.URLText = "http://typed.example/";
    TOptionsForm form(project, context);
    QCOMPARE(form.windowTitle(), QString("Eigenschaften"));
    QVERIFY(Checked(form, "rbOfflineBrowse"));
    QVERIFY(Checked(form, "rbReplace"));
    QVERIFY(Control<QLineEdit>(form, "edMirroringChangeQ")->text().isEmpty());
    QVERIFY(Checked(form, "rbStayInDirectory"));
    QVERIFY(Checked(form, "rbJsInterpret"));
    QVERIFY(Checked(form, "cbDownloadBckgrds"));
    QVERIFY(Checked(form, "cbFollowExternalImages"));
    QVERIFY(!Checked(form, "cbUseAutentfication"));
    QVERIFY(!Checked(form, "cbUseMaxFileSize"));
    auto* exclude = Control<QListWidget>(form, "ExcludeList");
    QCOMPARE(exclude->count(), 2);
    QCOMPARE(exclude->item(0)->text(), QString("zip"));
    QCOMPARE(exclude->item(1)->text(), QString(".exe"));
    QCOMPARE(Control<QLineEdit>(form, "edURL")->text(), QString("http://typed.example/"));

    Press(form, "btOK");
    QCOMPARE(form.result(), int(QDialog::Accepted));
    form.Close();
    QVERIFY(!project.IsNew);
    QCOMPARE(project.ProjectMode, pmOfflineBrowse);
    QCOMPARE(project.InvalidCharMode, icReplace);
    QCOMPARE(project.ScopeMode, smStayInDirectory);
    QCOMPARE(project.JavaScriptMode, jsInterpret);
    QVERIFY(project.DownloadBckgrds && project.FollowExternalImages);
    QVERIFY(!project.UseAutentfication && !project.UseMaxFileSize && !project.UseMaxProjSize);
    QCOMPARE(project.ExcludeList, (std::vector<std::string>{"zip", ".exe"}));
    QCOMPARE(project.URL, std::string("http://typed.example/"));
    // OK writes the (empty) rule list.
    QVERIFY(FileExists(FBase + ".prj.rules"));

    // Shown again, the project is no longer new: its own values show.
    project.ExcludeList = {"pdf"};
    TOptionsForm again(project, Context());
    QCOMPARE(Control<QListWidget>(again, "ExcludeList")->count(), 1);
}

void OptionsFormTest::EveryFieldThereAndBack() {
    TDownloadProject project;
    ChangeEverything(project);
    const std::string before = Bytes(project, FBase + ".before");
    TOptionsForm form(project, Context());
    // icComma has no button of its own.
    QVERIFY(Checked(form, "rbMirror"));
    QVERIFY(!Checked(form, "rbDontFollow") && !Checked(form, "rbReplace"));
    QCOMPARE(Control<QSpinBox>(form, "seMinFileSize")->value(), 100);
    QCOMPARE(Control<QLineEdit>(form, "edPassword")->text(), QString(" pass word "));
    // The ranges of the spin controls.
    QCOMPARE(Control<QSpinBox>(form, "seMaxFileSize")->maximum(), 32767);
    QCOMPARE(Control<QSpinBox>(form, "seMaxProjSize")->maximum(), 32767);
    QCOMPARE(Control<QSpinBox>(form, "seMinFileSize")->maximum(), 100);
    QCOMPARE(Control<QSpinBox>(form, "seMaxExternalLevelCount")->maximum(), 100);
    for (const char* name : {"seMaxFileSize", "seMinFileSize", "seMaxFileCount", "seMinDriveSpace",
                             "seMaxLevelCount", "seMaxProjSize", "seMaxExternalLevelCount"})
        QCOMPARE(Control<QSpinBox>(form, name)->minimum(), 0);
    Press(form, "btOK");
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(Bytes(project, FBase + ".after"), before);

    // A stored value beyond a control's range comes back as the range's end.
    project.MinFileSize = 5000;
    TOptionsForm clamped(project, Context());
    Press(clamped, "btOK");
    QCOMPARE(project.MinFileSize, 100);
}

void OptionsFormTest::DependentControlsFollowTheirSwitch() {
    TDownloadProject project;
    TOptionsForm form(project, Context());
    auto enabled = [&](const char* name) { return Control<QWidget>(form, name)->isEnabled(); };
    for (const char* name : {"rbDontFollow", "rbReplace", "edMirroringChangeQ", "cbUseMaxExternalLevelCount",
                             "seMaxExternalLevelCount", "edUserName", "edPassword", "lbUserName", "lbPassword"})
        QVERIFY2(!enabled(name), name);
    Control<QRadioButton>(form, "rbMirror")->setChecked(true);
    Control<QCheckBox>(form, "cbFollowExternalLinks")->setChecked(true);
    Control<QCheckBox>(form, "cbUseAutentfication")->setChecked(true);
    for (const char* name : {"rbDontFollow", "rbReplace", "edMirroringChangeQ", "cbUseMaxExternalLevelCount",
                             "seMaxExternalLevelCount", "edUserName", "edPassword", "lbUserName", "lbPassword"})
        QVERIFY2(enabled(name), name);
    Control<QRadioButton>(form, "rbHalfAutomatic")->setChecked(true);
    QVERIFY(!enabled("rbReplace"));
    QCOMPARE(Control<QRadioButton>(form, "rbHalfAutomatic")->toolTip(),
             QString("Sie werden nach jeder HTML-Seite gefragt, welche Objekte geladen werden sollen"));
    Press(form, "btOK");
    QCOMPARE(project.ProjectMode, pmHalfAutomatic);
    QVERIFY(project.FollowExternalLinks && project.UseAutentfication);
}

void OptionsFormTest::ExcludeListEntries() {
    TDownloadProject project;
    TOptionsForm form(project, Context());
    form.Pages()->ShowPage(form.Page(tgFileExtensions));
    form.show();
    auto* edit = Control<QLineEdit>(form, "edExclude");
    auto* list = Control<QListWidget>(form, "ExcludeList");
    auto* remove = Control<QPushButton>(form, "btExcludeRemove");
    QVERIFY(!remove->isEnabled());
    edit->setText("  ");
    Press(form, "btExcludeAdd");
    QCOMPARE(list->count(), 2);  // nothing to add
    edit->setText("mp4");
    Press(form, "btExcludeAdd");
    QCOMPARE(list->count(), 3);
    QVERIFY(edit->text().isEmpty());
    QTRY_VERIFY(edit->hasFocus());
    list->setCurrentRow(0);
    QVERIFY(remove->isEnabled());
    Press(form, "btExcludeRemove");
    Press(form, "btOK");
    QCOMPARE(project.ExcludeList, (std::vector<std::string>{".exe", "mp4"}));
}

void OptionsFormTest::UrlChangeOfADownloadedProjectAsksFirst() {
    TDownloadProject project;
    project.URL = "http://old.example/";
    project.IsNew = false;
    int asked = 0;
    bool goOn = false;
    auto ask = [&](const std::string& warning) {
        ++asked;
        if (warning.find("Projekt Daten zurücksetzen") == std::string::npos) qFatal("wrong warning");
        return goOn;
    };
    {
        // Without link data the change is taken silently.
        TOptionsForm form(project, Context());
        form.ConfirmURLChange = ask;
        Control<QLineEdit>(form, "edURL")->setText("http://new.example/");
        Press(form, "btOK");
        QCOMPARE(asked, 0);
        QCOMPARE(project.URL, std::string("http://new.example/"));
    }
    WriteBytes(FBase + ".dat", "links");
    TOptionsForm form(project, Context());
    form.ConfirmURLChange = ask;
    form.show();
    Control<QLineEdit>(form, "edURL")->setText("http://third.example/");
    Control<QRadioButton>(form, "rbStayOnServer")->setChecked(true);
    Press(form, "btOK");
    // Cancel keeps the dialog open with the user's entries, the project untouched.
    QCOMPARE(asked, 1);
    QVERIFY(form.isVisible());
    QCOMPARE(project.URL, std::string("http://new.example/"));
    QCOMPARE(Control<QLineEdit>(form, "edURL")->text(), QString("http://third.example/"));
    goOn = true;
    Press(form, "btOK");
    QCOMPARE(asked, 2);
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(project.URL, std::string("http://third.example/"));
    QCOMPARE(project.ScopeMode, smStayOnServer);
}

void OptionsFormTest::TemplateHasNoUrlOrTargetFields() {
    TDownloadProject project;
    TOptionsFormContext context = Context();
    context.IsTemplate = true;
    TOptionsForm form(project, context);
    form.Pages()->ShowPage(form.Page(tgStartData));
    form.show();
    for (const char* name : {"edURL", "lbURL", "edDestination", "lbDestination"})
        QVERIFY2(!Control<QWidget>(form, name)->isVisible(), name);
    QVERIFY(Control<QWidget>(form, "cbUseAutentfication")->isVisible());
}

void OptionsFormTest::CancelTouchesNothing() {
    TDownloadProject project;
    ChangeEverything(project);
    const std::string before = Bytes(project, FBase + ".before");
    FEditor.OnRule = [](THTTPVorlinRule&) { return true; };
    TOptionsForm form(project, Context());
    Control<QRadioButton>(form, "rbOfflineBrowse")->setChecked(true);
    Control<QLineEdit>(form, "edURL")->setText("http://elsewhere/");
    form.RulesPage()->AddRule();
    QCOMPARE(form.Rules().Count(), 1);
    Press(form, "btCancel");
    QCOMPARE(form.result(), int(QDialog::Rejected));
    form.Close();
    QCOMPARE(Bytes(project, FBase + ".after"), before);
    QVERIFY(!FileExists(FBase + ".prj.rules"));
}

void OptionsFormTest::RulesPageAddsEditsAndDeletes() {
    TDownloadProject project;
    TOptionsForm form(project, Context());
    TAdvancedFiltersPage& page = *form.RulesPage();
    QTreeWidget* list = page.List();
    QCOMPARE(list->headerItem()->text(0), QString("Name of the Rule"));
    auto* remove = Control<QPushButton>(form, "btDeleteRule");
    auto* edit = Control<QPushButton>(form, "btEditRule");
    QVERIFY(!remove->isEnabled() && !edit->isEnabled());
    QCOMPARE(Control<QPushButton>(form, "btAddRule")->toolTip(), QString("This adds a filter rule"));

    // The editor cancelled: the new rule goes again.
    FEditor.OnRule = [](THTTPVorlinRule& rule) {
        if (rule.Name != "New Rule" || !rule.Enabled) qFatal("not a new rule");
        return false;
    };
    Press(form, "btAddRule");
    QCOMPARE(FEditor.RuleEdits, 1);
    QCOMPARE(form.Rules().Count(), 0);
    QCOMPARE(list->topLevelItemCount(), 0);

    // Confirmed: the rule stays, shown checked under the name the editor left.
    FEditor.OnRule = [](THTTPVorlinRule& rule) {
        FindElement<TURLCondition>(rule)->Active = true;
        FindElement<TURLCondition>(rule)->Masks = {"*.zip"};
        return true;
    };
    Press(form, "btAddRule");
    Press(form, "btAddRule");
    QCOMPARE(form.Rules().Count(), 2);
    QCOMPARE(list->topLevelItem(0)->text(0), QString("New Rule"));
    QCOMPARE(list->topLevelItem(0)->checkState(0), Qt::Checked);
    QVERIFY(remove->isEnabled() && edit->isEnabled());

    // Captions and check marks are written to the rule.
    list->topLevelItem(0)->setText(0, "No archives");
    list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    QCOMPARE(form.Rules().Rules(0).Name, std::string("No archives"));
    QVERIFY(!form.Rules().Rules(1).Enabled);

    // Edit and a double click open the selected rule's editor.
    THTTPVorlinRule* edited = nullptr;
    FEditor.OnRule = [&](THTTPVorlinRule& rule) {
        edited = &rule;
        return false;
    };
    list->setCurrentItem(list->topLevelItem(0));
    Press(form, "btEditRule");
    QCOMPARE(edited, &form.Rules().Rules(0));
    edited = nullptr;
    emit list->itemDoubleClicked(list->topLevelItem(1), 0);
    QCOMPARE(edited, &form.Rules().Rules(1));

    list->setCurrentItem(list->topLevelItem(1));
    Press(form, "btDeleteRule");
    QCOMPARE(form.Rules().Count(), 1);
    QCOMPARE(list->topLevelItemCount(), 1);

    Press(form, "btOK");
    form.Close();
    QCOMPARE(list->topLevelItemCount(), 0);
    THTTPVorlinRules stored;
    stored.LoadFromFile(FBase + ".prj.rules");
    QCOMPARE(stored.Count(), 1);
    QCOMPARE(stored.Rules(0).Name, std::string("No archives"));
    QCOMPARE(FindElement<TURLCondition>(stored.Rules(0))->Masks, std::vector<std::string>{"*.zip"});
}

void OptionsFormTest::UnreadableRulesFileIsLeftAlone() {
    // A rule naming an element no class provides (a plugin's, say).
    std::string bytes("\x01\x00\x00\x00\x01\x00\x00\x00", 8);
    bytes += std::string(16, '\x7f') + std::string(20, '\0');
    WriteBytes(FBase + ".prj.rules", bytes);
    TDownloadProject project;
    TOptionsForm form(project, Context());
    QVERIFY(!Control<QPushButton>(form, "btAddRule")->isEnabled());
    QVERIFY(Control<QLabel>(form, "lbRulesUnreadable"));
    Press(form, "btOK");
    QCOMPARE(form.result(), int(QDialog::Accepted));
    form.Close();
    QCOMPARE(FileBytes(FBase + ".prj.rules"), bytes);
}

void OptionsFormTest::PluginStatesAreStoredAfterCancelToo() {
    // A program directory with the shipped style-sheet plugin in it.
    const std::string program = FDir->path().toStdString() + "/program/";
    ForceDirectories(program + "Plugins");
    QVERIFY(QFile::link(VORLIN_CSS_PLUGIN, QString::fromStdString(program + "Plugins/css.so")));
    TPluginSystem plugins(program);
    plugins.Load();
    plugins.Initialize();
    QCOMPARE(plugins.Count(), 1);
    TOptionsFormContext context = Context();
    context.Plugins = &plugins;
    const std::string archive = FBase + ".prj.plugins";
    {
        TDownloadProject project;
        TOptionsForm form(project, context);
        QListWidget* list = form.PluginsPage()->List();
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QString("css"));
        QCOMPARE(list->item(0)->checkState(), Qt::Checked);  // new projects have it on
        auto* configure = Control<QPushButton>(form, "btConfigurePlugin");
        auto* showData = Control<QPushButton>(form, "btShowPluginData");
        QVERIFY(!configure->isEnabled() && !showData->isEnabled());
        list->setCurrentRow(0);
        // It has a dialog of its own, and no download data to show.
        QVERIFY(configure->isEnabled());
        QVERIFY(!showData->isEnabled());
        list->item(0)->setCheckState(Qt::Unchecked);
        Press(form, "btCancel");
        form.Close();
    }
    QCOMPARE(PluginPageShown(plugins, archive), std::vector<bool>{false});
    {
        TDownloadProject project;
        TOptionsForm form(project, context);
        QCOMPARE(form.PluginsPage()->List()->item(0)->checkState(), Qt::Unchecked);
        form.PluginsPage()->List()->item(0)->setCheckState(Qt::Checked);
        Press(form, "btOK");
        form.Close();
    }
    QCOMPARE(PluginPageShown(plugins, archive), std::vector<bool>{true});
    plugins.Deinitialize();
}

void OptionsFormTest::CssPluginIsConfiguredInItsOwnDialog() {
    // The plugin as shipped (its dialog module beside its real file), and a
    // copy of it alone: without the module there is nothing to configure.
    const std::string program = FDir->path().toStdString() + "/program/";
    ForceDirectories(program + "Plugins/alone");
    QVERIFY(QFile::link(VORLIN_CSS_PLUGIN, QString::fromStdString(program + "Plugins/css.so")));
    QVERIFY(CopyFile(VORLIN_CSS_PLUGIN, program + "Plugins/alone/lonely.so", false));
    TPluginSystem plugins(program);
    plugins.Load();
    plugins.Initialize();
    const std::vector<std::string>& names = plugins.PluginNames();
    QCOMPARE(names.size(), size_t(2));
    const int css = names[0] == "css" ? 0 : 1;
    TOptionsFormContext context = Context();
    context.Plugins = &plugins;
    TDownloadProject project;
    TOptionsForm form(project, context);
    form.PluginsPage()->List()->setCurrentRow(1 - css);
    QVERIFY(!Control<QPushButton>(form, "btConfigurePlugin")->isEnabled());
    form.PluginsPage()->List()->setCurrentRow(css);
    QVERIFY(Control<QPushButton>(form, "btConfigurePlugin")->isEnabled());

    // Confirmed, the edit is stored at once; cancelled, it stays as it was.
    bool shown = false;
    WhenModal([&shown](QDialog& dialog) {
        shown = dialog.objectName() == "TCssSettingsForm";
        auto* inlineStyles = Control<QCheckBox>(dialog, "cbInlineStyles");
        QVERIFY(inlineStyles->isChecked());
        inlineStyles->setChecked(false);
        dialog.accept();
    });
    Press(form, "btConfigurePlugin");
    QVERIFY(shown);
    shown = false;
    WhenModal([&shown](QDialog& dialog) {
        shown = true;
        QVERIFY(!Control<QCheckBox>(dialog, "cbInlineStyles")->isChecked());
        Control<QCheckBox>(dialog, "cbInlineStyles")->setChecked(true);
        dialog.reject();
    });
    const std::string stored = FileBytes(FBase + ".prj.plugins");
    Press(form, "btConfigurePlugin");
    QVERIFY(shown);
    QCOMPARE(FileBytes(FBase + ".prj.plugins"), stored);
    Press(form, "btCancel");
    form.Close();
    plugins.Deinitialize();
}

QTEST_MAIN(OptionsFormTest)
#include "OptionsFormTest.moc"
