// The statistics dialog, the "Authorization required" prompt and the
// "Closing Download" window, answered by the test.
#include "app/dialogs/Authorization.h"
#include "app/dialogs/ClosingDownload.h"
#include "app/dialogs/ProjectInformation.h"
#include "platform/DateTime.h"
#include "project/PasswordList.h"
#include "tests/app_dialogs/DialogTestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace vorlin;
using namespace vorlin::app;
using namespace vorlin::test;

namespace {

QString Shown(QWidget& form, const char* label) {
    auto* control = form.findChild<QLabel*>(QString::fromLatin1(label));
    return control ? control->text() : QString("(missing %1)").arg(label);
}

} // namespace

class SmallDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void FiguresAreCutNotRounded() {
        QCOMPARE(FormatRate(0), std::string("0.00 KB/s"));
        QCOMPARE(FormatRate(1535), std::string("1.49 KB/s"));  // 1.499..., rounding would say 1.50
        QCOMPARE(FormatRate(1024 * 1000), std::string("1000.00 KB/s"));
        QCOMPARE(FormatRate(-512), std::string("-0.50 KB/s"));
        QCOMPARE(FormatDuration(EncodeTime(1, 2, 5, 0)), std::string("1:02:05"));
        QCOMPARE(FormatDuration(EncodeTime(0, 0, 5, 999)), std::string("0:00:05"));
        QCOMPARE(FormatDuration(1.5), std::string("36:00:00"));  // a run of more than a day
        QCOMPARE(FormatDuration(-1), std::string("0:00:00"));
        QCOMPARE(FormatKB(1536), std::string("1.50 KB"));
        QCOMPARE(FormatKB(int64_t(5) << 40), std::string("5368709120.00 KB"));
    }

    void StatisticsAreShownAndResetToZero() {
        TDownloadProject project;
        project.AverageCPS = 2048;
        project.PeekCPS = 10239;
        project.FileCount = 120;
        project.FilteredOutCount = 20;
        project.DownloadedCount = 95;
        project.LastDuration = EncodeTime(0, 3, 7, 0);
        project.LastDownloadDate = 45000.5;
        project.ProjectSize = 3 * 1024 * 1024 + 512;
        project.RunSize = 777;

        TfmProjectInformation form(project);
        QCOMPARE(form.windowTitle(), QString("Projekt-Statistik"));
        QCOMPARE(Shown(form, "lbAverageCPS"), QString("2.00 KB/s"));
        QCOMPARE(Shown(form, "lbPeekCPS"), QString("9.99 KB/s"));
        QCOMPARE(Shown(form, "lbFileCount"), QString("120"));
        QCOMPARE(Shown(form, "lbFilteredOutCount"), QString("20"));
        QCOMPARE(Shown(form, "lbDownloadedCount"), QString("95"));
        QCOMPARE(Shown(form, "lbLastDuration"), QString("0:03:07"));
        QCOMPARE(Shown(form, "lbProjectSize"), QString("3072.50 KB"));
        QCOMPARE(Shown(form, "lbProjectSizeCaption"), QString("Heruntergeladene KBs"));

        form.show();
        QTest::mouseClick(form.findChild<QPushButton*>("btReset"), Qt::LeftButton);
        QVERIFY(form.isVisible());  // reset keeps the dialog open
        QCOMPARE(project.AverageCPS, 0);
        QCOMPARE(project.PeekCPS, 0);
        QCOMPARE(project.FileCount, 0);
        QCOMPARE(project.FilteredOutCount, 0);
        QCOMPARE(project.DownloadedCount, 0);
        QCOMPARE(project.LastDuration, 0.0);
        QCOMPARE(project.LastDownloadDate, 0.0);
        QCOMPARE(project.ProjectSize, int64_t(0));
        QCOMPARE(project.RunSize, int64_t(777));  // the running count stays
        QCOMPARE(Shown(form, "lbAverageCPS"), QString("0.00 KB/s"));
        QCOMPARE(Shown(form, "lbProjectSize"), QString("0.00 KB"));
        QCOMPARE(Shown(form, "lbLastDuration"), QString("0:00:00"));
    }

    void EnterAnswersWithWhatWasTyped() {
        TDownloadProject project;
        TDownloadLink* link = AddLink(project, "h", "private/index.html");
        TAuthRec request{"<b>Members</b>", link, "", ""};
        TfmAuthorization form(request);
        QCOMPARE(form.windowTitle(), QString("Authorization required"));
        QCOMPARE(Shown(form, "lbRealm"), QString("<b>Members</b>"));
        QCOMPARE(form.findChild<QLabel*>("lbRealm")->textFormat(), Qt::PlainText);  // a server's text is no markup
        QCOMPARE(Shown(form, "lbURL"), QString("http://h/private/index.html"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.TimerRunning());
        QTest::keyClicks(form.findChild<QLineEdit*>("edUserName"), "ann");
        QVERIFY(!form.TimerRunning());  // typing stops the countdown
        QTest::keyClicks(form.findChild<QLineEdit*>("edPassword"), "pass word");
        QTest::keyClick(form.findChild<QLineEdit*>("edPassword"), Qt::Key_Return);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(request.UserName, std::string("ann"));
        QCOMPARE(request.Password, std::string("pass word"));
    }

    void EscapeOrNobodyAnsweringCancels() {
        TDownloadProject project;
        TAuthRec request{"realm", AddLink(project, "h", "a"), "", ""};
        {
            TfmAuthorization form(request);
            form.show();
            QTest::keyClicks(form.findChild<QLineEdit*>("edUserName"), "ann");
            QTest::keyClick(&form, Qt::Key_Escape);
            QCOMPARE(form.result(), int(QDialog::Rejected));
            QCOMPARE(request.UserName, std::string());  // a cancelled prompt answers nothing
        }
        // The bar runs 0..100 and the prompt gives up when it wraps round.
        TfmAuthorization form(request);
        form.show();
        auto* bar = form.findChild<QProgressBar*>("pbTimeout");
        for (int i = 0; i < 100; ++i) form.Step();
        QCOMPARE(bar->value(), 100);
        QVERIFY(form.isVisible());
        form.Step();
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QVERIFY(!form.TimerRunning());
    }

    void TheTimerStepsEveryHundredMilliseconds() {
        TDownloadProject project;
        TAuthRec request{"realm", AddLink(project, "h", "a"), "", ""};
        TfmAuthorization form(request);
        auto* timer = form.findChild<QTimer*>();
        QVERIFY(timer && timer->isActive());
        QCOMPARE(timer->interval(), 100);
    }

    void ClosingDownloadShowsTheShutdownProgress() {
        TfmClosingDownload window;
        window.show();
        QCOMPARE(window.windowTitle(), QString("Closing Download"));
        QCOMPARE(window.StatusText(), QString("Shutdown initiated"));
        QCOMPARE(window.Progress(), 0);
        window.SetProgress(40, "Saving link data");
        QCOMPARE(window.Progress(), 40);
        QCOMPARE(window.StatusText(), QString("Saving link data"));
        window.SetProgress(250, "done");
        QCOMPARE(window.Progress(), 100);
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(window.isVisible());  // only the end of the run closes it
        QVERIFY(!window.isModal());
    }
};

QTEST_MAIN(SmallDialogsTest)
#include "SmallDialogsTest.moc"
