#include "search/desktopinclusioncheck.h"
#include "search/resultstrings.h"
#include "tests/support/inclusionpages.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/resultcells.h"

#include <QtTest>

using namespace testsupport;

namespace {
const QString kIncluded = QStringLiteral("已收录");
const QString kNotIncluded = QStringLiteral("未收录");
const QString kNoTitle = QStringLiteral("无标题");
const QString kNoSnapshot = QStringLiteral("无快照");
const QString kAddress = QStringLiteral("https://www.example.com/page.html");
} // namespace

// The desktop inclusion check: its markers and patterns on built pages, and
// the whole check against a loopback Baidu.
class TestDesktopInclusion : public QObject
{
    Q_OBJECT

private slots:
    void judgesPage_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("snapshot");
        const QByteArray result = desktopHeading("Quillane") + desktopDateSpan("2022年3月1日&nbsp;-&nbsp;");
        const QString failed = QStringLiteral("异常");
        const auto dated = [](const QByteArray &span) { return desktopPage(desktopHeading("T") + span); };

        QTest::newRow("not found marker") << desktopPage(QByteArray("没有找到该URL。您可以直接访问") + result)
                                          << kAddress << kNotIncluded << QString() << QString();
        QTest::newRow("zero results marker") << desktopPage(QByteArray("百度为您找到相关结果约0个") + result)
                                             << kAddress << kNotIncluded << QString() << QString();
        QTest::newRow("many results but no entry")
            << desktopPage("百度为您找到相关结果约100,000个") << kAddress << failed << QString() << QString();
        QTest::newRow("neither marker nor entry")
            << desktopPage("<p>nothing</p>") << kAddress << failed << QString() << QString();
        QTest::newRow("robot check") << readTestData("real-pages/captcha_2022_DogInNoSense_agt1.html")
                                     << kAddress << failed << QString() << QString();
        QTest::newRow("block page served as an answer")
            << QByteArray(
                   "<html><head><title>页面不存在_百度搜索</title></head><body>没有找到该URL</body></html>")
            << kAddress << failed << QString() << QString();
        QTest::newRow("chinese date") << desktopPage(result) << kAddress << kIncluded
                                      << QStringLiteral("Quillane") << QStringLiteral("2022年3月1日");
        QTest::newRow("hyphenated date keeps its hyphens")
            << dated(desktopDateSpan("2021-05-06&nbsp;-&nbsp;")) << kAddress << kIncluded
            << QStringLiteral("T") << QStringLiteral("2021-05-06");
        QTest::newRow("first of two dates")
            << dated(desktopDateSpan("1天前") + desktopDateSpan("2天前")) << kAddress << kIncluded
            << QStringLiteral("T") << QStringLiteral("1天前");
        QTest::newRow("date ends at first span close")
            << dated("<span class=\" newTimeFactor_before_abs m\">3天前</span>后文</span>") << kAddress
            << kIncluded << QStringLiteral("T") << QStringLiteral("3天前");
        QTest::newRow("date across lines") << dated(desktopDateSpan("2020年\n1月")) << kAddress << kIncluded
                                           << QStringLiteral("T") << QStringLiteral("2020年 1月");
        QTest::newRow("text that is no entity stays")
            << dated(desktopDateSpan("&nb-sp;5日")) << kAddress << kIncluded << QStringLiteral("T")
            << QStringLiteral("&nb-sp;5日");
        QTest::newRow("date class with other blanks")
            << dated("<span class=\"newTimeFactor_before_abs  m\">1天前</span>") << kAddress << kIncluded
            << QStringLiteral("T") << QStringLiteral("1天前");
        QTest::newRow("no date") << desktopPage(desktopHeading("T")) << kAddress << kIncluded
                                 << QStringLiteral("T") << kNoSnapshot;
        QTest::newRow("title em removed") << desktopPage(desktopHeading("<em>Quillane</em>工具")) << kAddress
                                          << kIncluded << QStringLiteral("Quillane工具") << kNoSnapshot;
        QTest::newRow("title without badge, entities decoded")
            << desktopPage(desktopHeading("A &amp; B</a><a href=\"https://trust.baidu.com/vstar\">官方"))
            << kAddress << kIncluded << QStringLiteral("A & B") << kNoSnapshot;
        QTest::newRow("title without markup")
            << desktopPage("<h3 class=\"t\"><a href=\"u\">A <b>B</b></a></h3>") << kAddress << kIncluded
            << QStringLiteral("A B") << kNoSnapshot;
        QTest::newRow("heading across lines")
            << desktopPage("<h3 class=\"t\" >\n<a\nhref=\"u\">x\ny</a></h3>") << kAddress << kIncluded
            << QStringLiteral("x y") << kNoSnapshot;
        QTest::newRow("stray heading ends are no heading")
            << desktopPage("<p>>a</a></h3>b</a></h3>c") << kAddress << failed << QString() << QString();
        QTest::newRow("first heading wins") << desktopPage(desktopHeading("一") + desktopHeading("二"))
                                            << kAddress << kIncluded << QStringLiteral("一") << kNoSnapshot;
        QTest::newRow("nul byte before the results")
            << desktopPage(QByteArray("\0", 1) + result) << kAddress << kIncluded
            << QStringLiteral("Quillane") << QStringLiteral("2022年3月1日");
        QTest::newRow("first entry states the address, other scheme")
            << desktopPage("<h3 class=\"t\"><a href=\"http://WWW.example.com/page.html\">P</a></h3>")
            << kAddress << kIncluded << QStringLiteral("P") << kNoSnapshot;
        QTest::newRow("first entry states another address")
            << desktopPage("<h3 class=\"t\"><a href=\"https://www.example.com/other.html\">P</a></h3>")
            << kAddress << failed << QString() << QString();
        const QByteArray real2017 = readTestData("real-pages/desktop_2017_435236402_day01_baidu_nba.html");
        QTest::newRow("real 2017 page")
            << real2017 << QStringLiteral("https://sports.qq.com/nba/?ptag=baidu.ald.sc.nba") << kIncluded
            << QStringLiteral("NBA常规赛_腾讯体育") << QStringLiteral("2017-12-16");
        QTest::newRow("real 2017 page for another address")
            << real2017 << kAddress << failed << QString() << QString();
    }

    void judgesPage()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, address);
        const DesktopSiteVerdict verdict = judgeDesktopSitePage(readResultPage(body), address);
        QTEST(verdict.status, "status");
        QTEST(verdict.title, "title");
        QTEST(verdict.snapshot, "snapshot");
    }

    void checkAsksForTheAddressAsTyped_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("plain") << kAddress << QByteArray("/s?wd=https%3A%2F%2Fwww.example.com%2Fpage.html");
        QTest::newRow("blank, & and #")
            << QStringLiteral("http://a.com/x y?p=1&q=2#top")
            << QByteArray("/s?wd=http%3A%2F%2Fa.com%2Fx%20y%3Fp%3D1%26q%3D2%23top");
        QTest::newRow("chinese") << QStringLiteral("http://例子.cn/页")
                                 << QByteArray("/s?wd=http%3A%2F%2F%E4%BE%8B%E5%AD%90.cn%2F%E9%A1%B5");
    }

    void checkAsksForTheAddressAsTyped()
    {
        QFETCH(QString, address);
        QFETCH(QByteArray, target);
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &) {
            return Reply::page(desktopPage(desktopHeading("标题") + desktopDateSpan("2023年1月2日")));
        });
        const InclusionResult result = desktopInclusionCheck(address, baidu.endpoints());
        QCOMPARE(cellsText(result),
                 QStringLiteral("标题|") + address + QStringLiteral("|已收录|2023年1月2日"));
        const QList<Request> log = baidu.requests();
        QCOMPARE(log.size(), 1);
        QCOMPARE(log.first().scheme, QByteArray("https"));
        QCOMPARE(log.first().target, target);
        QCOMPARE(log.first().param("wd"), address.toUtf8());
        QCOMPARE(log.first().header("Accept"), QByteArray("*"));
        QVERIFY(log.first().header("User-Agent").contains("Windows NT 6.3"));
    }

    void notIncludedResultHasEmptyFields()
    {
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &) { return Reply::page(desktopPage("没有找到该URL")); });
        QCOMPARE(cellsText(desktopInclusionCheck(kAddress, baidu.endpoints())),
                 QStringLiteral("|") + kAddress + QStringLiteral("|未收录|"));
    }
};

QTEST_GUILESS_MAIN(TestDesktopInclusion)
#include "tst_desktopinclusion.moc"
