#include "tests/support/loopbackbaidu.h"
#include "tests/support/rankingpages.h"
#include "workers/miningrun.h"

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextCodec>

using testsupport::LoopbackBaidu;
using testsupport::Reply;
using testsupport::Request;

namespace {

const QByteArray kNotJson = "<html>window.baidu.sug({q:\"x\"})</html>";

// "keyword:a,b,c;…": what each keyword's source offers.
QHash<QString, QStringList> offersOf(const QString &plan)
{
    QHash<QString, QStringList> offers;
    for (const QString &entry : plan.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        offers.insert(entry.section(QLatin1Char(':'), 0, 0),
                      entry.section(QLatin1Char(':'), 1).split(QLatin1Char(','), Qt::SkipEmptyParts));
    return offers;
}

QByteArray suggestionAnswer(const QStringList &texts)
{
    QJsonArray list;
    for (const QString &text : texts)
        list.append(
            QJsonObject{{QStringLiteral("type"), QStringLiteral("sug")}, {QStringLiteral("q"), text}});
    return QJsonDocument(QJsonObject{{QStringLiteral("q"), QStringLiteral("x")}, {QStringLiteral("g"), list}})
        .toJson(QJsonDocument::Compact);
}

// A result page with the two related-search boxes.
QByteArray relatedPage(const QStringList &related, const QStringList &also)
{
    QByteArray page = "<html><head><title>x_百度搜索</title></head><body><div id=\"content_left\">"
                      "<div class=\"c-container\" id=\"1\"><h3><a href=\"http://a.cn/\">A</a></h3></div>";
    if (!also.isEmpty()) {
        page += "<div class=\"c-container\"><div>大家还在搜</div>";
        for (const QString &text : also)
            page += "<a href=\"/s?wd=" + QUrl::toPercentEncoding(text) + "\">" + text.toUtf8() + "</a>";
        page += "</div>";
    }
    page += "</div><div id=\"rs\"><div class=\"tt\">相关搜索</div><table><tr>";
    for (const QString &text : related)
        page += "<th><a href=\"/s?wd=" + QUrl::toPercentEncoding(text) + "\">" + text.toUtf8() + "</a></th>";
    return page + "</tr></table></div></body></html>";
}

} // namespace

// Keyword mining against a loopback Baidu: sources, depth, duplicates, limit
// and failed answers, from the rows the run reports.
class TestKeywordMining : public QObject
{
    Q_OBJECT

private slots:
    void mines_data()
    {
        QTest::addColumn<QStringList>("seeds");
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("suggestions"); // "坏" answers no JSON
        QTest::addColumn<QString>("related");     // "nba" serves the real 2017 page
        QTest::addColumn<QString>("also");
        QTest::addColumn<QStringList>("rows"); // "keyword|source|seed|depth"
        QTest::addColumn<int>("failures");
        QTest::addColumn<QStringList>("neverExpanded");

        QTest::newRow("suggestions, then a real page's related searches")
            << QStringList{QStringLiteral("nba")} << 1 << 1000
            << QStringLiteral("nba:nba直播, ｎｂａ直播 ,nba新浪") << QString() << QString()
            << QStringList{QStringLiteral("nba直播|下拉联想|nba|1"),
                           QStringLiteral("nba新浪|下拉联想|nba|1"),
                           QStringLiteral("百事通nba直播|相关搜索|nba|1"),
                           QStringLiteral("nba文字直播|相关搜索|nba|1"),
                           QStringLiteral("nba直播8下载|相关搜索|nba|1"),
                           QStringLiteral("手机nba主题|相关搜索|nba|1"),
                           QStringLiteral("nba新闻|相关搜索|nba|1"),
                           QStringLiteral("nba排名|相关搜索|nba|1"),
                           QStringLiteral("凯尔特人|相关搜索|nba|1"),
                           QStringLiteral("nba中文网|相关搜索|nba|1")}
            << 0 << QStringList{QStringLiteral("nba直播")};
        QTest::newRow("depth 2, duplicates across seeds, the seeds never rows")
            << QStringList{QStringLiteral("甲"), QStringLiteral("乙")} << 2 << 1000
            << QStringLiteral("甲:甲1,丙;乙:丙,乙1;甲1:甲2;丙:甲,丙2") << QStringLiteral("乙1:乙2,甲2")
            << QStringLiteral("乙:丁")
            << QStringList{QStringLiteral("甲1|下拉联想|甲|1"), QStringLiteral("丙|下拉联想|甲|1"),
                           QStringLiteral("乙1|下拉联想|乙|1"), QStringLiteral("丁|大家还在搜|乙|1"),
                           QStringLiteral("甲2|下拉联想|甲|2"), QStringLiteral("丙2|下拉联想|甲|2"),
                           QStringLiteral("乙2|相关搜索|乙|2")}
            << 0 << QStringList{QStringLiteral("甲2"), QStringLiteral("丙2"), QStringLiteral("乙2")};
        QTest::newRow("the limit ends the run")
            << QStringList{QStringLiteral("甲"), QStringLiteral("乙")} << 3 << 3
            << QStringLiteral("甲:a,b;乙:c,d") << QStringLiteral("甲:e") << QString()
            << QStringList{QStringLiteral("a|下拉联想|甲|1"), QStringLiteral("b|下拉联想|甲|1"),
                           QStringLiteral("e|相关搜索|甲|1")}
            << 0 << QStringList{QStringLiteral("乙"), QStringLiteral("a")};
        QTest::newRow("an answer that is no JSON is counted, the run goes on")
            << QStringList{QStringLiteral("坏"), QStringLiteral("好")} << 1 << 1000
            << QStringLiteral("好:好1") << QStringLiteral("坏:坏1") << QString()
            << QStringList{QStringLiteral("坏1|相关搜索|坏|1"), QStringLiteral("好1|下拉联想|好|1")} << 1
            << QStringList();
    }
    void mines()
    {
        QFETCH(QStringList, seeds);
        QFETCH(int, depth);
        QFETCH(int, limit);
        QFETCH(QString, suggestions);
        QFETCH(QString, related);
        QFETCH(QString, also);
        QFETCH(QStringList, rows);
        QFETCH(int, failures);
        QFETCH(QStringList, neverExpanded);
        const QHash<QString, QStringList> suggested = offersOf(suggestions);
        const QHash<QString, QStringList> relatedTexts = offersOf(related);
        const QHash<QString, QStringList> alsoTexts = offersOf(also);
        const QByteArray realPage =
            testsupport::readTestData("real-pages/desktop_2017_435236402_day01_baidu_nba.html");
        LoopbackBaidu baidu;
        baidu.setHandler([&](const Request &request) {
            const QString keyword = QString::fromUtf8(request.param("wd"));
            if (request.path == "/sugrec")
                return Reply::page(
                    keyword == QStringLiteral("坏") ? kNotJson : suggestionAnswer(suggested.value(keyword)));
            if (keyword == QStringLiteral("nba"))
                return Reply::page(realPage);
            return Reply::page(relatedPage(relatedTexts.value(keyword), alsoTexts.value(keyword)));
        });

        MiningOptions options;
        options.depth = depth;
        options.limit = limit;
        QStringList found;
        MiningCallbacks callbacks;
        callbacks.found = [&](const MinedKeyword &keyword) {
            found.append(keyword.cells().join(QLatin1Char('|')));
        };
        QCOMPARE(mineKeywords(seeds, options, baidu.endpoints(), nullptr, callbacks), failures);
        QCOMPARE(found, rows);
        for (const Request &request : baidu.requests())
            QVERIFY2(!neverExpanded.contains(QString::fromUtf8(request.param("wd"))),
                     request.target.constData());
    }

