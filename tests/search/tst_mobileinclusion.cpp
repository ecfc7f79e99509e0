#include "search/mobileinclusioncheck.h"
#include "tests/support/inclusionpages.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/resultcells.h"

#include <QtTest>

using namespace testsupport;

namespace {
const QString kIncluded = QStringLiteral("已收录");
const QString kNotIncluded = QStringLiteral("未收录");
const QString kFailed = QStringLiteral("异常");
const QString kNoTitle = QStringLiteral("无法获取标题");
const QString kNoSnapshot = QStringLiteral("无快照");
const QString kAddress = QStringLiteral("https://www.example.com/a/page.html");
const QByteArray kSameFirst = "http://www.example.com/a/page.html";

QByteArray block(const QByteArray &attributes, const QByteArray &mu, const QByteArray &title)
{
    return "<div class=\"c-result result\" " + attributes + " data-log=\"{'order':'1','mu':'" + mu +
           "'}\"><a class=\"c-blocka\" href=\"https://m.baidu.com/from=0/tc?x\"><h3 class=\"c-title\">" +
           title + "</h3></a></div>";
}
} // namespace

// The mobile inclusion check: the first result the page shows, the one
// address comparison, the title and date read from the block, then the whole
// check against a loopback Baidu.
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
        const QByteArray mobileReal =
            readTestData("real-pages/mobile_2019_muyun001_rua_bianpofanghuwang.html");

        QTest::newRow("not found statement wins over a first result")
            << mobilePage(QByteArray("抱歉，没有找到与之相关的结果") + mobileFirstResult(kSameFirst) +
                          details)
            << kAddress << kNotIncluded << QString() << QString();
        QTest::newRow("2026 not-found wording")
            << mobilePage("<div class=\"c-result-none\"><p>抱歉，未找到相关结果。</p></div>") << kAddress
            << kNotIncluded << QString() << QString();
        QTest::newRow("neither results nor a not-found statement")
            << mobilePage("<p>results</p>") << kAddress << kFailed << QString() << QString();
        QTest::newRow("data-log text outside a block is no result")
            << mobilePage("搜索结果第1条X标题,'order':'1','mu':'http://www.example.com/a/page.html'")
            << kAddress << kFailed << QString() << QString();
        QTest::newRow("a label without a result block") << mobilePage("<a aria-label=\"搜索结果第1条.标题\">")
                                                        << kAddress << kFailed << QString() << QString();
        QTest::newRow("scheme and final slash differ")
            << mobilePage(mobileFirstResult("http://www.example.com/a/page.html/") + details) << kAddress
            << kIncluded << QStringLiteral("示例页面") << QStringLiteral("3天前");
        QTest::newRow("m. and www. are different pages")
            << mobilePage(mobileFirstResult("http://m.example.com/a/page.html") + details) << kAddress
            << kNotIncluded << QString() << QString();
        QTest::newRow("requested address keeps its final slash")
            << mobilePage(mobileFirstResult("https://www.example.com/a/") + details)
            << QStringLiteral("https://www.example.com/a/") << kIncluded << QStringLiteral("示例页面")
            << QStringLiteral("3天前");
        QTest::newRow("full stops count")
            << mobilePage(mobileFirstResult("http://www.examplecom/a/pagehtml") + details) << kAddress
            << kNotIncluded << QString() << QString();
        QTest::newRow("addresses without a full stop are compared too")
            << mobilePage(mobileFirstResult("http://intranet/x") + details)
            << QStringLiteral("http://localhost/y") << kNotIncluded << QString() << QString();
        QTest::newRow("host case is ignored")
            << mobilePage(mobileFirstResult(kSameFirst) + details)
            << QStringLiteral("https://WWW.Example.com/a/page.html") << kIncluded
            << QStringLiteral("示例页面") << QStringLiteral("3天前");
        QTest::newRow("path case is kept") << mobilePage(mobileFirstResult(kSameFirst) + details)
                                           << QStringLiteral("https://www.example.com/A/page.html")
                                           << kNotIncluded << QString() << QString();
        QTest::newRow("different path")
            << mobilePage(mobileFirstResult("http://www.example.com/b/page.html") + details) << kAddress
            << kNotIncluded << QString() << QString();
        QTest::newRow("quotes in other attributes do not end the address")
            << mobilePage(mobileFirstResult(kSameFirst) + "<i data-x=\"{'k':'v'}\"></i>" + details)
            << kAddress << kIncluded << QStringLiteral("示例页面") << QStringLiteral("3天前");
        QTest::newRow("only the first result shown counts")
            << mobilePage(QByteArray("{'x':'0','order':'2','mu':'http://m.other.org/'}") +
                          mobileFirstResult(kSameFirst) + details)
            << kAddress << kIncluded << QStringLiteral("示例页面") << QStringLiteral("3天前");
        QTest::newRow("a hidden copy, an ad and a box before the first result")
            << mobilePage(block("style=\"display: none!important;\"", "http://www.other.cn/", "copy") +
                          block("", "https://www.baidu.com/other.php?url=ad", "广告") +
                          "<div class=\"c-result result\" "
                          "data-log=\"{'mu':'http://34689.recommend_list.baidu.com'}\">"
                          "<h3 class=\"c-title\">其他人还在搜</h3><a href=\"/s?word=x\">x</a></div>" +
                          mobileFirstResult(kSameFirst) + details)
            << kAddress << kIncluded << QStringLiteral("示例页面") << QStringLiteral("3天前");
        QTest::newRow("footer when no date span")
            << mobilePage(mobileFirstResult(kSameFirst) + mobileTitleSpan("T") +
                          mobileFooterSpan("example.com 2天前"))
            << kAddress << kIncluded << QStringLiteral("T") << QStringLiteral("2天前");
        QTest::newRow("date span after a footer without a date")
            << mobilePage(mobileFirstResult(kSameFirst) + mobileTitleSpan("") + mobileFooterSpan("foot") +
                          mobileDateSpan("1天前"))
            << kAddress << kIncluded << kNoTitle << QStringLiteral("1天前");
        QTest::newRow("neither date, footer nor title text")
            << mobilePage(mobileFirstResult(kSameFirst) + mobileTitleSpan("")) << kAddress << kIncluded
            << kNoTitle << kNoSnapshot;
        QTest::newRow("the first date shown, as text")
            << mobilePage(mobileFirstResult(kSameFirst) + mobileTitleSpan("T") +
                          mobileDateSpan("2021-05-06&nbsp;\n<b>x</b>") + mobileDateSpan("later"))
            << kAddress << kIncluded << QStringLiteral("T") << QStringLiteral("2021-05-06");
        QTest::newRow("title as shown: tags gone, words kept")
            << mobilePage(mobileFirstResult(kSameFirst) + mobileTitleSpan("metadata about <b>x</b>"))
            << kAddress << kIncluded << QStringLiteral("metadata about x") << kNoSnapshot;
        QTest::newRow("title em tags removed, other markup's text kept")
            << mobilePage(mobileFirstResult(kSameFirst) + mobileTitleSpan("<em>A</em> <i>B</i>")) << kAddress
            << kIncluded << QStringLiteral("A B") << kNoSnapshot;
        QTest::newRow("nul byte before the first result")
            << mobilePage(QByteArray("\0", 1) + mobileFirstResult(kSameFirst) + details) << kAddress
            << kIncluded << QStringLiteral("示例页面") << QStringLiteral("3天前");
        QTest::newRow("first result states no address")
            << mobilePage(block("", "", "T")) << kAddress << kFailed << QString() << QString();
        QTest::newRow("a placeholder address is none")
            << mobilePage(block("", "http://nourl.ubs.baidu.com/53423", "T")) << kAddress << kFailed
            << QString() << QString();
        QTest::newRow("robot check known by its scripts, title unreadable")
            << QByteArray("<html><head><title>\xb0\xd9</title><script "
                          "src=\"https://wappass.baidu.com/static/machine/js/api/mkd.js\"></script></head>"
                          "<body><div class=\"timeout\">x</div></body></html>")
            << kAddress << kFailed << QString() << QString();
        QTest::newRow("real page: its first result is a card")
            << mobileReal
            << QStringLiteral("https://b2b.baidu.com/"
                              "s?q=%E5%9B%9B%E5%B7%9D%E8%BE%B9%E5%9D%A1%E9%98%B2%E6%8A%A4%E7%BD%91")
            << kIncluded << QStringLiteral("四川边坡防护网_优质商品价格_百度爱采购") << kNoSnapshot;
        QTest::newRow("real page: a later result is not the answer")
            << mobileReal << QStringLiteral("http://www.028jckj.com") << kNotIncluded << QString()
            << QString();
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
        const MobileSiteVerdict verdict = judgeMobileSitePage(readResultPage(body), address);
        QCOMPARE(verdict.status, status);
        QCOMPARE(verdict.title, title);
        QCOMPARE(verdict.snapshot, snapshot);
        QCOMPARE(verdict.failure.isEmpty(), status != kFailed);
    }

    void checkAsksForTheAddressAsTyped()
    {
        const QString address = QStringLiteral("https://www.example.com/a b?x=1&y=中#frag");
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &) {
            return Reply::page(mobilePage(mobileFirstResult("http://www.example.com/a b?x=1&y=中#frag") +
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
