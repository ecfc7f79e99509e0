#include "history/linechange.h"
#include "history/runsummary.h"
#include "history/tooldescriptor.h"

#include <QtTest>

Q_DECLARE_METATYPE(Tool)

namespace {

SiteRankingResult sitePlaced()
{
    SiteRankingResult result;
    result.keyword = QStringLiteral("词");
    result.position = QStringLiteral("5");
    result.address = QStringLiteral("http://www.a.cn/x");
    result.title = QStringLiteral("标题");
    result.entries = 2;
    result.otherPositions = {9};
    return result;
}

StoredRun runOf(const QString &tool, int lineCount, int stored)
{
    StoredRun run;
    run.tool = tool;
    run.device = tool == HistoryTool::kMining ? QString() : HistoryDevice::kMobile;
    run.lineCount = lineCount;
    run.stored = stored;
    return run;
}

QStringList texts(const QList<ReportTotal> &figures)
{
    QStringList shown;
    for (const ReportTotal &figure : figures)
        shown << figure.label + QLatin1Char(' ') + figure.value;
    return shown;
}

} // namespace

// A row as the window and the command keep it, and a kept run as both list and report it.
class TestStoredRuns : public QObject
{
    Q_OBJECT

private slots:
    void keepsARowAndShowsItAgain_data()
    {
        QTest::addColumn<Tool>("tool");
        QTest::addColumn<ResultRow>("row");
        QTest::addColumn<QStringList>("stored"); // key, status, position
        QTest::addColumn<QString>("queryLine");
        const QString address = QStringLiteral("http://a.cn/");
        const QString ranked = QStringLiteral("词\thttp://a.cn/");
        QTest::newRow("inclusion, failed with its reason")
            << Tool::Inclusion << rowOf(InclusionResult::failed(address, QStringLiteral("连接超时")))
            << QStringList{address, QStringLiteral("异常"), QString()} << address;
        QTest::newRow("inclusion, included")
            << Tool::Inclusion
            << rowOf(InclusionResult{QStringLiteral("标题"), address, QStringLiteral("已收录"),
                                     QStringLiteral("2024年5月1日"), QString()})
            << QStringList{address, QStringLiteral("已收录"), QString()} << address;
        QTest::newRow("ranking, placed")
            << Tool::Ranking
            << rowOf(RankingResult{QStringLiteral("词"), address, QStringLiteral("已收录"),
                                   QStringLiteral("3"), QString(), QString(), SerpList()})
            << QStringList{ranked, QStringLiteral("已收录"), QStringLiteral("3")}
            << QStringLiteral("词 http://a.cn/");
        QTest::newRow("ranking, beyond 30")
            << Tool::Ranking
            << rowOf(RankingResult{QStringLiteral("词"), address, QStringLiteral("已收录"),
                                   QStringLiteral("30+"), QString(), QString(), SerpList()})
            << QStringList{ranked, QStringLiteral("已收录"), QStringLiteral("30+")}
            << QStringLiteral("词 http://a.cn/");
        QTest::newRow("ranking, included but the position failed")
            << Tool::Ranking
            << rowOf(RankingResult{QStringLiteral("词"), address, QStringLiteral("已收录"),
                                   QStringLiteral("异常"), QString(), QStringLiteral("百度安全验证"),
                                   SerpList()})
            << QStringList{ranked, QStringLiteral("已收录"), QStringLiteral("异常")}
            << QStringLiteral("词 http://a.cn/");
        QTest::newRow("site ranking, under the run's site")
            << Tool::SiteRanking << rowOf(sitePlaced())
            << QStringList{QStringLiteral("a.cn\t词"), QString(), QStringLiteral("5")}
            << QStringLiteral("词");
        QTest::newRow("site ranking, failed")
            << Tool::SiteRanking
            << rowOf(SiteRankingResult::failed(QStringLiteral("词"), QStringLiteral("超时")))
            << QStringList{QStringLiteral("a.cn\t词"), QString(), QStringLiteral("异常")}
            << QStringLiteral("词");
        QTest::newRow("mining") << Tool::Mining
                                << rowOf(MinedKeyword{QStringLiteral("词 语"), MiningSource::Related,
                                                      QStringLiteral("词"), 2})
                                << QStringList{QStringLiteral("词 语"), QString(), QString()}
                                << QStringLiteral("词 语");
    }

