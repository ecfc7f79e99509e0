#include "search/desktoprankingcheck.h"
#include "search/resultstrings.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/rankingpages.h"
#include "tests/support/resultcells.h"

#include <QtTest>

#include <QMap>

using testsupport::DesktopHeading;
using testsupport::LoopbackBaidu;
using testsupport::Reply;
using testsupport::Request;

namespace {

const QByteArray kSiteTitle = "Example Shop Home";
const QByteArray kNearTitle = "Example Shop Page";                                  // distance 4
const QByteArray kFarTitle = "A completely unrelated heading about something else"; // dropped

// Plays Baidu for one desktop ranking line. Heading links are written as
//   "r:/p"  a redirect link resolving once to http://<loopback>/p
//   "rs:/p" a redirect link resolving once to https://<loopback>/p (the HTTP server's authority)
//   "r2:/p" a redirect link that redirects twice
//   "m:/p"  a redirect link answered with 200 and a meta refresh to http://<loopback>/p
//   "j:/p"  a redirect link answered with 200 and location.replace to http://<loopback>/p
//   "n:/p"  a redirect link answered with 200 naming no target
//   "l:/p"  a redirect link that redirects to a redirect link
//   "c:/p"  a redirect link answered with a redirect to the robot check
//   "=/p"   a plain href to http://<loopback>/p (no redirect link)
//   ""      an anchor without href
class DesktopScene
{
public:
    QByteArray sitePage = testsupport::desktopRankingSitePage(kSiteTitle, "2021年3月4日");
    Reply keywordReply;

    explicit DesktopScene(LoopbackBaidu &baidu) : m_baidu(baidu)
    {
        baidu.setHandler([this](const Request &request) { return answer(request); });
    }

    QByteArray link(const QByteArray &form)
    {
        if (form.isEmpty())
            return QByteArray();
        if (form.startsWith('='))
            return m_baidu.httpUrl(form.mid(1));
        const int colon = form.indexOf(':');
        const QByteArray kind = form.left(colon);
        const QByteArray path = form.mid(colon + 1);
        const QByteArray id = "id" + QByteArray::number(m_targets.size());
        const QByteArray target = m_baidu.httpUrl(path);
        if (kind == "r")
            m_targets.insert(id, target);
        else if (kind == "rs")
            m_targets.insert(id, "https://" + m_baidu.httpAuthority() + path);
        else if (kind == "m")
            m_pages.insert(id, "<noscript><META http-equiv=\"refresh\" content=\"0;URL='" + target +
                                   "'\"></noscript>");
        else if (kind == "j")
            m_pages.insert(id, "<script>window.location.replace(\"" + target + "\")</script>");
        else if (kind == "n")
            m_pages.insert(id, "<html>moved</html>");
        else if (kind == "l")
            m_targets.insert(id, m_baidu.httpUrl("/link?url=" + id));
        else if (kind == "c")
            m_targets.insert(id, "https://wappass.baidu.com/static/captcha/tuxing.html?ak=1");
        else
            m_targets.insert(id, m_baidu.httpUrl("/hop" + path));
        return m_baidu.httpUrl("/link?url=" + id);
    }

    // A link form may end in "|shown": the block's shown address, "@" standing for the loopback authority.
    void setHeadings(const QList<QPair<QByteArray, QByteArray>> &headings)
    {
        QList<DesktopHeading> built;
        for (const auto &heading : headings) {
            const QList<QByteArray> form = heading.second.split('|');
            QByteArray shown = form.value(1);
            shown.replace('@', m_baidu.httpAuthority());
            built.append({heading.first, link(form.value(0)), shown});
        }
        keywordReply = Reply::page(testsupport::desktopKeywordPage(built));
    }

    int count(const QByteArray &path) const
    {
        int n = 0;
        for (const Request &request : m_baidu.requests())
            n += request.path.compare(path, Qt::CaseInsensitive) == 0 ? 1 : 0;
        return n;
    }

private:
    // The query key in any letter case, as an upper-cased redirect link sends it.
    static QByteArray linkId(const Request &request)
    {
        for (const auto &param : request.params) {
            if (param.first.compare("url", Qt::CaseInsensitive) == 0)
                return param.second;
        }
        return QByteArray();
    }

