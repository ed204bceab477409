// The "Manners" page of the project options dialog: where it sits, every
// setting there and back, the switches that count only with a wait or a
// file to save into, the rounded wait and rate, Cancel, and what OK leaves
// in the project's files.
#include "app/dialogs/OptionsForm.h"
#include "app/dialogs/OptionsMannersPage.h"
#include "app/dialogs/OptionsTexts.h"
#include "platform/FileSystem.h"
#include "tests/app_dialogs/OptionsTestSupport.h"
#include "ui/TreeConfig.h"

#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace vorlin;
using namespace vorlin::app;
using namespace vorlin::test;

namespace {

TProjectManners Unusual() {
    TProjectManners m;
    m.ObeyRobots = false;
    m.WaitSeconds = 2.25;
    m.RandomWait = true;
    m.LimitRate = 250 * 1024;
    m.LoadCookies = "/home/ann/browser cookies.txt";
    m.SaveCookies = "/home/ann/copies/cookies.txt";
    m.KeepSessionCookies = true;
    return m;
}

// A project that is no longer new, with these manners.
void Prepare(TDownloadProject& project, const TProjectManners& manners) {
    project.IsNew = false;
    project.URL = "http://example.org/";
    project.Manners = manners;
}

} // namespace

class OptionsMannersTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void PageSitsUnderGeneralAfterStartData();
    void NewProjectShowsTheDefaults();
    void EverySettingThereAndBack();
    void EditsReachTheProject();
    void SwitchesCountOnlyWithAWaitOrAFile();
    void RoundedNumbersStayExactUnlessChanged();
    void RateLimitConversion();
    void CancelKeepsTheProject();
    void OkThenTheProjectFileCarriesTheManners();
    void BrowseOpensAndSavesCookiesFiles();

private:
    TOptionsFormContext Context() const;
    std::unique_ptr<QTemporaryDir> FDir;
    std::string FBase;
};

void OptionsMannersTest::init() {
    FDir = std::make_unique<QTemporaryDir>();
    FBase = FDir->path().toStdString() + "/Projects/Site";
    ForceDirectories(ExtractFilePath(FBase));
}

void OptionsMannersTest::cleanup() { FDir.reset(); }

TOptionsFormContext OptionsMannersTest::Context() const {
    TOptionsFormContext context;
    context.ProjectFile = FBase + ".prj";
    return context;
}


void OptionsMannersTest::PageSitsUnderGeneralAfterStartData() {
    TDownloadProject project;
    TOptionsForm form(project, Context());
    QTreeWidgetItem* general = form.Pages()->Tree()->topLevelItem(0);
    QCOMPARE(general->data(0, Qt::UserRole).toInt(), int(tgGeneral));
    QCOMPARE(general->childCount(), 4);
    QCOMPARE(general->child(2)->data(0, Qt::UserRole).toInt(), int(tgStartData));
    QCOMPARE(general->child(3)->data(0, Qt::UserRole).toInt(), int(tgManners));
    QCOMPARE(general->child(3)->text(0), QString("Umgangsformen"));
    QVERIFY(dynamic_cast<TMannersPage*>(form.Page(tgManners)));
    QCOMPARE(Control<QCheckBox>(form, "cbObeyRobots")->text(), QString("robots.txt beachten"));
    QVERIFY(!Control<QCheckBox>(form, "cbObeyRobots")->toolTip().isEmpty());
}

void OptionsMannersTest::NewProjectShowsTheDefaults() {
    // A new project shows the page's initial states, whatever it holds.
    TDownloadProject project;
    Prepare(project, Unusual());
    project.IsNew = true;
    TOptionsForm form(project, Context());
    QVERIFY(Control<QCheckBox>(form, "cbObeyRobots")->isChecked());
    QCOMPARE(Control<QDoubleSpinBox>(form, "seWaitSeconds")->value(), 0.0);
    QVERIFY(!Control<QCheckBox>(form, "cbRandomWait")->isChecked());
    QCOMPARE(Control<QSpinBox>(form, "seLimitRate")->value(), 0);
    QVERIFY(Control<QLineEdit>(form, "edLoadCookies")->text().isEmpty());
    QVERIFY(Control<QLineEdit>(form, "edSaveCookies")->text().isEmpty());
    QVERIFY(!Control<QCheckBox>(form, "cbKeepSessionCookies")->isChecked());
    Press(form, "btOK");
    QCOMPARE(project.Manners, TProjectManners());
    QVERIFY(project.Manners.IsDefault());
}

