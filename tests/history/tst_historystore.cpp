#include "history/historystore.h"
#include "history/linechange.h"
#include "history/runrecorder.h"
#include "tests/support/oldhistory.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

StoredRun rankingRun(const QString &device = QStringLiteral("pc"))
{
    StoredRun run;
    run.tool = HistoryTool::kRanking;
    run.device = device;
    run.lineCount = 3;
    run.intervalMs = 1000;
    return run;
}

StoredLine line(int index, const QString &position, const QString &key = QString())
{
    return {index,
            key.isEmpty() ? QStringLiteral("词\thttp://a.cn/%1").arg(index) : key,
            QStringLiteral("已收录"),
            position,
            QString(),
            {QStringLiteral("词"), QStringLiteral("http://a.cn/%1").arg(index), QStringLiteral("已收录"),
             position}};
}

QList<StoredLine> lines(int from, int count)
{
    QList<StoredLine> batch;
    for (int i = from; i < from + count; ++i)
        batch.append(line(i, QString::number(i % 40 + 1)));
    return batch;
}

} // namespace

class TestHistoryStore : public QObject
{
    Q_OBJECT

private slots:
    void keepsRunsAndTheirLines()
    {
        QTemporaryDir dir;
        HistoryStore store(dir.filePath(QStringLiteral("h/history.sqlite")));
        QVERIFY2(store.isOpen(), qPrintable(store.errorMessage()));
        const qint64 id = store.beginRun(rankingRun());
        QVERIFY(id > 0);
        QVERIFY(store.addLines(id, {line(0, QStringLiteral("3")), line(1, QStringLiteral("30+"))}));
        QVERIFY(store.addLines(id, {line(2, QStringLiteral("异常"))}));
        QVERIFY(store.finishRun(id, QDateTime::currentDateTimeUtc()));

        const StoredRun run = store.runs().value(0);
        QCOMPARE(run.id, id);
        QCOMPARE(run.intervalMs, 1000);
        QVERIFY(run.endedAt.isValid());
        QCOMPARE(QList<int>({run.stored, run.included, run.failed, run.top10, run.top30}),
                 QList<int>({3, 3, 1, 1, 1}));
        const QList<StoredLine> stored = store.lines(id);
        QCOMPARE(stored.size(), 3);
        QCOMPARE(stored.at(1).cells, line(1, QStringLiteral("30+")).cells);
        QVERIFY(store.deleteRun(id));
        QVERIFY(store.lines(id).isEmpty() && store.runs().isEmpty());
    }

    void migratesTheFirstVersion()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        QCOMPARE(
            testsupport::writeOldHistory(
                path,
                {"CREATE TABLE runs (id INTEGER PRIMARY KEY, tool TEXT NOT NULL, device TEXT NOT NULL,"
                 " started_at TEXT NOT NULL, ended_at TEXT, line_count INTEGER NOT NULL)",
                 "CREATE TABLE lines (run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,"
                 " line_index INTEGER NOT NULL, line_key TEXT NOT NULL, status TEXT NOT NULL,"
                 " position TEXT NOT NULL, cells TEXT NOT NULL, PRIMARY KEY (run_id, line_index))",
                 "INSERT INTO runs VALUES (7, 'inclusion', 'mobile', '2026-01-05T08:00:00.000Z', NULL, 1)",
                 "INSERT INTO lines VALUES (7, 0, 'http://a.cn/', '已收录', '', '[\"t\",\"http://a.cn/\"]')",
                 "PRAGMA user_version = 1"}),
            QString());

