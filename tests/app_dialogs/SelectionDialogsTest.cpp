// The half-automatic selection and the file selection: which links they
// offer, how the mask, the case option, "Select All" and ticking a node
// work, what OK and Cancel leave in the links, their models checked by
// QAbstractItemModelTester, and a tree of 100,000 links.
#include "app/dialogs/LinkChoiceModel.h"
#include "app/dialogs/MaskBar.h"
#include "app/dialogs/SelectFilesFromList.h"
#include "app/dialogs/SelectForm.h"
#include "app/dialogs/StructureSelectionModel.h"
#include "tests/app_dialogs/DialogTestSupport.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace vorlin;
using namespace vorlin::app;
using namespace vorlin::test;

namespace {

QStringList Checked(const TLinkChoiceModel& model) {
    QStringList urls;
    for (const auto& row : model.Rows())
        if (row.Checked) urls << row.URL;
    return urls;
}

Qt::CheckState StateAt(TStructureSelectionModel& model, const QStringList& captions) {
    return static_cast<Qt::CheckState>(model.data(model.Find(captions), Qt::CheckStateRole).toInt());
}

QStringList Children(TStructureSelectionModel& model, const QStringList& captions) {
    const QModelIndex parent = captions.isEmpty() ? QModelIndex() : model.Find(captions);
    QStringList shown;
    for (int row = 0; row < model.rowCount(parent); ++row) shown << model.index(row, 0, parent).data().toString();
    return shown;
}

void TypeMask(TMaskBar* bar, const QString& mask, bool caseSensitive) {
    bar->MaskEdit()->setText(mask);
    bar->CaseSensitive()->setChecked(caseSensitive);
    QTest::keyClick(bar->MaskEdit(), Qt::Key_Return);
}

// A page of a site with links of every kind the dialogs meet.
struct TSite {
    TDownloadProject Project;
    TDownloadLink* Page = AddLink(Project, "h", "dir/p%20age.html");
    TDownloadLink* Zip = AddLink(Project, "h", "files/a.zip", lkHttp, 2);
    TDownloadLink* UpperZip = AddLink(Project, "h", "files/B.ZIP", lkRelative, 3);
    TDownloadLink* Html = AddLink(Project, "h", "c.html");
    TDownloadLink* Forced = AddLink(Project, "h", "forced.html");
    TDownloadLink* Mail = AddLink(Project, "h", "mail", lkMailto);
    TSite() {
        Forced->Forced = true;
        Refer(Page, {Zip, UpperZip, Html, Forced, Mail});
    }
};

} // namespace

class SelectionDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void HalfAutomaticOffersTheUnforcedWebLinksOfThePage() {
        TSite site;
        QVERIFY(TfmSelectFilesFromList::HasLinksToOffer(site.Project, *site.Page));
        TfmSelectFilesFromList form(site.Project, *site.Page);
        QAbstractItemModelTester tester(form.Model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(form.windowTitle(), QString("Links of http://h/dir/p age.html"));
        QCOMPARE(form.Model()->rowCount(), 3);
        QCOMPARE(form.Model()->index(0, 0).data().toString(), QString("http://h/files/a.zip"));
        QCOMPARE(form.Model()->index(1, 1).data().toInt(), 3);  // the level
        QVERIFY(Checked(*form.Model()).isEmpty());

        // Nothing to offer: every link is forced, or no web link at all.
        TSite done;
        for (TDownloadLink* link : {done.Zip, done.UpperZip, done.Html}) link->Forced = true;
        QVERIFY(!TfmSelectFilesFromList::HasLinksToOffer(done.Project, *done.Page));
    }