void OptionsMannersTest::EverySettingThereAndBack() {
    TDownloadProject project;
    Prepare(project, Unusual());
    TOptionsForm form(project, Context());
    QVERIFY(!Control<QCheckBox>(form, "cbObeyRobots")->isChecked());
    QCOMPARE(Control<QDoubleSpinBox>(form, "seWaitSeconds")->value(), 2.25);
    QVERIFY(Control<QCheckBox>(form, "cbRandomWait")->isChecked());
    QCOMPARE(Control<QSpinBox>(form, "seLimitRate")->value(), 250);
    QCOMPARE(Control<QLineEdit>(form, "edLoadCookies")->text(), QString("/home/ann/browser cookies.txt"));
    QCOMPARE(Control<QLineEdit>(form, "edSaveCookies")->text(), QString("/home/ann/copies/cookies.txt"));
    QVERIFY(Control<QCheckBox>(form, "cbKeepSessionCookies")->isChecked());
    // The ranges.
    auto* wait = Control<QDoubleSpinBox>(form, "seWaitSeconds");
    QCOMPARE(wait->minimum(), 0.0);
    QCOMPARE(wait->maximum(), 3600.0);
    QCOMPARE(wait->decimals(), 2);
    QCOMPARE(Control<QSpinBox>(form, "seLimitRate")->minimum(), 0);
    Press(form, "btOK");
    QCOMPARE(project.Manners, Unusual());

    // Each switch back alone: no field leans on another.
    TProjectManners plain = Unusual();
    plain.ObeyRobots = true;
    plain.RandomWait = false;
    plain.KeepSessionCookies = false;
    project.Manners = plain;
    TOptionsForm again(project, Context());
    Press(again, "btOK");
    QCOMPARE(project.Manners, plain);
}

void OptionsMannersTest::EditsReachTheProject() {
    TDownloadProject project;
    Prepare(project, TProjectManners());
    TOptionsForm form(project, Context());
    Control<QCheckBox>(form, "cbObeyRobots")->setChecked(false);
    Control<QDoubleSpinBox>(form, "seWaitSeconds")->setValue(0.75);
    Control<QCheckBox>(form, "cbRandomWait")->setChecked(true);
    Control<QSpinBox>(form, "seLimitRate")->setValue(64);
    // Blanks around a name go; a relative name is one in the home folder.
    Control<QLineEdit>(form, "edLoadCookies")->setText("  exported/cookies.txt ");
    Control<QLineEdit>(form, "edSaveCookies")->setText("~/out cookies.txt");
    Control<QCheckBox>(form, "cbKeepSessionCookies")->setChecked(true);
    Press(form, "btOK");
    const TProjectManners& m = project.Manners;
    QVERIFY(!m.ObeyRobots);
    QCOMPARE(m.WaitSeconds, 0.75);
    QVERIFY(m.RandomWait);
    QCOMPARE(m.LimitRate, int64_t(64 * 1024));
    QCOMPARE(m.LoadCookies, (QDir::homePath() + "/exported/cookies.txt").toStdString());
    QCOMPARE(m.SaveCookies, (QDir::homePath() + "/out cookies.txt").toStdString());
    QVERIFY(m.KeepSessionCookies);

    // Emptied fields name no file.
    TOptionsForm again(project, Context());
    Control<QLineEdit>(again, "edLoadCookies")->setText("   ");
    Control<QLineEdit>(again, "edSaveCookies")->clear();
    Press(again, "btOK");
    QVERIFY(project.Manners.LoadCookies.empty() && project.Manners.SaveCookies.empty());
}

void OptionsMannersTest::SwitchesCountOnlyWithAWaitOrAFile() {
    TDownloadProject project;
    Prepare(project, TProjectManners());
    TOptionsForm form(project, Context());
    form.Pages()->ShowPage(form.Page(tgManners));
    form.show();
    auto* wait = Control<QDoubleSpinBox>(form, "seWaitSeconds");
    auto* random = Control<QCheckBox>(form, "cbRandomWait");
    auto* save = Control<QLineEdit>(form, "edSaveCookies");
    auto* keep = Control<QCheckBox>(form, "cbKeepSessionCookies");
    auto* robots = Control<QCheckBox>(form, "cbObeyRobots");
    auto* ignored = Control<QLabel>(form, "lbRobotsIgnored");
    QVERIFY(!random->isEnabled());
    QVERIFY(!keep->isEnabled());
    QVERIFY(!ignored->isVisible());
    wait->setValue(0.01);
    QVERIFY(random->isEnabled());
    save->setText("  ");
    QVERIFY(!keep->isEnabled());
    save->setText("/tmp/c.txt");
    QVERIFY(keep->isEnabled());
    // Nothing hides that a project ignores robots.txt.
    robots->setChecked(false);
    QVERIFY(ignored->isVisible());
    robots->setChecked(true);
    QVERIFY(!ignored->isVisible());

    // A switch keeps its state while it doesn't count.
    random->setChecked(true);
    keep->setChecked(true);
    wait->setValue(0);
    save->clear();
    QVERIFY(!random->isEnabled() && !keep->isEnabled());
    Press(form, "btOK");
    QVERIFY(project.Manners.RandomWait && project.Manners.KeepSessionCookies);

    // Loaded settings set the enabling too.
    TOptionsForm loaded(project, Context());
    QVERIFY(!Control<QCheckBox>(loaded, "cbRandomWait")->isEnabled());
    project.Manners = Unusual();
    TOptionsForm unusual(project, Context());
    QVERIFY(Control<QCheckBox>(unusual, "cbRandomWait")->isEnabled());
    QVERIFY(Control<QCheckBox>(unusual, "cbKeepSessionCookies")->isEnabled());
    QVERIFY(!Control<QLabel>(unusual, "lbRobotsIgnored")->isHidden());
}

