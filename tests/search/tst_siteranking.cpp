#include "search/siterankingcheck.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/rankingpages.h"

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using testsupport::LoopbackBaidu;
using testsupport::Reply;
using testsupport::Request;

namespace {

const QByteArray kBaiduRedirect = "http://www.baidu.com/link?url=";

// Where Baidu's redirect links of a real page lead: the address each entry
// shows, as its truth file records it; entries that show none lead elsewhere.
QHash<QByteArray, QByteArray> redirectTargets(const QString &page)
{
    const QJsonObject truth =
        QJsonDocument::fromJson(testsupport::readTestData(qPrintable(QStringLiteral("real-pages/truth/") +
                                                                     page + QStringLiteral(".truth.json"))))
            .object();
    QHash<QByteArray, QByteArray> targets;
    for (const QJsonValue &value : truth.value(QStringLiteral("entries")).toArray()) {
        const QJsonObject entry = value.toObject();
        const QByteArray href = entry.value(QStringLiteral("href")).toString().toUtf8();
        if (!href.startsWith(kBaiduRedirect))
            continue;
        QByteArray shown = entry.value(QStringLiteral("shown_url")).toString().toUtf8();
        shown.remove(0, shown.indexOf("://") < 0 ? 0 : shown.indexOf("://") + 3);
        const bool host = shown.contains('.') && !shown.contains(' ') && !shown.contains("...");
        const QByteArray target =
            host ? QByteArray("http://" + shown)
                 : QByteArray("http://elsewhere" + QByteArray::number(targets.size()) + ".cn/");
        targets.insert(href.mid(kBaiduRedirect.size()), target);
    }
    return targets;
}

QString u(const char *text)
{
    return QString::fromUtf8(text);
}

// Cells joined by "|".
QStringList cellsOf(const char *joined)
{
    return u(joined).split(QLatin1Char('|'));
}

struct Served
{
    LoopbackBaidu baidu;
    int resolutions() const
    {
        int count = 0;
        for (const Request &request : baidu.requests())
            count += request.path == "/link";
        return count;
    }
};

} // namespace

// The site ranking check against a loopback Baidu: which entries count as
// the site's, at which positions, and which redirect links it reads for that.
class TestSiteRanking : public QObject
{
    Q_OBJECT

private slots:
    void matchesTheSiteRule_data()
    {
        QTest::addColumn<QString>("site");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("matches");
        QTest::newRow("bare domain, itself") << u("qa-site.cn") << u("http://qa-site.cn/a") << true;
        QTest::newRow("bare domain, subdomain") << u("qa-site.cn") << u("https://m.news.qa-site.cn/") << true;
        QTest::newRow("bare domain, lookalike") << u("qa-site.cn") << u("http://bqa-site.cn/") << false;
        QTest::newRow("bare domain under com.cn")
            << u("qa-site.com.cn") << u("http://www.qa-site.com.cn/") << true;
        QTest::newRow("host, itself, any case")
            << u("www.qa-site.cn") << u("HTTP://WWW.QA-SITE.CN:8080/x") << true;
        QTest::newRow("host, the bare domain") << u("www.qa-site.cn") << u("http://qa-site.cn/") << false;
        QTest::newRow("host, another subdomain") << u("www.qa-site.cn") << u("http://m.qa-site.cn/") << false;
        QTest::newRow("typed as an address")
            << u("https://qa-site.cn/index.html") << u("http://a.qa-site.cn") << true;
        QTest::newRow("shown address with a date")
            << u("qa-site.cn") << u("qa-site.cn/news  2021-05-06") << true;
        QTest::newRow("cut-off host shows none") << u("qa-site.cn") << u("www.qa-si...") << false;
    }
    void matchesTheSiteRule()
    {
        QFETCH(QString, site);
        QFETCH(QString, address);
        QFETCH(bool, matches);
        QCOMPARE(SiteRule::parse(site).matchesAddress(address), matches);
    }