    void TheMaskTicksAndNeverUnticks() {
        TSite site;
        TfmSelectFilesFromList form(site.Project, *site.Page);
        QAbstractItemModelTester tester(form.Model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        form.show();
        TypeMask(form.MaskBar(), "*.zip", true);
        QVERIFY(form.isVisible());  // Enter in the mask applies it, it doesn't close the dialog
        QCOMPARE(Checked(*form.Model()), QStringList({"http://h/files/a.zip"}));
        TypeMask(form.MaskBar(), "*.zip", false);
        QCOMPARE(Checked(*form.Model()), QStringList({"http://h/files/a.zip", "http://h/files/B.ZIP"}));
        TypeMask(form.MaskBar(), "*.nothing", false);
        QCOMPARE(Checked(*form.Model()).size(), 2);
        QTest::mouseClick(form.findChild<QPushButton*>("btSelectAll"), Qt::LeftButton);
        QCOMPARE(Checked(*form.Model()).size(), 3);
    }

    void OkForcesTheTickedLinksAndCancelTouchesNothing() {
        TSite site;
        {
            TfmSelectFilesFromList form(site.Project, *site.Page);
            form.Model()->CheckAll();
            form.reject();
            QVERIFY(!site.Zip->Forced && !site.UpperZip->Forced && !site.Html->Forced);
        }
        TfmSelectFilesFromList form(site.Project, *site.Page);
        form.show();
        // Ticked by hand in the list, as a user does.
        form.Model()->setData(form.Model()->index(2, 0), Qt::Checked, Qt::CheckStateRole);
        TypeMask(form.MaskBar(), "*a.zip", false);
        QTest::mouseClick(form.findChild<QPushButton*>("btOK"), Qt::LeftButton);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(site.Zip->Forced);
        QVERIFY(!site.UpperZip->Forced);
        QVERIFY(site.Html->Forced);
        QVERIFY(site.Forced->Forced);  // not listed, left alone
    }

    void TheStructureIsATreeOfURLSegments() {
        QCOMPARE(StructureCaptions("http://h:8080/", "a/b%2Fc/d.html?x=1/2"),
                 QStringList({"h:8080", "a", "b/c", "d.html?x=1/2"}));
        QCOMPARE(StructureCaptions("http://h/", ""), QStringList({"h"}));
        QCOMPARE(StructureCaptions("http://h/", "dir/"), QStringList({"h", "dir"}));
        QCOMPARE(StructureCaptions("http://h/", "dir/?q"), QStringList({"h", "dir", "?q"}));
        QCOMPARE(StructureCaptions("http://h/", "bad%zz"), QStringList({"h", "bad%zz"}));

        TDownloadProject project;
        AddLink(project, "h", "");
        AddLink(project, "other.host", "page?x=1");
        AddLink(project, "h", "docs/b.html");
        AddLink(project, "h", "docs/");
        AddLink(project, "h", "docs/A.html");
        AddLink(project, "h", "img/x.gif")->Forced = true;
        AddLink(project, "h", "docs/sub%20dir/c.html", lkRelative);
        AddLink(project, "h", "mailto", lkMailto);
        TStructureSelectionModel model(project);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(Children(model, {}), QStringList({"h", "other.host"}));
        QCOMPARE(Children(model, {"h"}), QStringList({"docs", "img"}));
        QCOMPARE(Children(model, {"h", "docs"}), QStringList({"A.html", "b.html", "sub dir"}));
        QCOMPARE(Children(model, {"other.host"}), QStringList({"page?x=1"}));
        QCOMPARE(model.NodeCount(), 10);
        QCOMPARE(StateAt(model, {"h", "img", "x.gif"}), Qt::Checked);  // forced
        QCOMPARE(StateAt(model, {"h", "img"}), Qt::Checked);  // all below it
        QCOMPARE(StateAt(model, {"h"}), Qt::PartiallyChecked);
        QCOMPARE(StateAt(model, {"h", "docs"}), Qt::Unchecked);
        QCOMPARE(model.LinksAt(model.Find({"h", "docs"})).size(), size_t(1));

        // Links collected elsewhere (on a run's thread) make the same tree.
        const std::vector<TStructureEntry> entries = CollectStructure(project);
        QCOMPARE(entries.size(), size_t(7));
        TSelectForm form(entries);
        QCOMPARE(form.Model()->NodeCount(), 10);
        QCOMPARE(StateAt(*form.Model(), {"h", "img", "x.gif"}), Qt::Checked);
    }

    void TickingANodeTicksEverythingBelowIt() {
        TDownloadProject project;
        TDownloadLink* root = AddLink(project, "h", "");
        TDownloadLink* dir = AddLink(project, "h", "docs/");
        TDownloadLink* a = AddLink(project, "h", "docs/a.html");
        TDownloadLink* deep = AddLink(project, "h", "docs/sub/c.pdf");
        TDownloadLink* other = AddLink(project, "h", "z.gif");
        TSelectForm form(project);
        TStructureSelectionModel& model = *form.Model();
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(form.windowTitle(), QString("Auswahl der Dateien"));

        QVERIFY(model.setData(model.Find({"h", "docs"}), Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(StateAt(model, {"h", "docs", "sub", "c.pdf"}), Qt::Checked);
        QCOMPARE(StateAt(model, {"h", "docs"}), Qt::Checked);
        QCOMPARE(StateAt(model, {"h"}), Qt::PartiallyChecked);
        model.setData(model.Find({"h", "docs", "a.html"}), Qt::Unchecked, Qt::CheckStateRole);
        QCOMPARE(StateAt(model, {"h", "docs"}), Qt::PartiallyChecked);
        // A partly ticked node ticks all when clicked, as the view asks.
        model.setData(model.Find({"h"}), Qt::Checked, Qt::CheckStateRole);
        QCOMPARE(StateAt(model, {"h"}), Qt::Checked);
        model.setData(model.Find({"h", "docs", "sub"}), Qt::Unchecked, Qt::CheckStateRole);

        form.show();
        QTest::mouseClick(form.findChild<QPushButton*>("btOK"), Qt::LeftButton);
        QVERIFY(root->Forced && dir->Forced && a->Forced && other->Forced);
        QVERIFY(!deep->Forced);
    }

    void TheMaskMatchesCaptionsAndCancelLeavesTheLinks() {
        TDownloadProject project;
        TDownloadLink* upper = AddLink(project, "h", "docs/A.HTML");
        TDownloadLink* lower = AddLink(project, "h", "b.html");
        TDownloadLink* image = AddLink(project, "h", "images/x.gif");
        TDownloadLink* forced = AddLink(project, "h", "f.gif");
        forced->Forced = true;
        {
            TSelectForm form(project);
            QAbstractItemModelTester tester(form.Model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
            form.show();
            TypeMask(form.MaskBar(), "*.html", true);
            QCOMPARE(StateAt(*form.Model(), {"h", "b.html"}), Qt::Checked);
            QCOMPARE(StateAt(*form.Model(), {"h", "docs", "A.HTML"}), Qt::Unchecked);
            TypeMask(form.MaskBar(), "IMAGES", false);  // a directory: everything in it
            QCOMPARE(StateAt(*form.Model(), {"h", "images", "x.gif"}), Qt::Checked);
            QTest::keyClick(&form, Qt::Key_Escape);
            QCOMPARE(form.result(), int(QDialog::Rejected));
            QVERIFY(!upper->Forced && !lower->Forced && !image->Forced && forced->Forced);
        }
        TSelectForm form(project);
        form.show();
        QTest::mouseClick(form.findChild<QPushButton*>("btSelectAll"), Qt::LeftButton);
        form.accept();
        QVERIFY(upper->Forced && lower->Forced && image->Forced && forced->Forced);
    }

    void AHundredThousandLinksFillAndTick() {
        TDownloadProject project;
#if defined(__SANITIZE_ADDRESS__)
        // The sanitizer build looks for memory faults, not for speed: fewer will do.
        const int links = 20000;
#else
        const int links = 100000;
#endif
        for (int i = 0; i < links; ++i)
            AddLink(project, "host" + std::to_string(i % 7), "d" + std::to_string(i % 97) + "/s" + std::to_string(i % 13) +
                                                                  "/file" + std::to_string(i) + ".html");
        QElapsedTimer clock;
        clock.start();
        TSelectForm form(project);
        const qint64 fillMs = clock.elapsed();
        TStructureSelectionModel& model = *form.Model();
        QCOMPARE(model.rowCount(), 7);
        // i % 7, i % 97 and i % 13 run through every combination (the three are
        // coprime), so each host has 97 directories of 13 below, and then the files.
        QCOMPARE(model.NodeCount(), 7 + 7 * 97 + 7 * 97 * 13 + links);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        clock.restart();
        model.CheckAll();
        QCOMPARE(StateAt(model, {"host3"}), Qt::Checked);
        model.setData(model.index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
        form.Tree()->expandAll();
        QCoreApplication::processEvents();
        const qint64 tickMs = clock.elapsed();
        form.accept();
        qInfo("%d links: tree filled in %lld ms, ticked, expanded and shown in %lld ms", links, fillMs, tickMs);
    }

    void AStoredStructureIsWrittenBackOnlyWhenChosen() {
        QTemporaryDir dir;
        TDownloadProject project;
        project.DataFileName = (dir.path() + "/p.dat").toStdString();
        AddLink(project, "h", "a.html");
        AddLink(project, "h", "b.html");
        project.Links->SaveToFile(project.DataFileName);
        project.Links->Clear();

        std::string error;
        QTimer::singleShot(0, this, [] {
            auto* form = qobject_cast<TSelectForm*>(QApplication::activeModalWidget());
            QVERIFY(form);
            form->Model()->SetChecked(form->Model()->Find({"h", "b.html"}), true);
            form->accept();
        });
        QVERIFY(SelectStoredStructure(project, nullptr, error));
        QCOMPARE(project.Links->Count(), 0);  // cleared again
        project.Links->LoadFromFile(project.DataFileName);
        QCOMPARE(project.Links->Count(), 2);
        QVERIFY(!project.Links->Items(0)->Forced);
        QVERIFY(project.Links->Items(1)->Forced);
        project.Links->Clear();

        // A damaged file is reported and left as it is.
        QFile file(QString::fromStdString(project.DataFileName));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray whole = file.readAll();
        file.close();
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(whole.left(whole.size() / 2));
        file.close();
        QVERIFY(!SelectStoredStructure(project, nullptr, error));
        QVERIFY(!error.empty());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), whole.left(whole.size() / 2));
        QCOMPARE(project.Links->Count(), 0);
    }
};

QTEST_MAIN(SelectionDialogsTest)
#include "SelectionDialogsTest.moc"
