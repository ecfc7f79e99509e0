#include "search/mobilerankingcheck.h"
#include "search/resultstrings.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/rankingpages.h"
#include "tests/support/resultcells.h"

#include <QtTest>

using testsupport::LoopbackBaidu;
using testsupport::Reply;
using testsupport::Request;

namespace {

// The address ranked in every row; entry addresses are only compared, never fetched.
const QByteArray kAddress = "http://www.example.com/a";
// A keyword result page that is Baidu's robot check instead.
const QByteArray kRobot = "!robot";

QList<QByteArray> entries(int count, const QMap<int, QByteArray> &special)
{
    QList<QByteArray> list;
    for (int i = 1; i <= count; ++i)
        list.append(special.value(i, "http://www.other.com/" + QByteArray::number(i)));
    return list;
}

QList<QByteArray> others(int count)
{
    return entries(count, {});
}

} // namespace

using PageList = QList<QList<QByteArray>>;

// The mobile ranking check against a loopback Baidu: the site verdict, the
// three result pages, how their positions compose, and what each line costs.
class TestMobileRanking : public QObject
{
    Q_OBJECT

private slots:
    void ranksOverThreePages_data()
    {
        QTest::addColumn<QByteArray>("site");    // the first address of the site answer, or a page kind
        QTest::addColumn<PageList>("pages");     // entries of pages 1, 2, 3; kRobot for a robot check
        QTest::addColumn<QByteArray>("address"); // as typed
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("position");
        QTest::addColumn<int>("requests");

        const QByteArray site = kAddress;
        QTest::newRow("entry 4 of page 1") << site << PageList{entries(10, {{4, kAddress}})} << kAddress
                                           << ResultText::kIncluded << QStringLiteral("4") << 2;
        QTest::newRow("entry 3 of page 2") << site << PageList{others(10), entries(10, {{3, kAddress}})}
                                           << kAddress << ResultText::kIncluded << QStringLiteral("13") << 3;
        QTest::newRow("entry 10 of page 2") << site << PageList{others(10), entries(10, {{10, kAddress}})}
                                            << kAddress << ResultText::kIncluded << QStringLiteral("20") << 3;
        QTest::newRow("entry 10 of page 3")
            << site << PageList{others(10), others(10), entries(10, {{10, kAddress}})} << kAddress
            << ResultText::kIncluded << QStringLiteral("30") << 4;
        QTest::newRow("entry 7 of page 3")
            << site << PageList{others(10), others(10), entries(10, {{7, kAddress}})} << kAddress
            << ResultText::kIncluded << QStringLiteral("27") << 4;
        QTest::newRow("nowhere") << site << PageList{others(10), others(10), others(10)} << kAddress
                                 << ResultText::kIncluded << QStringLiteral("30+") << 4;
        QTest::newRow("entries 2 and 6 of one page")
            << site << PageList{entries(10, {{2, kAddress}, {6, kAddress}})} << kAddress
            << ResultText::kIncluded << QStringLiteral("6") << 2;
        QTest::newRow("result slash dropped")
            << site << PageList{entries(10, {{5, kAddress + "/"}})} << kAddress << ResultText::kIncluded
            << QStringLiteral("5") << 2;
        QTest::newRow("typed slash matches on both pages")
            << QByteArray(kAddress) << PageList{entries(10, {{5, kAddress}})} << QByteArray(kAddress + "/")
            << ResultText::kIncluded << QStringLiteral("5") << 2;
        QTest::newRow("positions count on over pages showing fewer results")
            << site << PageList{others(7), entries(8, {{3, kAddress}})} << kAddress << ResultText::kIncluded
            << QStringLiteral("10") << 3;
        QTest::newRow("Baidu's word that there are no more results ends the search")
            << site << PageList{others(10), {"!notfound"}} << kAddress << ResultText::kIncluded
            << QStringLiteral("30+") << 3;
        QTest::newRow("https result matches typed http")
            << site << PageList{entries(10, {{8, "https://www.example.com/a"}})} << kAddress
            << ResultText::kIncluded << QStringLiteral("8") << 2;
        QTest::newRow("m against www is another page")
            << QByteArray("https://m.example.com/a/") << PageList{entries(10, {{2, kAddress}})} << kAddress
            << ResultText::kNotIncluded << QStringLiteral("--") << 1;
        QTest::newRow("other first address is not included")
            << QByteArray("http://www.example.com/b") << PageList{} << kAddress << ResultText::kNotIncluded
            << QStringLiteral("--") << 1;
        QTest::newRow("not found") << QByteArray("!notfound") << PageList{} << kAddress
                                   << ResultText::kNotIncluded << QStringLiteral("--") << 1;
        QTest::newRow("a first result without an address is no answer")
            << QByteArray("!noaddress") << PageList{others(10), entries(10, {{1, kAddress}})} << kAddress
            << ResultText::kFailed << QString() << 1;
        QTest::newRow("robot check on page 1")
            << site << PageList{{kRobot}} << kAddress << ResultText::kIncluded << ResultText::kFailed << 2;
        QTest::newRow("robot check on page 2") << site << PageList{others(10), {kRobot}} << kAddress
                                               << ResultText::kIncluded << ResultText::kFailed << 3;
        QTest::newRow("robot check on page 3")
            << site << PageList{others(10), others(10), {kRobot}} << kAddress << ResultText::kIncluded
            << ResultText::kFailed << 4;
        QTest::newRow("page without entries or not-found text")
            << site << PageList{{}, {}, {}} << kAddress << ResultText::kIncluded << ResultText::kFailed << 2;
    }

