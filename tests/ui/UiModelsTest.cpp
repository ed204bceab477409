// The structure view model (batches, sizes summed up to every ancestor,
// clearing with its links), the log with the 499-line rule, and the
// connection rows, each under QAbstractItemModelTester.
#include "ui/ClientRowsModel.h"
#include "ui/LogModel.h"
#include "ui/StructureTreeModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

using namespace vorlin::ui;

class UiModelsTest : public QObject {
    Q_OBJECT
private slots:
    void StructureBatchInsertsOncePerParent();
    void StructureSizesReachEveryAncestor();
    void StructureClearVisitsEveryLink();
    void LogDropsTwoOldestAfterAnErrorPast499();
    void ClientRowsGrowShrinkAndIgnoreBadIndexes();
};

void UiModelsTest::StructureBatchInsertsOncePerParent() {
    TStructureTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    int a = 1, b = 2, c = 3;
    model.BeginBatch();
    model.Add({"host", "dir", "a.html"}, &a, 100, 1);
    model.Add({"host", "dir", "b.html"}, &b, 200, 1);
    model.Add({"host", "c.css"}, &c, 50, 0);
    QCOMPARE(model.rowCount(), 0);  // nothing shown inside the batch
    model.EndBatch();
    // host (root), dir + c.css (host), a + b (dir): three notifications.
    QCOMPARE(inserts.count(), 3);
    QCOMPARE(model.NodeCount(), size_t(5));
    const QModelIndex host = model.index(0, 0);
    QCOMPARE(model.rowCount(host), 2);
    const QModelIndex dir = model.index(0, 0, host);
    QCOMPARE(model.PathOf(model.index(1, 0, dir)), std::string("/host/dir/b.html"));
    QCOMPARE(model.LinkOf(model.index(1, 0, dir)), static_cast<void*>(&b));
    // A second batch under an existing parent appends with one notification.
    inserts.clear();
    int d = 4, e = 5;
    model.BeginBatch();
    model.Add({"host", "dir", "d.html"}, &d, 1, 1);
    model.Add({"host", "dir", "e.html"}, &e, 1, 1);
    model.EndBatch();
    QCOMPARE(inserts.count(), 1);
    QCOMPARE(model.rowCount(dir), 4);
}

void UiModelsTest::StructureSizesReachEveryAncestor() {
    TStructureTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.SetCaptions({"Structure", "Filesize", "D/L Status"}, {"Not Downloaded", "Downloaded", "Filtered Out"});
    int a = 1, b = 2;
    TStructureNode* page = model.Add({"host", "dir", "a.html"}, &a, 0, 0);
    model.Add({"host", "b.png"}, &b, 2048, 1);
    const QModelIndex host = model.index(0, 0);
    QCOMPARE(model.TotalOf(host), int64_t(2048));
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    model.Update(page, 1024, 1);
    QCOMPARE(model.TotalOf(host), int64_t(3072));
    QCOMPARE(model.TotalOf(model.index(0, 0, host)), int64_t(1024));
    QVERIFY(changes.count() >= 3);  // the page, its directory and the host
    model.Update(page, 512, 1);     // a smaller size takes the difference back
    QCOMPARE(model.TotalOf(host), int64_t(2560));
    const QModelIndex dir = model.index(0, 0, host);
    QCOMPARE(model.index(0, 2, dir).data().toString(), QString("Downloaded"));
    QCOMPARE(model.index(0, 1, dir).data().toString(), QString("0.50 KB"));
}

void UiModelsTest::StructureClearVisitsEveryLink() {
    TStructureTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    int a = 1, b = 2;
    model.Add({"host", "a"}, &a, 1, 0);
    model.Add({"host", "b"}, &b, 1, 0);
    std::vector<void*> visited;
    model.Clear([&](void* link) { visited.push_back(link); });
    QCOMPARE(visited.size(), size_t(2));
    QCOMPARE(model.rowCount(), 0);
    model.Add({"host", "a"}, &a, 1, 0);
    model.ForgetLinks();
    QVERIFY(!model.LinkOf(model.index(0, 0, model.index(0, 0))));
}

void UiModelsTest::LogDropsTwoOldestAfterAnErrorPast499() {
    TLogModel log;
    QAbstractItemModelTester tester(&log, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (int i = 0; i < 499; ++i) log.AddLine(QString("line %1").arg(i));
    log.AddLine("line 499");  // plain lines are kept
    QCOMPARE(log.Count(), 500);
    log.AddError("broken");   // 501 lines: the two oldest go
    QCOMPARE(log.Count(), 499);
    QCOMPARE(log.Line(0), QString("line 2"));
    QVERIFY(log.IsError(log.Count() - 1));
    QCOMPARE(log.index(log.Count() - 1).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
    QVERIFY(!log.index(0).data(Qt::ForegroundRole).isValid());
    QCOMPARE(log.Joined({0, 1}), QString("line 2\nline 3"));
    log.Clear();
    QCOMPARE(log.Count(), 0);
}

void UiModelsTest::ClientRowsGrowShrinkAndIgnoreBadIndexes() {
    TClientRowsModel rows;
    QAbstractItemModelTester tester(&rows, QAbstractItemModelTester::FailureReportingMode::QtTest);
    rows.SetRowCount(5);
    QCOMPARE(rows.index(4, TClientRowsModel::ccNumber).data().toInt(), 5);
    rows.SetURL(4, "http://x/");
    rows.SetStatus(-1, "ignored");
    rows.SetStatus(5, "ignored");
    rows.SetProgress(0, 150);
    QCOMPARE(rows.Progress(0), 100);
    rows.SetRowCount(2);
    QCOMPARE(rows.Count(), 2);
    rows.SetRowCount(3);
    QCOMPARE(rows.URL(2), QString());  // a new row starts empty
}

QTEST_MAIN(UiModelsTest)
#include "UiModelsTest.moc"
