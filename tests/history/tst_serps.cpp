#include "history/historystore.h"
#include "history/linechange.h"
#include "history/serpcodec.h"
#include "search/desktoprankingcheck.h"
#include "search/mobilerankingcheck.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/oldhistory.h"
#include "tests/support/rankingpages.h"
#include "workers/resultrow.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::LoopbackBaidu;
using testsupport::Reply;
using testsupport::Request;

namespace {

const QByteArray kBaiduRedirect = "http://www.baidu.com/link?url=";

QJsonArray countedEntries(const QString &truthFile)
{
    const QJsonObject truth =
        QJsonDocument::fromJson(
            testsupport::readTestData(qPrintable(QStringLiteral("real-pages/truth/") + truthFile)))
            .object();
    QJsonArray counted;
    for (const QJsonValue &entry : truth.value(QStringLiteral("entries")).toArray()) {
        if (entry.toObject().value(QStringLiteral("counted")).toBool())
            counted.append(entry);
    }
    return counted;
}

StoredRun rankingRun()
{
    StoredRun run;
    run.tool = HistoryTool::kRanking;
    run.device = QStringLiteral("pc");
    run.lineCount = 1;
    return run;
}

} // namespace

// The first-30 list a ranking line was judged on, from a real page through
// the check and the history and back.
class TestSerps : public QObject
{
    Q_OBJECT

private slots:
    void keepsTheListOfARealPage_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("truth");
        QTest::addColumn<int>("asked"); // the position of the line's address
        QTest::newRow("desktop 2017") << QStringLiteral("desktop_2017_435236402_day01_baidu_nba.html")
                                      << QStringLiteral(".truth.json") << 1;
        QTest::newRow("desktop 2020") << QStringLiteral("desktop_2020_BaiduSpider_test_web_normal.html")
                                      << QStringLiteral(".truth.json") << 2;
        QTest::newRow("desktop 2022") << QStringLiteral("desktop_2022_DogInNoSense_agt_wodeip.html")
                                      << QStringLiteral(".truth.json") << 8;
        QTest::newRow("mobile 2019") << QStringLiteral("mobile_2019_muyun001_rua_bianpofanghuwang.html")
                                     << QStringLiteral(".mobile-truth.json") << 3;
    }
    void keepsTheListOfARealPage()
    {
        QFETCH(QString, page);
        QFETCH(QString, truth);
        QFETCH(int, asked);
        const bool mobile = page.startsWith(QLatin1String("mobile"));
        const QJsonArray entries = countedEntries(page + truth);
        const QJsonObject askedEntry = entries.at(asked - 1).toObject();
        // The asked address is one the page states, or (redirects only) its heading decides.
        QString address = askedEntry.value(QStringLiteral("real_target")).toString();
        const QByteArray title = askedEntry.value(QStringLiteral("heading_text")).toString().toUtf8();
        if (address.isEmpty())
            address = QStringLiteral("http://asked.example.cn/");

        LoopbackBaidu baidu;
        QByteArray body = testsupport::readTestData(qPrintable(QStringLiteral("real-pages/") + page));
        body.replace(kBaiduRedirect, baidu.httpUrl("/link?url="));
        baidu.setHandler([&](const Request &request) {
            if (request.path == "/link")
                return Reply::redirect("http://elsewhere.example.cn/");
            if (mobile && request.param("word").startsWith("http"))
                return Reply::page(testsupport::mobileRankingSitePage(address.toUtf8(), "2021年3月4日"));
            if (mobile && !request.param("pn").isEmpty())
                return Reply::page(testsupport::mobileRankingNotFoundPage());
            if (!mobile && request.param("rn").isEmpty())
                return Reply::page(testsupport::desktopRankingSitePage(title, "2021年3月4日"));
            return Reply::page(body);
        });
        const QString line = QStringLiteral("kw ") + address;
        const ResultRow row =
            rowOf(mobile ? rankMobile(line, baidu.endpoints()) : rankDesktop(line, baidu.endpoints()));
        QCOMPARE(row.position, asked);

        QTemporaryDir dir;
        HistoryStore store(dir.filePath(QStringLiteral("history.sqlite")));
        const qint64 run = store.beginRun(rankingRun());
        QVERIFY(store.addLines(run, {storedLine(Tool::Ranking, 0, row)}));
        const std::optional<StoredSerp> kept = store.serp(run, 0);
        QVERIFY(kept);
        QVERIFY(qAbs(kept->readAt.secsTo(QDateTime::currentDateTimeUtc())) < 60);
        QCOMPARE(kept->entries.size(), qMin(int(entries.size()), 30));
        for (int i = 0; i < kept->entries.size(); ++i) {
            const SerpEntry &entry = kept->entries.at(i);
            const QJsonObject expected = entries.at(i).toObject();
            QCOMPARE(entry.position, expected.value(QStringLiteral("position")).toInt());
            QCOMPARE(entry.title, expected.value(QStringLiteral("heading_text")).toString());
            const QString stated = expected.value(QStringLiteral("real_target")).toString();
            if (!stated.isEmpty())
                QCOMPARE(entry.address, stated);
            QCOMPARE(entry.isMatch(), entry.position == asked);
        }
    }

    // Another answer for the line replaces its list; a line without one drops
    // it; the run's removal takes its lists along.
    void replacesAndDropsLists()
    {
        QTemporaryDir dir;
        HistoryStore store(dir.filePath(QStringLiteral("history.sqlite")));
        const qint64 run = store.beginRun(rankingRun());
        StoredLine line{0, QStringLiteral("k"), QString(), QStringLiteral("1"), QString(), {}, {}, {}};
        line.serp = {
            {1, QStringLiteral("标题"), QStringLiteral("a.cn/x"), QStringLiteral("https://a.cn/x"), 1}};
        QVERIFY(store.addLines(run, {line}));
        line.serp.first().title = QStringLiteral("新标题");
        QVERIFY(store.addLines(run, {line}));
        QCOMPARE(store.serp(run, 0)->entries.value(0).title, QStringLiteral("新标题"));
        QCOMPARE(store.serps(run).size(), 1);
        line.serp.clear();
        QVERIFY(store.addLines(run, {line}));
        QVERIFY(!store.serp(run, 0));
        line.serp = {{1, QStringLiteral("t"), QString(), QString(), 0}};
        QVERIFY(store.addLines(run, {line}));
        QVERIFY(store.deleteRun(run));
        QVERIFY(store.serps(run).isEmpty());
    }

    void codesEntriesWhole_data()
    {
        QTest::addColumn<SerpList>("serp");
        QTest::newRow("scheme added to the shown address")
            << SerpList{{1, QStringLiteral("标题"), QStringLiteral("www.a.cn/x"),
                         QStringLiteral("https://www.a.cn/x"), 3}};
        QTest::newRow("address of its own, none, long title") << SerpList{
            {1, QString(300, QChar(0x4e2d)), QStringLiteral("知乎"), QStringLiteral("http://z.cn/q?a=1"), 0},
            {2, QStringLiteral("t"), QStringLiteral("b.cn/..."), QString(), 0x200}};
    }
    void codesEntriesWhole()
    {
        QFETCH(SerpList, serp);
        const SerpList back = decodeSerp(encodeSerp(serp));
        QCOMPARE(back.size(), serp.size());
        for (int i = 0; i < serp.size(); ++i) {
            QCOMPARE(back.at(i).position, serp.at(i).position);
            QCOMPARE(back.at(i).title, serp.at(i).title);
            QCOMPARE(back.at(i).shown, serp.at(i).shown);
            QCOMPARE(back.at(i).address, serp.at(i).address);
            QCOMPARE(back.at(i).matches, serp.at(i).matches);
        }
        QVERIFY(decodeSerp(QByteArray("garbage")).isEmpty());
    }

    // A file of version 2 gains the lists and the runs' sites; its lines stay.
    void migratesTheSecondVersion()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        QCOMPARE(
            testsupport::writeOldHistory(
                path, testsupport::versionTwoTables() +
                          QList<const char *>{
                              "INSERT INTO runs VALUES (3, 'site-ranking', 'pc', '2026-01-05T08:00:00.000Z', "
                              "NULL, 1, 0, "
                              "0)",
                              "INSERT INTO lines VALUES (3, 0, 'a.cn\tkw', '', '4', '[\"kw\",\"4\"]', '')",
                              "PRAGMA user_version = 2"}),
            QString());

        HistoryStore store(path);
        QVERIFY2(store.isOpen(), qPrintable(store.errorMessage()));
        QCOMPARE(store.run(3)->sites, QStringList());
        QCOMPARE(store.lines(3).value(0).position, QStringLiteral("4"));
        StoredLine line = store.lines(3).value(0);
        line.serp = {{4, QStringLiteral("t"), QStringLiteral("a.cn/"), QStringLiteral("http://a.cn/"), 1}};
        QVERIFY(store.addLines(3, {line}));
        QCOMPARE(store.serp(3, 0)->entries.value(0).address, QStringLiteral("http://a.cn/"));
        StoredRun sites = rankingRun();
        sites.tool = HistoryTool::kSiteRanking;
        sites.sites = QStringList{QStringLiteral("a.cn"), QStringLiteral("b.cn")};
        QCOMPARE(store.run(store.beginRun(sites))->sites, sites.sites);
    }

    // A run of several sites: each site's line is compared with that site's
    // own past, whether it was asked alone or with others.
    void comparesEachSiteWithItsOwnPast()
    {
        QTemporaryDir dir;
        HistoryStore store(dir.filePath(QStringLiteral("history.sqlite")));
        StoredRun alone = rankingRun();
        alone.tool = HistoryTool::kSiteRanking;
        const qint64 first = store.beginRun(alone);
        QVERIFY(store.addLines(first, {{0,
                                        siteRankingKey(QStringLiteral("b.cn"), QStringLiteral("kw")),
                                        QString(),
                                        QStringLiteral("9"),
                                        QString(),
                                        {},
                                        {},
                                        {}}}));
        StoredRun both = alone;
        both.sites = QStringList{QStringLiteral("a.cn"), QStringLiteral("b.cn")};
        const qint64 second = store.beginRun(both);
        ResultRow row;
        row.cells =
            QStringList{QStringLiteral("kw"), QStringLiteral("5"), QString(),          QStringLiteral("1"),
                        QStringLiteral("3"),  QString(),           QStringLiteral("1")};
        const QList<StoredLine> lines = storedLines(Tool::SiteRanking, 0, row, both.sites);
        QCOMPARE(lines.size(), 2);
        QVERIFY(store.addLines(second, lines));
        QCOMPARE(store.lines(second).size(), 1);
        QCOMPARE(store.run(second)->stored, 1);
        const QHash<QString, StoredLine> before = store.previousLines(second);
        QCOMPARE(changeSince(HistoryTool::kSiteRanking, before, store.siteLines(second).value(0)),
                 QStringLiteral("↑6"));
        QCOMPARE(changeSince(HistoryTool::kSiteRanking, before, store.lines(second).value(0)), QString());
    }
};

QTEST_GUILESS_MAIN(TestSerps)
#include "tst_serps.moc"