    // A keyword page that is a robot check or block page: both of its sources failed.
    void namesBothSourcesOnBlockPages_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<bool>("redirect");
        QTest::newRow("robot check of 2026")
            << testsupport::readTestData("real-pages/captcha_2026_ourlyg_baidu_raw.html") << false;
        QTest::newRow("block page served with 200")
            << QByteArray("<html><head><title>页面不存在_百度搜索</title></head><body><p>抱歉，没有找到</p></"
                          "body></html>")
            << false;
        QTest::newRow("access-error page in GB2312")
            << QTextCodec::codecForName("GB2312")->fromUnicode(
                   QStringLiteral("<html><head><title>百度--您的访问出错了</title></head><body><form "
                                  "action=\"https://verify.baidu.com/verify\"></form></body></html>"))
            << false;
        QTest::newRow("robot check as a redirect") << QByteArray() << true;
    }
    void namesBothSourcesOnBlockPages()
    {
        QFETCH(QByteArray, page);
        QFETCH(bool, redirect);
        LoopbackBaidu baidu;
        baidu.setHandler([&](const Request &) {
            return redirect ? Reply::redirect("https://wappass.baidu.com/static/captcha/tuxing.html")
                            : Reply::page(page);
        });
        QStringList failed;
        MiningCallbacks callbacks;
        callbacks.failed = [&](const QString &keyword, const QString &source, const QString &) {
            failed.append(keyword + QLatin1Char('|') + source);
        };
        QCOMPARE(mineKeywords({QStringLiteral("甲")}, MiningOptions(), baidu.endpoints(), nullptr, callbacks),
                 2);
        QCOMPARE(failed, (QStringList{QStringLiteral("甲|下拉联想"), QStringLiteral("甲|相关搜索")}));
    }

    // A stop cuts the transfer in flight short and ends the thread.
    void stopsMidRequest()
    {
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &) { return Reply::silent(); });
        MiningRun run({QStringLiteral("甲")}, MiningOptions(), baidu.endpoints());
        QSignalSpy ended(&run, &MiningRun::threadEnd);
        QSignalSpy failed(&run, &MiningRun::failed);
        run.start();
        QTRY_COMPARE(baidu.requestCount(), 1);
        run.stop();
        QVERIFY(ended.wait(5000) || ended.count() == 1);
        QCOMPARE(failed.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestKeywordMining)
#include "tst_keywordmining.moc"
