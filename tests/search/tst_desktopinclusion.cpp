#include "desktopinclusioncheck.h"
#include "inclusionpages.h"
#include "loopbackbaidu.h"
#include "resultcells.h"
#include "resultstrings.h"

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
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("snapshot");
        const QByteArray result = desktopHeading("Quillane") + desktopDateSpan("2022年3月1日&nbsp;-&nbsp;");

        QTest::newRow("not found marker") << desktopPage(QByteArray("没有找到该URL。您可以直接访问") + result)
                                          << kNotIncluded << QString() << QString();
        QTest::newRow("zero results marker") << desktopPage(QByteArray("百度为您找到相关结果约0个") + result)
                                             << kNotIncluded << QString() << QString();
        QTest::newRow("many results is no marker") << desktopPage("百度为您找到相关结果约100,000个")
                                                   << kIncluded << kNoTitle << kNoSnapshot;
        QTest::newRow("neither marker nor pattern") << desktopPage("<p>nothing</p>") << kIncluded << kNoTitle
                                                    << kNoSnapshot;
        QTest::newRow("chinese date") << desktopPage(result) << kIncluded << QStringLiteral("Quillane")
                                      << QStringLiteral("2022年3月1日");
        QTest::newRow("hyphenated date runs together") << desktopPage(desktopDateSpan("2021-05-06&nbsp;"))
                                                       << kIncluded << kNoTitle << QStringLiteral("20210506");
        QTest::newRow("first of two dates") << desktopPage(desktopDateSpan("1天前") + desktopDateSpan("2天前"))
                                            << kIncluded << kNoTitle << QStringLiteral("1天前");
        QTest::newRow("date ends at first span close")
            << desktopPage("<span class=\" newTimeFactor_before_abs m\">3天前</span>后文</span>") << kIncluded
            << kNoTitle << QStringLiteral("3天前");
        QTest::newRow("date across lines") << desktopPage(desktopDateSpan("2020年\n1月")) << kIncluded << kNoTitle
                                           << QStringLiteral("2020年\n1月");
        // "-" goes last, so a hyphen inside an entity leaves the entity behind.
        QTest::newRow("date removal order") << desktopPage(desktopDateSpan("&nb-sp;5日")) << kIncluded << kNoTitle
                                            << QStringLiteral("&nbsp;5日");
        QTest::newRow("date class without leading blank")
            << desktopPage("<span class=\"newTimeFactor_before_abs m\">1天前</span>") << kIncluded << kNoTitle
            << kNoSnapshot;
        QTest::newRow("title em removed") << desktopPage(desktopHeading("<em>Quillane</em>工具")) << kIncluded
                                          << QStringLiteral("Quillane工具") << kNoSnapshot;
        // "</em>" goes before "<em>": the closing tag's removal forms an opening one.
        QTest::newRow("title removal order") << desktopPage(desktopHeading("<em</em>>x")) << kIncluded
                                             << QStringLiteral("x") << kNoSnapshot;
        QTest::newRow("title keeps markup after first >")
            << desktopPage("<h3 class=\"t\"><a href=\"u\">A <b>B</b></a></h3>") << kIncluded
            << QStringLiteral("<a href=\"u\">A <b>B</b>") << kNoSnapshot;
        QTest::newRow("title from the line's first > to its last heading end")
            << desktopPage("<p>>a</a></h3>b</a></h3>c") << kIncluded << QStringLiteral(">a</a></h3>b") << kNoSnapshot;
        QTest::newRow("title does not cross lines") << desktopPage("<p>x\n</a></h3>") << kIncluded << kNoTitle
                                                    << kNoSnapshot;
        QTest::newRow("first heading line wins") << desktopPage(desktopHeading("一") + desktopHeading("二"))
                                                 << kIncluded << QStringLiteral("一") << kNoSnapshot;
        QTest::newRow("title is case-sensitive") << desktopPage("<p>x</A></H3>") << kIncluded << kNoTitle
                                                 << kNoSnapshot;
        QTest::newRow("nul byte before the results")
            << desktopPage(QByteArray("\0", 1) + result) << kIncluded << QStringLiteral("Quillane")
            << QStringLiteral("2022年3月1日");
        QTest::newRow("real 2017 page") << readTestData("real-pages/desktop_2017_435236402_day01_baidu_nba.html")
                                        << kIncluded << QString() << kNoSnapshot;
    }

    void judgesPage()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, status);
        QFETCH(QString, title);
        QFETCH(QString, snapshot);
        const DesktopSiteVerdict verdict = judgeDesktopSitePage(body);
        QCOMPARE(verdict.status, status);
        if (!title.isNull() || status != kIncluded)
            QCOMPARE(verdict.title, title);
        else
            QVERIFY(!verdict.title.isEmpty() && verdict.title != kNoTitle);
        QCOMPARE(verdict.snapshot, snapshot);
    }

    void checkAsksForTheAddressAsTyped_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("plain") << kAddress << QByteArray("/s?wd=https%3A%2F%2Fwww.example.com%2Fpage.html");
        QTest::newRow("blank, & and #") << QStringLiteral("http://a.com/x y?p=1&q=2#top")
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
        QCOMPARE(cellsText(desktopInclusionCheck(address, baidu.endpoints())),
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