    // Real keyword pages: redirect-only entries (2017, 2020) and entries
    // that state their targets (2022, and some of 2017).
    void ranksOnRealPages_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("site");
        QTest::addColumn<QStringList>("expected"); // the row's cells after the keyword, title aside
        QTest::addColumn<int>("resolutions");
        const QString nba = QStringLiteral("desktop_2017_435236402_day01_baidu_nba.html");
        const QString python = QStringLiteral("desktop_2020_BaiduSpider_test_web_normal.html");
        const QString ip = QStringLiteral("desktop_2022_DogInNoSense_agt_wodeip.html");
        QTest::newRow("stated, no link read for other hosts")
            << nba << u("qq.com") << cellsOf("1|http://sports.qq.com/nba/?ptag=baidu.ald.sc.nba|1|") << 0;
        QTest::newRow("stated, several")
            << nba << u("baidu.com") << cellsOf("5|http://tieba.baidu.com/f?kw=nba&fr=ala0&loc=rec|3|6, 10")
            << 0;
        QTest::newRow("host rule leaves subdomains out")
            << nba << u("www.baidu.com")
            << cellsOf("10|http://www.baidu.com/s?tn=baidurt&rtt=1&bsst=1&wd=nba|1|") << 0;
        QTest::newRow("redirect, only its link read")
            << nba << u("sohu.com") << cellsOf("8|http://nba.sohu.com/|1|") << 1;
        // The shown host counts entry 3 unread; only the best position's link is read for its address,
        // and the entries showing no host are not read once the site stands on the page.
        QTest::newRow("redirects, and links showing no host")
            << python << u("python.org") << cellsOf("2|http://www.python.org/|2|3") << 1;
        QTest::newRow("not on the page") << python << u("qa-site.cn") << cellsOf("30+||0|") << 3;
        QTest::newRow("stated only") << ip << u("ipip5.com") << cellsOf("8|https://ip.ipip5.com/|2|10") << 0;
    }
    void ranksOnRealPages()
    {
        QFETCH(QString, page);
        QFETCH(QString, site);
        QFETCH(QStringList, expected);
        QFETCH(int, resolutions);
        Served served;
        QByteArray body = testsupport::readTestData(qPrintable(QStringLiteral("real-pages/") + page));
        body.replace(kBaiduRedirect, served.baidu.httpUrl("/link?url="));
        const QHash<QByteArray, QByteArray> targets = redirectTargets(page);
        served.baidu.setHandler([&](const Request &request) {
            if (request.path == "/link")
                return Reply::redirect(targets.value(request.param("url")));
            return request.param("rn") == "30" ? Reply::page(body) : Reply::withStatus(404, QByteArray());
        });
        const QStringList cells =
            rankSiteDesktop(QStringLiteral("kw"), SiteRule::parse(site), served.baidu.endpoints()).cells();
        QCOMPARE((QStringList{cells.at(1), cells.at(2), cells.at(4), cells.at(5)}), expected);
        QCOMPARE(served.resolutions(), resolutions);
    }

    // Three sites from one run: each keyword page is asked once (a link once,
    // whichever site wants it), each site gets its own group and the page's
    // list marks every site's entries.
    void comparesSeveralSitesOnOnePage_data()
    {
        QTest::addColumn<bool>("mobile");
        QTest::newRow("desktop") << false;
        QTest::newRow("mobile") << true;
    }
    void comparesSeveralSitesOnOnePage()
    {
        QFETCH(bool, mobile);
        const QList<SiteRule> sites{SiteRule::parse(u("ipip5.com")), SiteRule::parse(u("ip111.cn")),
                                    SiteRule::parse(u("qa-site.cn"))};
        Served served;
        const QString page = QStringLiteral("desktop_2022_DogInNoSense_agt_wodeip.html");
        QByteArray body = testsupport::readTestData(qPrintable(QStringLiteral("real-pages/") + page));
        body.replace(kBaiduRedirect, served.baidu.httpUrl("/link?url="));
        const QHash<QByteArray, QByteArray> targets = redirectTargets(page);
        const QList<QByteArray> mobileEntries{"https://ip.ipip5.com/", "http://www.ip111.cn/", "http://x.cn/",
                                              "https://ip.ipip5.com/b"};
        served.baidu.setHandler([&](const Request &request) {
            if (request.path == "/link")
                return Reply::redirect(targets.value(request.param("url")));
            if (mobile)
                return request.param("pn").isEmpty()
                           ? Reply::page(testsupport::mobileKeywordPage(mobileEntries))
                           : Reply::page(testsupport::mobileRankingNotFoundPage());
            return Reply::page(body);
        });
        const SiteRankingResult result = mobile ? rankSitesMobile(u("kw"), sites, served.baidu.endpoints())
                                                : rankSitesDesktop(u("kw"), sites, served.baidu.endpoints());
        const QStringList expected =
            mobile ? cellsOf("kw|1|https://ip.ipip5.com/|2|2|http://www.ip111.cn/|1|30+||0")
                   : cellsOf("kw|8|https://ip.ipip5.com/|2|2|http://www.ip111.cn/|1|30+||0");
        QCOMPARE(result.cells(), expected);
        int pageRequests = 0;
        QSet<QByteArray> links;
        for (const Request &request : served.baidu.requests()) {
            pageRequests += request.path == "/s";
            QVERIFY2(request.path != "/link" || !links.contains(request.target), request.target.constData());
            links.insert(request.target);
        }
        QCOMPARE(pageRequests, mobile ? 2 : 1);
        // Each site's entries are marked with its own bit in the one list.
        QList<int> marked[3];
        for (const SerpEntry &entry : result.serp) {
            for (int site = 0; site < 3; ++site) {
                if (entry.isMatch(site))
                    marked[site].append(entry.position);
            }
        }
        QCOMPARE(marked[0], mobile ? QList<int>({1, 4}) : QList<int>({8, 10}));
        QCOMPARE(marked[1], QList<int>{2});
        QVERIFY(marked[2].isEmpty());
    }

    void failsWithoutAnAnswer_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<bool>("linkReadable");
        QTest::addColumn<QString>("position");
        const QByteArray redirect = "/link?url=a";
        QTest::newRow("robot check") << testsupport::robotCheckPage() << true << u("异常");
        QTest::newRow("unread link that may be the site")
            << testsupport::desktopKeywordPage({{"A", redirect}, {"B", "http://other.cn/"}}) << false
            << u("异常");
        QTest::newRow("the same link read")
            << testsupport::desktopKeywordPage({{"A", redirect}}) << true << u("1");
        QTest::newRow("nothing found") << testsupport::desktopRankingNotFoundPage() << true << u("30+");
        QTest::newRow("a host cut short may be the site: read")
            << testsupport::desktopKeywordPage({{"A", "http://other.cn/x"}, {"B", redirect, "www.qa-si..."}})
            << true << u("2");
        QTest::newRow("an unread link showing another host cannot hide the site")
            << testsupport::desktopKeywordPage({{"A", redirect, "www.other.cn/a"}}) << false << u("30+");
    }
    void failsWithoutAnAnswer()
    {
        QFETCH(QByteArray, page);
        QFETCH(bool, linkReadable);
        QFETCH(QString, position);
        Served served;
        page.replace("/link?url=", served.baidu.httpUrl("/link?url="));
        served.baidu.setHandler([&](const Request &request) {
            if (request.path == "/link")
                return linkReadable ? Reply::redirect("https://www.qa-site.cn/a")
                                    : Reply::page("<html></html>");
            return Reply::page(page);
        });
        const SiteRankingResult result = rankSiteDesktop(
            QStringLiteral("kw"), SiteRule::parse(QStringLiteral("qa-site.cn")), served.baidu.endpoints());
        QCOMPARE(result.position, position);
        QCOMPARE(result.isFailed(), result.failure.size() > 0);
    }

    // Three mobile pages make positions 1-30; a later page that fails leaves the keyword 异常.
    void ranksMobilePages_data()
    {
        QTest::addColumn<QList<int>>("sitePositions");
        QTest::addColumn<int>("failingPage");
        QTest::addColumn<QStringList>("expected"); // best, count, others
        QTest::newRow("on every page") << QList<int>{3, 10, 17, 30} << 0 << cellsOf("3|4|10, 17, 30");
        QTest::newRow("page three only") << QList<int>{21} << 0 << cellsOf("21|1|");
        QTest::newRow("none") << QList<int>{} << 0 << cellsOf("30+|0|");
        QTest::newRow("page two a robot check") << QList<int>{3} << 2 << cellsOf("异常||");
    }
    void ranksMobilePages()
    {
        QFETCH(QList<int>, sitePositions);
        QFETCH(int, failingPage);
        QFETCH(QStringList, expected);
        Served served;
        served.baidu.setHandler([&](const Request &request) {
            const int page = request.param("pn").toInt() / 10 + 1;
            if (page == failingPage)
                return Reply::page(testsupport::robotCheckPage());
            QList<QByteArray> entries;
            for (int position = (page - 1) * 10 + 1; position <= page * 10; ++position)
                entries.append((sitePositions.contains(position) ? QByteArray("https://m.qa-site.cn/")
                                                                 : QByteArray("https://other.cn/")) +
                               QByteArray::number(position));
            return Reply::page(testsupport::mobileKeywordPage(entries));
        });
        const QStringList cells =
            rankSiteMobile(QStringLiteral("kw"), SiteRule::parse(QStringLiteral("qa-site.cn")),
                           served.baidu.endpoints())
                .cells();
        QCOMPARE((QStringList{cells.at(1), cells.at(4), cells.at(5)}), expected);
    }
};

QTEST_GUILESS_MAIN(TestSiteRanking)
#include "tst_siteranking.moc"
