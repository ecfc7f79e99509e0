#include "search/mobileinclusioncheck.h"
#include "tests/support/inclusionpages.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/resultcells.h"

#include <QtTest>

using namespace testsupport;

namespace {
const QString kIncluded = QStringLiteral("已收录");
const QString kNotIncluded = QStringLiteral("未收录");
const QString kNoTitle = QStringLiteral("无法获取标题");
const QString kNoSnapshot = QStringLiteral("无快照");
const QString kAddress = QStringLiteral("https://www.example.com/a/page.html");
const QByteArray kSameFirst = "http://m.example.com/a/page.html";
} // namespace

// The mobile inclusion check: markers, the first-address comparison and the
// snapshot and title patterns, then the whole check against a loopback Baidu.
class TestMobileInclusion : public QObject
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
        const QByteArray details = mobileTitleSpan("示例<em>页面</em>") + mobileDateSpan("3天前");

        QTest::newRow("not found marker wins over a first result")
            << mobilePage(QByteArray("抱歉，没有找到与之相关的结果") + mobileFirstResult(kSameFirst) +
                          details)
            << kAddress << kNotIncluded << QString() << QString();
        QTest::newRow("no first result marker")
            << mobilePage("<p>results</p>") << kAddress << kNotIncluded << QString() << QString();
        QTest::newRow("first result marker full stop is literal")
            << mobilePage("搜索结果第1条X标题,'order':'1','mu':'http://m.example.com/a/page.html'")
            << kAddress << kNotIncluded << QString() << QString();
        QTest::newRow("marker without a first address") << mobilePage("<a aria-label=\"搜索结果第1条.标题\">")
                                                        << kAddress << QString() << QString() << QString();
        QTest::newRow("scheme, first label and final slash differ")
            << mobilePage(mobileFirstResult("http://m.example.com/a/page.html/") + details) << kAddress
            << kIncluded << QStringLiteral("示例页面") << QStringLiteral("3天前");
        QTest::newRow("requested address keeps its final slash")
            << mobilePage(mobileFirstResult("https://www.example.com/a/") + details)
            << QStringLiteral("https://www.example.com/a/") << kNotIncluded << QString() << QString();
        QTest::newRow("full stops elsewhere are ignored")
            << mobilePage(mobileFirstResult("http://m.examplecom/a/pagehtml") + details) << kAddress
            << kIncluded << QStringLiteral("示例页面") << QStringLiteral("3天前");
        QTest::newRow("addresses without a full stop both normalise to empty")
            << mobilePage(mobileFirstResult("http://intranet/x") + details)
            << QStringLiteral("http://localhost/y") << kIncluded << QStringLiteral("示例页面")
            << QStringLiteral("3天前");
        QTest::newRow("case is kept") << mobilePage(mobileFirstResult(kSameFirst) + details)
                                      << QStringLiteral("https://www.Example.com/a/page.html") << kNotIncluded
                                      << QString() << QString();
        QTest::newRow("different path")
            << mobilePage(mobileFirstResult("http://m.example.com/b/page.html") + details) << kAddress
            << kNotIncluded << QString() << QString();
        QTest::newRow("first address ends at the next quote")
            << mobilePage(mobileFirstResult(kSameFirst) + "<i data-x=\"{'k':'v'}\"></i>" + details)
            << kAddress << kIncluded << QStringLiteral("示例页面") << QStringLiteral("3天前");
        QTest::newRow("only the result ordered first counts")
            << mobilePage(QByteArray("{'x':'0','order':'2','mu':'http://m.other.org/'}") +
                          mobileFirstResult(kSameFirst) + details)
            << kAddress << kIncluded << QStringLiteral("示例页面") << QStringLiteral("3天前");
        QTest::newRow("footer when no date span")
            << mobilePage(mobileFirstResult(kSameFirst) + mobileTitleSpan("T") +
                          mobileFooterSpan("example.com 2天前"))
            << kAddress << kIncluded << QStringLiteral("T") << QStringLiteral("example.com 2天前");
        QTest::newRow("date span preferred over an earlier footer")
            << mobilePage(mobileFirstResult(kSameFirst) + mobileFooterSpan("foot") + mobileDateSpan("1天前"))
            << kAddress << kIncluded << kNoTitle << QStringLiteral("1天前");
        QTest::newRow("neither date, footer nor title")
            << mobilePage(mobileFirstResult(kSameFirst)) << kAddress << kIncluded << kNoTitle << kNoSnapshot;
        QTest::newRow("date kept unchanged, first of two, across lines")
            << mobilePage(mobileFirstResult(kSameFirst) + mobileDateSpan("2021-05-06&nbsp;\n<b>x</b>") +
                          mobileDateSpan("later"))
            << kAddress << kIncluded << kNoTitle << QStringLiteral("2021-05-06&nbsp;\n<b>x</b>");
        // Each removal runs from "data" to the next ">", also inside the title text.
        QTest::newRow("data stretches removed from the title")
            << mobilePage(mobileFirstResult(kSameFirst) + mobileTitleSpan("metadata about <b>x</b>"))
            << kAddress << kIncluded << QStringLiteral("metax</b>") << kNoSnapshot;
        QTest::newRow("title em tags removed, other markup kept")
            << mobilePage(mobileFirstResult(kSameFirst) + mobileTitleSpan("<em>A</em> <i>B</i>")) << kAddress
            << kIncluded << QStringLiteral("A <i>B</i>") << kNoSnapshot;
        QTest::newRow("nul byte before the first result")
            << mobilePage(QByteArray("\0", 1) + mobileFirstResult(kSameFirst) + details) << kAddress
            << kIncluded << QStringLiteral("示例页面") << QStringLiteral("3天前");
        QTest::newRow("real desktop page is no mobile answer")
            << readTestData("real-pages/desktop_2022_DogInNoSense_agt_wodeip.html") << kAddress
            << kNotIncluded << QString() << QString();
    }

    void judgesPage()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, address);
        QFETCH(QString, status);
        QFETCH(QString, title);
        QFETCH(QString, snapshot);
        const MobileSiteVerdict verdict = judgeMobileSitePage(body, address);
        QCOMPARE(verdict.status, status);
        QCOMPARE(verdict.title, title);
        QCOMPARE(verdict.snapshot, snapshot);
    }

    void checkAsksForTheAddressAsTyped()
    {
        const QString address = QStringLiteral("https://www.example.com/a b?x=1&y=中#frag");
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &) {
            return Reply::page(mobilePage(mobileFirstResult("http://m.example.com/a b?x=1&y=中#frag") +
                                          mobileTitleSpan("标题") + mobileDateSpan("2023-01-02")));
        });
        QCOMPARE(cellsText(mobileInclusionCheck(address, baidu.endpoints())),
                 QStringLiteral("标题|") + address + QStringLiteral("|已收录|2023-01-02"));
        const QList<Request> log = baidu.requests();
        QCOMPARE(log.size(), 1);
        QCOMPARE(log.first().scheme, QByteArray("https"));
        QCOMPARE(log.first().path, QByteArray("/s"));
        QCOMPARE(log.first().target,
                 QByteArray("/s?word=https%3A%2F%2Fwww.example.com%2Fa%20b%3Fx%3D1%26y%3D%E4%B8%AD%23frag"));
        QCOMPARE(log.first().param("word"), address.toUtf8());
        QCOMPARE(log.first().header("Accept"), QByteArray("*"));
        QVERIFY(log.first().header("User-Agent").contains("(KHTML, like Gecko)Version/4.0 MQQBrowser/4.4"));
    }
};

QTEST_GUILESS_MAIN(TestMobileInclusion)
#include "tst_mobileinclusion.moc"
