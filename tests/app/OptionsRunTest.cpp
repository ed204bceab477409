// A project made only through the window and its dialogs, then run: "Neues
// Projekt" with the URL typed in comboUrl, the options dialog (target, scope
// and a rule made in the rule dialogs that keeps archives out), then the
// download from nginx on 127.0.0.1.
#include "app/dialogs/OptionsForm.h"
#include "app/dialogs/OptionsRulesPage.h"
#include "app/dialogs/rules/QtRuleEditor.h"
#include "app/dialogs/rules/RuleForm.h"
#include "platform/FileSystem.h"
#include "rules/HTTPVorlinAction.h"
#include "rules/HTTPVorlinRules.h"
#include "rules/MaskConditions.h"
#include "tests/app/WindowFixture.h"
#include "tests/app_dialogs/OptionsTestSupport.h"
#include "tests/e2e/support/NginxServer.h"

#include <QAction>
#include <QComboBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace vorlin;
using namespace vorlin::app;
using namespace vorlin::test;

namespace {

int Row(const TFilterRule& rule, const TFilterElement& element) {
    for (int i = 0; i < rule.ConditionCount(); ++i)
        if (&rule.Conditions(i) == &element) return i;
    for (int i = 0; i < rule.ActionCount(); ++i)
        if (&rule.Actions(i) == &element) return i;
    return -1;
}

// The files of that name below the directory.
int FilesNamed(const std::string& directory, const QString& name) {
    int count = 0;
    QDirIterator it(QString::fromStdString(directory), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        if (QFileInfo(it.next()).fileName() == name) ++count;
    return count;
}

} // namespace

class OptionsRunTest : public QObject {
    Q_OBJECT
private slots:
    void ProjectMadeThroughTheDialogsRuns();
};

void OptionsRunTest::ProjectMadeThroughTheDialogsRuns() {
    if (!NginxAvailable()) QSKIP("nginx is not installed");
    QTemporaryDir siteDir;
    const std::string site = siteDir.path().toStdString();
    WriteBytes(site + "/index.html",
               "<html><body><a href=\"a.html\">a</a> <a href=\"files/big.zip\">zip</a></body></html>");
    WriteBytes(site + "/a.html", "<html><body>page a</body></html>");
    ForceDirectories(site + "/files");
    WriteBytes(site + "/files/big.zip", std::string(5000, 'z'));
    TNginxServer server(site);

    TQtRuleEditor editor;
    TRuleEditorInstallation installed(editor);
    TWindowFixture f;
    THttpGetForm& w = f.Open();
    const std::string target = f.Home.Home() + "copy";
    int optionsShown = 0;
    f.Dialogs.OnProjectOptions = [&](TDownloadProject& project, const TOptionsFormContext& context) {
        ++optionsShown;
        TOptionsForm form(project, context);
        form.show();
        if (Control<QLineEdit>(form, "edURL")->text() != QString::fromStdString(server.BaseURL()))
            qFatal("the typed URL is not preset");
        Control<QLineEdit>(form, "edDestination")->setText(QString::fromStdString(target));
        Control<QRadioButton>(form, "rbStayOnServer")->setChecked(true);
        // A rule: URL matches *.zip → exclude, made in the rule dialogs.
        WhenModal([&form](QDialog& dialog) {
            auto& ruleForm = static_cast<TRuleForm&>(dialog);
            THTTPVorlinRule& rule = form.Rules().Rules(form.Rules().Count() - 1);
            TURLCondition& url = *FindElement<TURLCondition>(rule);
            ruleForm.Conditions()->item(Row(rule, url))->setCheckState(Qt::Checked);
            ruleForm.Actions()->item(Row(rule, *FindElement<TExcludeAction>(rule)))->setCheckState(Qt::Checked);
            WhenModal([](QDialog& condition) {
                Control<QLineEdit>(condition, "edMask")->setText("*.zip");
                Press(condition, "btOK");
            });
            const TRuleDescription description = rule.Description();
            for (const auto& line : description.Lines)
                if (line.Element == &url) ruleForm.DescriptionClick(line.Start + line.Length - 1);
            Press(dialog, "btOK");
        });
        form.RulesPage()->AddRule();
        Press(form, "btOK");
        form.Close();
        return form.result() == QDialog::Accepted;
    };
    w.UrlCombo()->setEditText(QString::fromStdString(server.BaseURL()));
    w.SelectNode(w.Tree().Projects());
    w.Actions().acNewProject->trigger();
    QCOMPARE(optionsShown, 1);
    TProjectNode* node = f.Node("/Projects/Neues Projekt");
    QVERIFY(node && node->Project);
    QVERIFY(!node->Project->IsNew);
    // The window saved the project; the dialog wrote its rules.
    const std::string base = f.Home.PathOf("/Projects/Neues Projekt");
    TDownloadProject stored;
    stored.LoadFromFile(base + ".prj");
    QCOMPARE(stored.URL, server.BaseURL());
    QCOMPARE(stored.Destination, target);
    QCOMPARE(stored.ScopeMode, smStayOnServer);
    THTTPVorlinRules rules;
    rules.LoadFromFile(base + ".prj.rules");
    QCOMPARE(rules.Count(), 1);
    QCOMPARE(FindElement<TURLCondition>(rules.Rules(0))->Masks, std::vector<std::string>{"*.zip"});

    bool finished = false;
    QObject::connect(&w, &THttpGetForm::RunHasFinished, [&] { finished = true; });
    w.SelectNode(node);
    w.PutInQueue();
    QTRY_VERIFY_WITH_TIMEOUT(finished, 30000);
    QCOMPARE(FilesNamed(target, "a.html"), 1);
    QCOMPARE(FilesNamed(target, "index.html"), 1);
    // The rule kept the archive out.
    QCOMPARE(FilesNamed(target, "big.zip"), 0);
}

QTEST_MAIN(OptionsRunTest)
#include "OptionsRunTest.moc"