    Reply answer(const Request &request)
    {
        const QByteArray path = request.path.toLower();
        if (path == "/s")
            return request.param("rn").isEmpty() ? Reply::page(sitePage) : keywordReply;
        if (path == "/link")
            return m_pages.contains(linkId(request)) ? Reply::page(m_pages.value(linkId(request)))
                                                     : Reply::redirect(m_targets.value(linkId(request)));
        if (path.startsWith("/hop"))
            return Reply::redirect(m_baidu.httpUrl(path.mid(4)));
        return Reply::page("<html>target</html>");
    }

    LoopbackBaidu &m_baidu;
    QMap<QByteArray, QByteArray> m_targets;
    QMap<QByteArray, QByteArray> m_pages;
};

using HeadingList = QList<QPair<QByteArray, QByteArray>>;

HeadingList filled(int count, const QMap<int, QPair<QByteArray, QByteArray>> &special)
{
    HeadingList headings;
    for (int i = 0; i < count; ++i)
        headings.append(special.value(i, {kNearTitle, "r:/other" + QByteArray::number(i)}));
    return headings;
}

} // namespace

// The desktop ranking check against a loopback Baidu: which heading decides
// the position, how many requests a line costs, and how failures read.
class TestDesktopRanking : public QObject
{
    Q_OBJECT

private slots:
    void splitsLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("address");
        QTest::newRow("blank between") << QStringLiteral("  seo 工具  http://a.com/x ")
                                       << QStringLiteral("seo 工具") << QStringLiteral("http://a.com/x");
        QTest::newRow("no blank") << QStringLiteral("seohttp://a.com/x") << QStringLiteral("seo")
                                  << QStringLiteral("http://a.com/x");
        QTest::newRow("the address keeps its own http")
            << QStringLiteral("kw http://a.com/?u=http://b.com&xthttps=0") << QStringLiteral("kw")
            << QStringLiteral("http://a.com/?u=http://b.com&xthttps=0");
        QTest::newRow("keyword holding http and blanks")
            << QStringLiteral("http协议 是 什么 https://a.com/x") << QStringLiteral("http协议 是 什么")
            << QStringLiteral("https://a.com/x");
        QTest::newRow("an address after a blank beats one inside the keyword")
            << QStringLiteral("看http://x.cn的 http://a.com") << QStringLiteral("看http://x.cn的")
            << QStringLiteral("http://a.com");
        QTest::newRow("no address") << QStringLiteral(" 只有关键词 ") << QStringLiteral("只有关键词")
                                    << QString();
        QTest::newRow("other letter case only")
            << QStringLiteral("kw HTTP://A.com") << QStringLiteral("kw") << QStringLiteral("HTTP://A.com");
    }

    void splitsLines()
    {
        QFETCH(QString, line);
        const RankingLine parts = splitRankingLine(line);
        QTEST(parts.keyword, "keyword");
        QTEST(parts.address, "address");
    }

    void measuresDistanceInBytes_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("distance");
        QTest::newRow("both empty") << QString() << QString() << 0;
        QTest::newRow("empty against text") << QString() << QStringLiteral("abc") << 3;
        QTest::newRow("text against empty") << QStringLiteral("abcd") << QString() << 4;
        QTest::newRow("kitten sitting") << QStringLiteral("kitten") << QStringLiteral("sitting") << 3;
        QTest::newRow("one Chinese character is three bytes")
            << QStringLiteral("中") << QStringLiteral("文") << 3;
        QTest::newRow("insert Chinese character") << QStringLiteral("站点") << QStringLiteral("站点页") << 3;
        QTest::newRow("equal") << QStringLiteral("首页") << QStringLiteral("首页") << 0;
    }

    void measuresDistanceInBytes()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, distance);
        QCOMPARE(titleDistance(a.toUtf8(), b.toUtf8()), distance);
        QCOMPARE(titleDistance(b.toUtf8(), a.toUtf8()), distance);
    }

    void resolvesRedirectLinks_data()
    {
        QTest::addColumn<QByteArray>("link");
        QTest::addColumn<QString>("expected"); // "@/p" stands for http://<loopback>/p
        QTest::addColumn<int>("requests");
        // One request to Baidu each: the target site is never contacted.
        QTest::newRow("one redirect") << QByteArray("r:/a") << QStringLiteral("@/a") << 1;
        QTest::newRow("first of two redirects") << QByteArray("r2:/a") << QStringLiteral("@/hop/a") << 1;
        QTest::newRow("meta refresh") << QByteArray("m:/a") << QStringLiteral("@/a") << 1;
        QTest::newRow("location.replace") << QByteArray("j:/a") << QStringLiteral("@/a") << 1;
        QTest::newRow("200 naming no target") << QByteArray("n:/a") << ResultText::kFailed << 1;
        QTest::newRow("redirect back into a redirect link") << QByteArray("l:/a") << ResultText::kFailed << 1;
        QTest::newRow("a robot check in the target's place") << QByteArray("c:/a") << ResultText::kFailed << 1;
        QTest::newRow("not a redirect link") << QByteArray("=/a") << QStringLiteral("@/a") << 0;
        QTest::newRow("prefix in another letter case") << QByteArray("R:/a") << QStringLiteral("@/a") << 1;
    }

    void resolvesRedirectLinks()
    {
        QFETCH(QByteArray, link);
        QFETCH(QString, expected);
        QFETCH(int, requests);
        LoopbackBaidu baidu;
        DesktopScene scene(baidu);
        QByteArray built = scene.link(link.toLower());
        if (link.startsWith('R')) {
            const int id = built.indexOf("id");
            built = built.left(id).toUpper() + built.mid(id);
        }
        expected.replace(QStringLiteral("@"), QString::fromUtf8(baidu.httpUrl(QByteArray())));
        QCOMPARE(resolveLink(QString::fromUtf8(built), baidu.endpoints()), expected);
        QCOMPARE(baidu.requestCount(), requests);
    }

    void decidesPosition_data()
    {
        QTest::addColumn<HeadingList>("headings");
        QTest::addColumn<QByteArray>("address"); // path on the loopback HTTP server
        QTest::addColumn<QString>("position");
        QTest::addColumn<int>("linkRequests");

        const QPair<QByteArray, QByteArray> match{kNearTitle, "r:/a"};
        // Entries that show no host are read nearest heading first, then the later first, until one leads
        // there.
        QTest::newRow("address at headings 3 and 7")
            << filled(10, {{2, match}, {6, match}}) << QByteArray("/a") << QStringLiteral("7") << 4;
        QTest::newRow("title equal at index 4 places the line unread")
            << filled(10, {{4, {kSiteTitle, "r:/b"}}}) << QByteArray("/a") << QStringLiteral("5") << 0;
        QTest::newRow("a title places the line before links showing no host are read")
            << filled(10, {{4, {kSiteTitle, "r:/b"}}, {8, match}}) << QByteArray("/a") << QStringLiteral("5")
            << 0;
        QTest::newRow("title with em tags and ellipsis equals")
            << filled(3, {{1, {"Example <em>Shop</em> Home...", "r:/b"}}}) << QByteArray("/a")
            << QStringLiteral("2") << 0;
        QTest::newRow("distance 20 is kept") << filled(3, {{1, {kSiteTitle + QByteArray(20, 'x'), "r:/a"}}})
                                             << QByteArray("/a") << QStringLiteral("2") << 3;
        QTest::newRow("distance 21 is dropped unrequested")
            << filled(3, {{1, {kSiteTitle + QByteArray(21, 'x'), "r:/a"}}}) << QByteArray("/a")
            << QStringLiteral("30+") << 2;
        QTest::newRow("far headings cost no request") << HeadingList{{kFarTitle, "r:/a"}, {kFarTitle, "r:/a"}}
                                                      << QByteArray("/a") << QStringLiteral("30+") << 0;
        // One comparison everywhere: the scheme and a trailing "/" do not matter, on either side.
        QTest::newRow("address typed with slash, resolved without")
            << filled(3, {{1, match}}) << QByteArray("/a/") << QStringLiteral("2") << 2;
        QTest::newRow("both with slash")
            << filled(3, {{1, {kNearTitle, "r:/a/"}}}) << QByteArray("/a/") << QStringLiteral("2") << 2;
        QTest::newRow("resolved with slash, typed without")
            << filled(3, {{1, {kNearTitle, "r:/a/"}}}) << QByteArray("/a") << QStringLiteral("2") << 2;
        QTest::newRow("https resolved matches the http address")
            << filled(3, {{1, {kNearTitle, "rs:/a"}}}) << QByteArray("/a") << QStringLiteral("2") << 2;
        QTest::newRow("unreadable redirect, address nowhere else")
            << filled(3, {{1, {kNearTitle, "n:/a"}}}) << QByteArray("/a") << QStringLiteral("异常") << 3;
        QTest::newRow("unreadable redirect, address found elsewhere")
            << filled(3, {{0, {kNearTitle, "n:/a"}}, {2, match}}) << QByteArray("/a") << QStringLiteral("3")
            << 1;
        QTest::newRow("stated other address costs no request")
            << filled(3, {{0, {kSiteTitle, "=/b"}}}) << QByteArray("/a") << QStringLiteral("1") << 0;
        QTest::newRow("only the first 30 entries are read")
            << filled(80, {}) << QByteArray("/a") << QStringLiteral("30+") << 30;
        QTest::newRow("an entry beyond 30 is no position")
            << HeadingList(QVector<QPair<QByteArray, QByteArray>>(34, {kFarTitle, "r:/x"}).toList()) +
                   HeadingList{{kFarTitle, "=/a"}}
            << QByteArray("/a") << QStringLiteral("30+") << 0;
        QTest::newRow("heading without href, match after it")
            << filled(6, {{1, {kNearTitle, ""}}, {4, match}}) << QByteArray("/a") << QStringLiteral("5") << 2;
        QTest::newRow("two redirects fail and do not match")
            << filled(3, {{1, {kNearTitle, "r2:/a"}}}) << QByteArray("/a") << QStringLiteral("30+") << 3;
        QTest::newRow("plain href matches without a request")
            << filled(3, {{2, {kNearTitle, "=/a"}}}) << QByteArray("/a") << QStringLiteral("3") << 0;
        QTest::newRow("no headings and no not-found text")
            << HeadingList{} << QByteArray("/a") << QStringLiteral("异常") << 0;
        // The shown address (c-showurl) decides which links could lead to the address.
        QTest::newRow("the whole address shown places the line unread")
            << filled(5, {{3, {kFarTitle, "r:/x|@/a"}}}) << QByteArray("/a") << QStringLiteral("4") << 0;
        QTest::newRow("entries showing another host or page are never read")
            << HeadingList{{kNearTitle, "r:/a|www.other.cn/a"}, {kNearTitle, "r:/a|@/b"}} << QByteArray("/a")
            << QStringLiteral("30+") << 0;
        QTest::newRow("the address's host shown: read first, whatever the heading")
            << filled(6, {{4, {kFarTitle, "r:/a|@"}}}) << QByteArray("/a") << QStringLiteral("5") << 1;
        QTest::newRow("a cut address that agrees is read, one that does not is not")
            << filled(4, {{0, {kFarTitle, "r:/b|@/b..."}}, {2, {kFarTitle, "r:/a|@/..."}}})
            << QByteArray("/a") << QStringLiteral("3") << 1;
        QTest::newRow("host shown but not there: then those showing none")
            << filled(4, {{0, {kFarTitle, "r:/b|@"}}, {3, match}}) << QByteArray("/a") << QStringLiteral("4")
            << 2;
    }

    void decidesPosition()
    {
        QFETCH(HeadingList, headings);
        QFETCH(QByteArray, address);
        LoopbackBaidu baidu;
        DesktopScene scene(baidu);
        scene.setHeadings(headings);
        const QString line = QStringLiteral("示例 关键词 ") + QString::fromUtf8(baidu.httpUrl(address));

        const QStringList fields = rankDesktop(line, baidu.endpoints()).cells();
        QCOMPARE(fields.size(), 5);
        QCOMPARE(fields.at(2), ResultText::kIncluded);
        QTEST(fields.at(3), "position");
        QCOMPARE(fields.at(4), QStringLiteral("2021年3月4日"));
        // The site query and the keyword search, then one request per resolved link.
        QCOMPARE(scene.count("/s"), 2);
        QTEST(scene.count("/link"), "linkRequests");
    }

    void sendsEncodedRequests()
    {
        LoopbackBaidu baidu;
        DesktopScene scene(baidu);
        scene.setHeadings({});
        const QString address = QString::fromUtf8(baidu.httpUrl("/a?b=1&c=2"));
        rankDesktop(QStringLiteral("seo 工具&more ") + address, baidu.endpoints());

        const QList<Request> log = baidu.requests();
        QCOMPARE(log.size(), 2);
        QCOMPARE(log.at(0).scheme, QByteArray("https"));
        QCOMPARE(QString::fromUtf8(log.at(0).param("wd")), address);
        QCOMPARE(log.at(0).header("Accept"), QByteArray("*/*"));
        QCOMPARE(QString::fromUtf8(log.at(1).param("wd")), QStringLiteral("seo 工具&more"));
        QCOMPARE(log.at(1).param("rn"), QByteArray("30"));
        QVERIFY2(log.at(1).target.endsWith("&rn=30"), log.at(1).target.constData());
    }

    void reportsOutcomes_data()
    {
        QTest::addColumn<int>("site");    // 0 included, 1 not included, 2 robot check, 3 HTTP 500, 4 dropped
        QTest::addColumn<int>("keyword"); // the same codes for the keyword page; 0 is a page with no match
        QTest::addColumn<QString>("expected"); // "@" stands for the address
        QTest::addColumn<int>("requests");
        QTest::newRow("not included") << 1 << 0 << QStringLiteral("kw|@|未收录|--|") << 1;
        QTest::newRow("robot check on site query") << 2 << 0 << QStringLiteral("kw|@|异常||") << 1;
        QTest::newRow("server error on site query") << 3 << 0 << QStringLiteral("kw|@|异常||") << 1;
        QTest::newRow("connection dropped on site query") << 4 << 0 << QStringLiteral("kw|@|异常||") << 1;
        QTest::newRow("no match") << 0 << 0 << QStringLiteral("kw|@|已收录|30+|2021-03-04") << 2;
        QTest::newRow("robot check on keyword search")
            << 0 << 2 << QStringLiteral("kw|@|已收录|异常|2021-03-04") << 2;
        QTest::newRow("server error on keyword search")
            << 0 << 3 << QStringLiteral("kw|@|已收录|异常|2021-03-04") << 2;
    }

    void reportsOutcomes()
    {
        QFETCH(int, site);
        QFETCH(int, keyword);
        QFETCH(QString, expected);
        const auto reply = [](int code, const QByteArray &page) {
            switch (code) {
            case 1:
                return Reply::page(testsupport::desktopRankingNotFoundPage());
            case 2:
                return Reply::page(testsupport::robotCheckPage());
            case 3:
                return Reply::withStatus(500, page);
            case 4:
                return Reply::dropped();
            default:
                return Reply::page(page);
            }
        };
        const QByteArray sitePage = testsupport::desktopRankingSitePage(kSiteTitle, "2021-03-04");
        const QByteArray keywordPage = testsupport::desktopKeywordPage({{kFarTitle, "http://x/y"}});
        LoopbackBaidu baidu;
        baidu.setHandler([&](const Request &request) {
            return request.param("rn").isEmpty() ? reply(site, sitePage) : reply(keyword, keywordPage);
        });
        const QString address = QString::fromUtf8(baidu.httpUrl("/a"));
        expected.replace(QStringLiteral("@"), address);
        QCOMPARE(testsupport::cellsText(rankDesktop(QStringLiteral("kw ") + address, baidu.endpoints())),
                 expected);
        QTEST(baidu.requestCount(), "requests");
    }

    void unrankableAddressMakesNoRequest()
    {
        LoopbackBaidu baidu;
        QCOMPARE(testsupport::cellsText(rankDesktop(QStringLiteral("kw HTTP://A.com"), baidu.endpoints())),
                 QStringLiteral("kw|HTTP://A.com|异常||"));
        QCOMPARE(baidu.requestCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDesktopRanking)
#include "tst_desktopranking.moc"
