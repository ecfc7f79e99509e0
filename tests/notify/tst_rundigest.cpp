#include "history/historystore.h"
#include "notify/rundigest.h"
#include "tests/notify/plantedruns.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace plantedruns;

// Which changes between two stored runs a digest tells, and how it names
// the run and its totals.
class TestRunDigest : public QObject
{
    Q_OBJECT

private slots:
    void tellsTheAlertingChanges_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("threshold");
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QString>("totals");

        QTest::newRow("ranking: the five planted, 异常 and small moves left out")
            << HistoryTool::kRanking << kRankingBefore << kRankingAfter << 5 << kRankingChanges
            << QStringLiteral("共 9 行 · 前10 3 · 前30 6 · 异常 1|1 行异常");
        QStringList withSmallMove = kRankingChanges;
        withSmallMove.append(QStringLiteral("↑2  关键词 https://qa-site.cn/f：4 → 2"));
        QTest::newRow("ranking: a threshold of 2 adds the move of 2")
            << HistoryTool::kRanking << kRankingBefore << kRankingAfter << 2 << withSmallMove
            << QStringLiteral("共 9 行 · 前10 3 · 前30 6 · 异常 1|1 行异常");
        QTest::newRow("inclusion: 掉收录 before 新收录, 异常 on either side never")
            << HistoryTool::kInclusion
            << QStringList{QStringLiteral("https://a.cn/1|未收录|"), QStringLiteral("https://a.cn/2|已收录|"),
                           QStringLiteral("https://a.cn/3|已收录|"), QStringLiteral("https://a.cn/4|已收录|"),
                           QStringLiteral("https://a.cn/5|异常|"),   QStringLiteral("-")}
            << QStringList{QStringLiteral("https://a.cn/1|已收录|"), QStringLiteral("https://a.cn/2|未收录|"),
                           QStringLiteral("https://a.cn/3|已收录|"), QStringLiteral("https://a.cn/4|异常|"),
                           QStringLiteral("https://a.cn/5|未收录|"), QStringLiteral("https://a.cn/6|已收录|")}
            << 5
            << QStringList{QStringLiteral("掉收录  https://a.cn/2：已收录 → 未收录"),
                           QStringLiteral("新收录  https://a.cn/1：未收录 → 已收录")}
            << QStringLiteral("共 6 行 · 已收录 3 · 未收录 2 · 收录率 60% · 异常 1|1 行异常");
        QTest::newRow("site ranking: losses first, by the keyword")
            << HistoryTool::kSiteRanking
            << QStringList{QStringLiteral("qa-site.cn~词一||2"), QStringLiteral("qa-site.cn~词二||11"),
                           QStringLiteral("qa-site.cn~词三||25"), QStringLiteral("qa-site.cn~词四||7")}
            << QStringList{QStringLiteral("qa-site.cn~词一||30+"), QStringLiteral("qa-site.cn~词二||10"),
                           QStringLiteral("qa-site.cn~词三||17"), QStringLiteral("qa-site.cn~词四||14")}
            << 5
            << QStringList{QStringLiteral("跌出前30  词一：2 → 30+"), QStringLiteral("↓7  词四：7 → 14"),
                           QStringLiteral("新进前10  词二：11 → 10"), QStringLiteral("↑8  词三：25 → 17")}
            << QStringLiteral("共 4 行 · 前10 1 · 前30 3 · 异常 0");
        QTest::newRow("nothing alerting: no digest")
            << HistoryTool::kRanking << QStringList{QStringLiteral("词~https://a.cn/|已收录|30+")}
            << QStringList{QStringLiteral("词~https://a.cn/|已收录|22")} << 5 << QStringList() << QString();
        QTest::newRow("mining: no digest")
            << HistoryTool::kMining << QStringList{QStringLiteral("词||")}
            << QStringList{QStringLiteral("词||")} << 5 << QStringList() << QString();
    }

    void tellsTheAlertingChanges()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(int, threshold);
        QFETCH(QStringList, changes);
        QFETCH(QString, totals);

        QTemporaryDir folder;
        HistoryStore store(folder.filePath(QStringLiteral("history.sqlite")));
        const QString device = tool == HistoryTool::kMining ? QString() : HistoryDevice::kDesktop;
        storeRun(store, tool, device, before);
        // The same lines on the other device are no earlier result of these.
        storeRun(store, tool, HistoryDevice::kMobile, after);
        const qint64 id = storeRun(store, tool, device, after);

        const std::optional<RunDigest> digest =
            digestOfStoredRun(store, id, threshold, QStringLiteral("周报"));
        if (changes.isEmpty()) {
            QVERIFY(!digest);
            return;
        }
        QVERIFY(digest);
        QStringList written;
        for (const DigestChange &change : digest->changes)
            written.append(RunDigest::changeLine(change));
        QCOMPARE(written, changes);
        QCOMPARE(digest->totalLines().join(QLatin1Char('|')), totals);
        QVERIFY(digest->title().contains(QStringLiteral("周报")));
        QVERIFY(digest->title().endsWith(QStringLiteral("%1 项变化").arg(changes.size())));
        QVERIFY(digest->headLines().join(QLatin1Char('\n')).contains(QStringLiteral("运行 #%1").arg(id)));
    }

    void namesAMissingRun()
    {
        QTemporaryDir folder;
        HistoryStore store(folder.filePath(QStringLiteral("history.sqlite")));
        QString error;
        QVERIFY(!digestOfStoredRun(store, 42, 5, QString(), &error));
        QVERIFY(error.contains(QStringLiteral("42")));
    }
};

QTEST_GUILESS_MAIN(TestRunDigest)
#include "tst_rundigest.moc"