    void ranksOverThreePages()
    {
        QFETCH(QByteArray, site);
        QFETCH(PageList, pages);
        QFETCH(QByteArray, address);
        QFETCH(QString, status);

        LoopbackBaidu baidu;
        baidu.setHandler([&](const Request &request) {
            if (request.param("word").startsWith("http")) {
                if (site == "!notfound")
                    return Reply::page(testsupport::mobileRankingNotFoundPage());
                if (site == "!noaddress")
                    return Reply::page(testsupport::mobileRankingNoAddressPage());
                return Reply::page(testsupport::mobileRankingSitePage(site, "2021年3月4日"));
            }
            const int page = request.param("pn").toInt() / 10;
            const QList<QByteArray> list = pages.value(page);
            if (list.value(0) == kRobot)
                return Reply::page(testsupport::robotCheckPage());
            if (list.value(0) == "!notfound")
                return Reply::page(testsupport::mobileRankingNotFoundPage());
            return Reply::page(testsupport::mobileKeywordPage(list));
        });

        const QStringList fields =
            rankMobile(QStringLiteral("关键词 ") + QString::fromUtf8(address), baidu.endpoints()).cells();
        QCOMPARE(fields.size(), 5);
        QCOMPARE(fields.at(0), QStringLiteral("关键词"));
        QCOMPARE(fields.at(1), QString::fromUtf8(address));
        QCOMPARE(fields.at(2), status);
        QTEST(fields.at(3), "position");
        QCOMPARE(fields.at(4), status == ResultText::kIncluded ? QStringLiteral("2021年3月4日") : QString());
        QTEST(baidu.requestCount(), "requests");
    }

    void sendsPageRequests()
    {
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &request) {
            return Reply::page(request.param("word").startsWith("http")
                                   ? testsupport::mobileRankingSitePage(kAddress, "x")
                                   : testsupport::mobileKeywordPage(others(10)));
        });
        rankMobile(QStringLiteral("seo 工具 ") + QString::fromUtf8(kAddress), baidu.endpoints());

        const QList<Request> log = baidu.requests();
        QCOMPARE(log.size(), 4);
        QCOMPARE(log.at(0).scheme, QByteArray("https"));
        QCOMPARE(log.at(0).param("word"), kAddress);
        QVERIFY(log.at(0).header("User-Agent").contains("Android"));
        const QByteArray suffixes[] = {"", "&pn=10", "&pn=20"};
        for (int page = 1; page <= 3; ++page) {
            const Request &request = log.at(page);
            QCOMPARE(request.scheme, QByteArray("https"));
            QCOMPARE(QString::fromUtf8(request.param("word")), QStringLiteral("seo 工具"));
            QVERIFY(request.header("User-Agent").contains("Windows NT"));
            QCOMPARE(request.header("Accept"), QByteArray("*/*"));
            const QByteArray &suffix = suffixes[page - 1];
            QVERIFY2(suffix.isEmpty() ? !request.target.contains("pn=") : request.target.endsWith(suffix),
                     request.target.constData());
        }
    }

    void failedSiteQueryReadsNoPage_data()
    {
        QTest::addColumn<int>("kind"); // 0 robot check, 1 HTTP 503, 2 dropped connection
        QTest::newRow("robot check") << 0;
        QTest::newRow("server error") << 1;
        QTest::newRow("dropped connection") << 2;
    }

    void failedSiteQueryReadsNoPage()
    {
        QFETCH(int, kind);
        LoopbackBaidu baidu;
        baidu.setHandler([kind](const Request &) {
            if (kind == 0)
                return Reply::page(testsupport::robotCheckPage());
            return kind == 1 ? Reply::withStatus(503, "busy") : Reply::dropped();
        });
        const QString address = QString::fromUtf8(kAddress);
        QCOMPARE(testsupport::cellsText(rankMobile(QStringLiteral("kw ") + address, baidu.endpoints())),
                 QStringLiteral("kw|") + address + QStringLiteral("|异常||"));
        QCOMPARE(baidu.requestCount(), 1);
    }

    void notIncludedPageMakesNoRequest()
    {
        LoopbackBaidu baidu;
        QCOMPARE(searchMobilePage(QStringLiteral("kw"), QString::fromUtf8(kAddress), ResultText::kNotIncluded,
                                  2, baidu.endpoints()),
                 ResultText::kPositionNotSearched);
        QCOMPARE(baidu.requestCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestMobileRanking)
#include "tst_mobileranking.moc"