void OptionsMannersTest::RoundedNumbersStayExactUnlessChanged() {
    TProjectManners odd;
    odd.WaitSeconds = 0.125;  // the command line takes any fraction
    odd.LimitRate = 300;      // and bytes
    TDownloadProject project;
    Prepare(project, odd);
    {
        TOptionsForm form(project, Context());
        QCOMPARE(Control<QDoubleSpinBox>(form, "seWaitSeconds")->value(), 0.13);
        // A limit below 1 KB/s is no "0: no limit".
        QCOMPARE(Control<QSpinBox>(form, "seLimitRate")->value(), 1);
        Press(form, "btOK");
        QCOMPARE(project.Manners, odd);
    }
    {
        TOptionsForm form(project, Context());
        Control<QDoubleSpinBox>(form, "seWaitSeconds")->setValue(0.5);
        Control<QSpinBox>(form, "seLimitRate")->setValue(2);
        Press(form, "btOK");
        QCOMPARE(project.Manners.WaitSeconds, 0.5);
        QCOMPARE(project.Manners.LimitRate, int64_t(2048));
    }
    {
        // Set to 0 from a limit that showed as 1: no limit.
        project.Manners.LimitRate = 300;
        TOptionsForm form(project, Context());
        Control<QSpinBox>(form, "seLimitRate")->setValue(0);
        Press(form, "btOK");
        QCOMPARE(project.Manners.LimitRate, int64_t(0));
    }
    {
        // A day's wait from the command line shows and stays as it is.
        project.Manners.WaitSeconds = 86400;
        TOptionsForm form(project, Context());
        QCOMPARE(Control<QDoubleSpinBox>(form, "seWaitSeconds")->value(), 86400.0);
        Press(form, "btOK");
        QCOMPARE(project.Manners.WaitSeconds, 86400.0);
    }
    {
        // An edited file's absurd wait neither stretches the page nor is cut.
        project.Manners.WaitSeconds = 1e300;
        TOptionsForm form(project, Context());
        auto* wait = Control<QDoubleSpinBox>(form, "seWaitSeconds");
        QCOMPARE(wait->maximum(), 86400.0);
        QVERIFY(wait->sizeHint().width() < 200);
        Press(form, "btOK");
        QCOMPARE(project.Manners.WaitSeconds, 1e300);
    }
}

void OptionsMannersTest::RateLimitConversion() {
    QCOMPARE(RateLimitShownKB(0), 0);
    QCOMPARE(RateLimitShownKB(-5), 0);
    QCOMPARE(RateLimitShownKB(1), 1);
    QCOMPARE(RateLimitShownKB(1535), 1);
    QCOMPARE(RateLimitShownKB(1536), 2);
    QCOMPARE(RateLimitShownKB(1024 * 1024), 1024);
    const int64_t ceiling = int64_t(100) * 1024 * 1024 * 1024;  // the command line's 100 GB/s
    QCOMPARE(RateLimitShownKB(ceiling), TMannersPage::kMaxRateKB);
    QCOMPARE(RateLimitShownKB(ceiling * 4), TMannersPage::kMaxRateKB);
    QCOMPARE(RateLimitShownKB(INT64_MAX), TMannersPage::kMaxRateKB);
    QCOMPARE(RateLimitBytes(0), int64_t(0));
    QCOMPARE(RateLimitBytes(1), int64_t(1024));
    QCOMPARE(RateLimitBytes(TMannersPage::kMaxRateKB), ceiling);

    // The largest rate the spin box takes reaches the project whole.
    TDownloadProject project;
    Prepare(project, TProjectManners());
    TOptionsForm form(project, Context());
    auto* rate = Control<QSpinBox>(form, "seLimitRate");
    QCOMPARE(rate->maximum(), TMannersPage::kMaxRateKB);
    rate->setValue(rate->maximum());
    Press(form, "btOK");
    QCOMPARE(project.Manners.LimitRate, ceiling);
}