        HistoryStore store(path);
        QVERIFY2(store.isOpen(), qPrintable(store.errorMessage()));
        const StoredRun run = store.runs().value(0);
        QCOMPARE(run.id, qint64(7));
        QCOMPARE(run.startedAt, QDateTime(QDate(2026, 1, 5), QTime(8, 0), Qt::UTC));
        QCOMPARE(store.lines(7).value(0).cells,
                 QStringList({QStringLiteral("t"), QStringLiteral("http://a.cn/")}));
        QVERIFY(
            store.addLines(7, {{1, QStringLiteral("k"), QString(), QString(), QStringLiteral("why"), {}}}));
        QCOMPARE(store.lines(7).value(1).failure, QStringLiteral("why"));
    }

    // A file of the previous version keeps its runs and lines, and then takes runs without a device.
    void migratesTheSecondVersionForRunsWithoutDevice()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        QCOMPARE(
            testsupport::writeOldHistory(
                path, QList<const char *>{"PRAGMA foreign_keys = ON"} + testsupport::versionTwoTables() +
                          QList<const char *>{
                              "INSERT INTO runs VALUES (4, 'ranking', 'pc', '2026-01-05T08:00:00.000Z',"
                              " '2026-01-05T08:01:00.000Z', 1, 1500, 1)",
                              "INSERT INTO lines VALUES (4, 0, 'k', '已收录', '异常', '[\"k\"]', '连接超时')",
                              "PRAGMA user_version = 2"}),
            QString());

        HistoryStore store(path);
        QVERIFY2(store.isOpen(), qPrintable(store.errorMessage()));
        const StoredRun kept = store.runs().value(0);
        QCOMPARE(QList<qint64>({kept.id, kept.intervalMs, kept.proxyUsed, kept.failed}),
                 QList<qint64>({4, 1500, 1, 1}));
        QCOMPARE(kept.device, QStringLiteral("pc"));
        QCOMPARE(kept.endedAt, QDateTime(QDate(2026, 1, 5), QTime(8, 1), Qt::UTC));
        QCOMPARE(store.lines(4).value(0).failure, QStringLiteral("连接超时"));

        StoredRun mining;
        mining.tool = HistoryTool::kMining;
        mining.lineCount = 1;
        const qint64 id = store.beginRun(mining);
        QVERIFY2(id > 0, qPrintable(store.errorMessage()));
        QVERIFY(store.addLines(id, {{0, QStringLiteral("词语"), QString(), QString(), QString(), {}}}));
        QCOMPARE(store.run(id)->device, QString());
        QCOMPARE(store.latestLines(HistoryTool::kMining, QString()).keys(),
                 QStringList{QStringLiteral("词语")});
        // Deleting a run still takes its lines along.
        QVERIFY(store.deleteRun(4));
        QVERIFY(store.lines(4).isEmpty());
        QCOMPARE(store.lines(id).size(), 1);
    }

    void comparesWithTheLatestEarlierRunOfTheSameToolAndDevice()
    {
        QTemporaryDir dir;
        HistoryStore store(dir.filePath(QStringLiteral("history.sqlite")));
        const auto runWith = [&](const QString &device, const QList<StoredLine> &batch) {
            const qint64 id = store.beginRun(rankingRun(device));
            store.addLines(id, batch);
            return id;
        };
        runWith(QStringLiteral("pc"), {line(0, QStringLiteral("9")), line(1, QStringLiteral("4"))});
        runWith(QStringLiteral("pc"), {line(0, QStringLiteral("5"))});
        runWith(QStringLiteral("mobile"), {line(0, QStringLiteral("1")), line(1, QStringLiteral("1"))});
        const qint64 latest =
            runWith(QStringLiteral("pc"), {line(0, QStringLiteral("2")), line(1, QStringLiteral("30+"))});

        const QHash<QString, StoredLine> before = store.previousLines(latest);
        QCOMPARE(before.value(line(0, {}).key).position, QStringLiteral("5"));
        QCOMPARE(before.value(line(1, {}).key).position, QStringLiteral("4"));
        // What a run starting after the latest one compares with, and what the latest compared with.
        const QHash<QString, StoredLine> now = store.latestLines(HistoryTool::kRanking, QStringLiteral("pc"));
        QCOMPARE(now.value(line(1, {}).key).position, QStringLiteral("30+"));
        QCOMPARE(store.latestLines(HistoryTool::kRanking, QStringLiteral("pc"), latest)
                     .value(line(1, {}).key)
                     .position,
                 QStringLiteral("4"));
        const QList<PositionPoint> history =
            store.positionHistory(HistoryTool::kRanking, QStringLiteral("pc"), line(0, {}).key);
        QCOMPARE(history.size(), 3);
        QCOMPARE(history.last().position, QStringLiteral("2"));
    }

    void describesChanges_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("was");
        QTest::addColumn<QString>("is");
        QTest::addColumn<QString>("change");
        const QString ranking = HistoryTool::kRanking;
        const QString inclusion = HistoryTool::kInclusion;
        QTest::newRow("up") << ranking << "8"
                            << "5" << QStringLiteral("↑3");
        QTest::newRow("down") << ranking << "5"
                              << "10" << QStringLiteral("↓5");
        QTest::newRow("same") << ranking << "5"
                              << "5" << QString();
        QTest::newRow("entered") << ranking << "30+"
                                 << "12" << QStringLiteral("新进前30");
        QTest::newRow("entered after not included") << ranking << "--"
                                                    << "1" << QStringLiteral("新进前30");
        QTest::newRow("left") << ranking << "30"
                              << "30+" << QStringLiteral("跌出前30");
        QTest::newRow("unknown before") << ranking << "异常"
                                        << "3" << QString();
        QTest::newRow("unknown now") << QString(HistoryTool::kSiteRanking) << "3"
                                     << "异常" << QString();
        QTest::newRow("newly included") << inclusion << "未收录"
                                        << "已收录" << QStringLiteral("新收录");
        QTest::newRow("no longer included") << inclusion << "已收录"
                                            << "未收录" << QStringLiteral("掉收录");
        QTest::newRow("failed inclusion") << inclusion << "已收录"
                                          << "异常" << QString();
    }

    void describesChanges()
    {
        QFETCH(QString, tool);
        QFETCH(QString, was);
        QFETCH(QString, is);
        const bool inclusion = tool == HistoryTool::kInclusion;
        const StoredLine before{0,  QString(), inclusion ? was : QString(), inclusion ? QString() : was,
                                {}, {}};
        const StoredLine now{0, QString(), inclusion ? is : QString(), inclusion ? QString() : is, {}, {}};
        QTEST(describeChange(tool, before, now), "change");
    }

    void readsWhileAnotherConnectionWrites()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        HistoryStore reader(path);
        qint64 id = 0;
        std::atomic<bool> done{false};
        bool written = true;
        std::thread writer([&] {
            HistoryStore store(path);
            id = store.beginRun(rankingRun());
            for (int batch = 0; batch < 40; ++batch)
                written = store.addLines(id, lines(batch * 50, 50)) && written;
            done = true;
        });
        int reads = 0;
        while (!done) {
            reader.runs();
            QVERIFY2(reader.errorMessage().isEmpty(), qPrintable(reader.errorMessage()));
            ++reads;
        }
        writer.join();
        QVERIFY(written && reads > 0);
        QCOMPARE(reader.lines(id).size(), 2000);
    }

    void killedWriterLeavesEveryCommittedLine()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        const pid_t child = fork();
        if (child == 0) {
            HistoryStore store(path);
            const qint64 id = store.beginRun(rankingRun());
            store.addLines(id, lines(0, 100));
            // A batch under way when the process dies.
            QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
            raw.setDatabaseName(path);
            raw.open();
            raw.transaction();
            QSqlQuery(raw).exec(
                QStringLiteral("INSERT INTO lines (run_id, line_index, line_key, status, position,"
                               " cells) VALUES (1, 500, 'k', '', '', '[]')"));
            ::kill(::getpid(), SIGKILL);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        HistoryStore store(path);
        QVERIFY2(store.isOpen(), qPrintable(store.errorMessage()));
        QCOMPARE(store.lines(1).size(), 100);
        QVERIFY(store.addLines(1, lines(100, 1)));
    }

    // What another connection (the window reading) sees while a run is recorded:
    // every line once add() returns, a line of a resumed run replaced.
    void recorderStoresLinesAsTheRunProgresses_data()
    {
        QTest::addColumn<bool>("resumed");
        QTest::newRow("new run") << false;
        QTest::newRow("resumed run") << true;
    }

    void recorderStoresLinesAsTheRunProgresses()
    {
        QFETCH(bool, resumed);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        HistoryStore store(path);
        HistoryStore reader(path);
        QStringList failures;
        RunRecorder recorder(&store, [&](const QString &why) { failures.append(why); });
        if (resumed) {
            const qint64 id = store.beginRun(rankingRun());
            QVERIFY(store.addLines(id, {line(0, QStringLiteral("9"))}));
            recorder.resume(id);
        } else {
            QVERIFY(recorder.start(rankingRun()));
        }
        for (const StoredLine &stored : lines(0, 3)) {
            recorder.add(stored);
            QCOMPARE(reader.lines(recorder.runId()).value(stored.index).position, stored.position);
        }
        QVERIFY(!reader.run(recorder.runId())->endedAt.isValid());
        recorder.finish();
        QCOMPARE(reader.lines(recorder.runId()).size(), 3);
        QVERIFY(reader.run(recorder.runId())->endedAt.isValid());
        QVERIFY(failures.isEmpty());

        QFile corrupt(dir.filePath(QStringLiteral("corrupt.sqlite")));
        QVERIFY(corrupt.open(QIODevice::WriteOnly) && corrupt.write(QByteArray(8192, 'x')) == 8192);
        corrupt.close();
        HistoryStore unusable(corrupt.fileName());
        RunRecorder refused(&unusable, [&](const QString &why) { failures.append(why); });
        QVERIFY(!refused.start(rankingRun()));
        refused.add(line(0, QStringLiteral("1")));
        refused.finish();
        QCOMPARE(failures.size(), 1); // said once, then the run goes on without history
    }

    void refusesUnusableFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("named");
        QTest::newRow("corrupt") << QByteArray(8192, 'x') << QStringLiteral("损坏");
        QTest::newRow("newer version") << QByteArray() << QStringLiteral("更新版本");
    }

    void refusesUnusableFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, named);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        if (content.isEmpty()) {
            HistoryStore store(path);
            QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
            raw.setDatabaseName(path);
            QVERIFY(raw.open() && QSqlQuery(raw).exec(QStringLiteral("PRAGMA user_version = 99")));
            raw.close();
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("newer"));
        HistoryStore store(path);
        QVERIFY(!store.isOpen());
        QVERIFY2(store.errorMessage().contains(named), qPrintable(store.errorMessage()));
        QCOMPARE(store.beginRun(rankingRun()), qint64(0));
        QVERIFY(store.runs().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestHistoryStore)
#include "tst_historystore.moc"