    void keepsARowAndShowsItAgain()
    {
        QFETCH(Tool, tool);
        QFETCH(ResultRow, row);
        QFETCH(QStringList, stored);
        QFETCH(QString, queryLine);
        const StoredLine line = storedLine(tool, 4, row, QStringLiteral("a.cn"));
        QCOMPARE((QStringList{line.key, line.status, line.position}), stored);
        QCOMPARE(line.index, 4);
        QCOMPARE(line.failure, row.failure);
        QCOMPARE(line.cells, row.cells);
        QCOMPARE(queryLineOfStored(tool, line), queryLine);
        const ResultRow again = rowOfStored(tool, line);
        QCOMPARE(again.cells, row.cells);
        QCOMPARE(again.verdict, row.verdict);
        QCOMPARE(again.position, row.position);
        QCOMPARE(again.included, row.included);
        QCOMPARE(again.failure, row.failure);
    }

    void summarizesARun_data()
    {
        QTest::addColumn<StoredRun>("run");
        QTest::addColumn<QString>("named"); // tool and device
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QStringList>("figures");
        QTest::addColumn<QStringList>("brief");
        StoredRun inclusion = runOf(HistoryTool::kInclusion, 12, 9);
        inclusion.included = 6;
        inclusion.notIncluded = 2;
        QTest::newRow("inclusion that did not get to every line")
            << inclusion << QStringLiteral("收录 移动端") << QStringLiteral("9/12")
            << QStringList{QStringLiteral("已收录 6"), QStringLiteral("收录率 75%")}
            << QStringList{QStringLiteral("收录率 75%")};
        StoredRun ranking = runOf(HistoryTool::kSiteRanking, 3, 3);
        ranking.top10 = 1;
        ranking.top30 = 2;
        const QStringList places{QStringLiteral("前10 1"), QStringLiteral("前30 2")};
        QTest::newRow("site ranking")
            << ranking << QStringLiteral("泛排名 移动端") << QStringLiteral("3") << places << places;
        QTest::newRow("mining: its lines are the keywords found")
            << runOf(HistoryTool::kMining, 2, 40) << QStringLiteral("挖掘 ") << QStringLiteral("40")
            << QStringList{QStringLiteral("种子词 2"), QStringLiteral("共挖掘 40")}
            << QStringList{QStringLiteral("种子词 2")};
    }

    void summarizesARun()
    {
        QFETCH(StoredRun, run);
        const RunSummary summary = summarizeRun(run);
        QTEST(QString(summary.tool + QLatin1Char(' ') + summary.device), "named");
        QTEST(summary.lines, "lines");
        QTEST(texts(summary.figures), "figures");
        QTEST(texts(summary.briefFigures), "brief");
        QVERIFY(summary.unfinished);
    }

    // Both exports of a kept run write positions, counts and depths as numbers.
    void reportsAStoredRun_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QList<int>>("numberColumns");
        QTest::addColumn<bool>("reasons"); // a last column says why a line is 异常
        QTest::newRow("inclusion") << HistoryTool::kInclusion << QList<int>() << true;
        QTest::newRow("ranking") << HistoryTool::kRanking << QList<int>{3} << true;
        QTest::newRow("site ranking") << HistoryTool::kSiteRanking << QList<int>{1, 4} << true;
        QTest::newRow("mining") << HistoryTool::kMining << QList<int>{3} << false;
        QTest::newRow("a tool this version does not know")
            << QStringLiteral("later") << QList<int>() << false;
    }

    void reportsAStoredRun()
    {
        QFETCH(QString, tool);
        QFETCH(QList<int>, numberColumns);
        QFETCH(bool, reasons);
        const StoredLine line{0,         QStringLiteral("k"),        QString(),
                              QString(), QStringLiteral("连接超时"), {QStringLiteral("a")}};
        const ReportTable table = storedRunReport(runOf(tool, 1, 1), {line});
        const ToolDescriptor *descriptor = toolOfHistoryKey(tool);
        QStringList headings = descriptor ? reportHeadings(descriptor->reportKind) : QStringList();
        QStringList row = line.cells;
        if (reasons) {
            while (row.size() < headings.size())
                row.append(QString());
            headings.append(QStringLiteral("原因"));
            row.append(line.failure);
        }
        QCOMPARE(table.headings, headings);
        QCOMPARE(table.numberColumns, numberColumns);
        if (descriptor)
            QCOMPARE(table.rows, QList<QStringList>{row});
    }
};

QTEST_GUILESS_MAIN(TestStoredRuns)
#include "tst_storedruns.moc"