void OptionsMannersTest::CancelKeepsTheProject() {
    TDownloadProject project;
    Prepare(project, Unusual());
    project.SaveToFile(FBase + ".prj");
    const std::string file = FileBytes(FBase + ".prj.manners");
    QVERIFY(!file.empty());
    TOptionsForm form(project, Context());
    Control<QCheckBox>(form, "cbObeyRobots")->setChecked(true);
    Control<QDoubleSpinBox>(form, "seWaitSeconds")->setValue(9);
    Control<QSpinBox>(form, "seLimitRate")->setValue(7);
    Control<QLineEdit>(form, "edSaveCookies")->setText("/elsewhere.txt");
    Control<QCheckBox>(form, "cbKeepSessionCookies")->setChecked(false);
    Press(form, "btCancel");
    form.Close();
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QCOMPARE(project.Manners, Unusual());
    QCOMPARE(FileBytes(FBase + ".prj.manners"), file);
}

void OptionsMannersTest::OkThenTheProjectFileCarriesTheManners() {
    TDownloadProject project;
    Prepare(project, TProjectManners());
    TOptionsForm form(project, Context());
    Control<QCheckBox>(form, "cbObeyRobots")->setChecked(false);
    Control<QDoubleSpinBox>(form, "seWaitSeconds")->setValue(1.5);
    Control<QCheckBox>(form, "cbRandomWait")->setChecked(true);
    Control<QSpinBox>(form, "seLimitRate")->setValue(100);
    Control<QLineEdit>(form, "edLoadCookies")->setText("/home/ann/in.txt");
    Control<QLineEdit>(form, "edSaveCookies")->setText("/home/ann/out.txt");
    Control<QCheckBox>(form, "cbKeepSessionCookies")->setChecked(true);
    Press(form, "btOK");
    form.Close();
    // What the main window does after the dialog.
    project.SaveToFile(FBase + ".prj");
    QVERIFY(FileExists(FBase + ".prj.manners"));
    TDownloadProject loaded;
    loaded.LoadFromFile(FBase + ".prj");
    QCOMPARE(loaded.Manners, project.Manners);
    QVERIFY(!loaded.Manners.ObeyRobots);
    QCOMPARE(loaded.Manners.LimitRate, int64_t(100 * 1024));

    // All back to the defaults: the side file goes, and a load finds them.
    TOptionsForm back(loaded, Context());
    Control<QCheckBox>(back, "cbObeyRobots")->setChecked(true);
    Control<QDoubleSpinBox>(back, "seWaitSeconds")->setValue(0);
    Control<QCheckBox>(back, "cbRandomWait")->setChecked(false);
    Control<QSpinBox>(back, "seLimitRate")->setValue(0);
    Control<QLineEdit>(back, "edLoadCookies")->clear();
    Control<QLineEdit>(back, "edSaveCookies")->clear();
    Control<QCheckBox>(back, "cbKeepSessionCookies")->setChecked(false);
    Press(back, "btOK");
    back.Close();
    loaded.SaveToFile(FBase + ".prj");
    QVERIFY(!FileExists(FBase + ".prj.manners"));
    TDownloadProject again;
    again.LoadFromFile(FBase + ".prj");
    QVERIFY(again.Manners.IsDefault());
}

void OptionsMannersTest::BrowseOpensAndSavesCookiesFiles() {
    TDownloadProject project;
    Prepare(project, TProjectManners());
    TOptionsForm form(project, Context());
    form.Pages()->ShowPage(form.Page(tgManners));
    form.show();
    const QString chosen = FDir->path() + "/new cookies.txt";  // not there yet: only saving may name it
    QFileDialog::AcceptMode modes[2] = {};
    int asked = 0;
    auto answer = [&](QDialog& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        if (!files) return dialog.reject();
        modes[asked++ % 2] = files->acceptMode();
        // selectFile leaves the name field alone once it has the focus, and
        // the list can only select the file when the folder has been read
        // (a thread of the dialog's): with neither, accept() keeps the
        // dialog open. So the name is typed into the field itself.
        files->selectFile(chosen);
        if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->setText(chosen);
        dialog.accept();
    };
    WhenModal(answer);
    Press(form, "btSaveCookies");
    QTRY_COMPARE(asked, 1);
    QCOMPARE(modes[0], QFileDialog::AcceptSave);
    QCOMPARE(Control<QLineEdit>(form, "edSaveCookies")->text(), chosen);
    WriteBytes(chosen.toStdString(), "# Netscape HTTP Cookie File\n");
    WhenModal(answer);
    Press(form, "btLoadCookies");
    QTRY_COMPARE(asked, 2);
    QCOMPARE(modes[1], QFileDialog::AcceptOpen);
    QCOMPARE(Control<QLineEdit>(form, "edLoadCookies")->text(), chosen);
    Press(form, "btOK");
    QCOMPARE(project.Manners.SaveCookies, chosen.toStdString());
}

QTEST_MAIN(OptionsMannersTest)
#include "OptionsMannersTest.moc"
