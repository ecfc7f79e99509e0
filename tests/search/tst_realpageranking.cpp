#include "search/desktoprankingcheck.h"
#include "search/resultstrings.h"
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

const char *const kPages[] = {"desktop_2017_435236402_day01_baidu_nba.html",
                              "desktop_2020_BaiduSpider_test_web_normal.html",
                              "desktop_2022_DogInNoSense_agt_wodeip.html"};
const QByteArray kBaiduRedirect = "http://www.baidu.com/link?url=";

QJsonArray countedEntries(const char *page)
{
    const QByteArray path = QByteArray("real-pages/truth/") + page + ".truth.json";
    const QJsonObject truth = QJsonDocument::fromJson(testsupport::readTestData(path.constData())).object();
    QJsonArray counted;
    for (const QJsonValue &entry : truth.value(QStringLiteral("entries")).toArray()) {
        if (entry.toObject().value(QStringLiteral("counted")).toBool())
            counted.append(entry);
    }
    return counted;
}

// The distinct address Baidu's redirect link for this url value leads to.
QByteArray redirectTarget(const QByteArray &urlValue)
{
    return "http://r" + QByteArray::number(qHash(urlValue)) + ".example.cn/page";
}

} // namespace

// Real keyword pages served by a loopback Baidu: every counted entry is found
// at its true position, through the target the page states or through its
// redirect link, and no request leaves for the target sites.
class TestRealPageRanking : public QObject
{
    Q_OBJECT

private slots:
    void findsEveryEntry_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<int>("position");
        for (const char *page : kPages) {
            for (const QJsonValue &entry : countedEntries(page)) {
                const int position = entry.toObject().value(QStringLiteral("position")).toInt();
                QTest::addRow("%s #%d", page, position) << QByteArray(page) << position;
            }
        }
    }

    void findsEveryEntry()
    {
        QFETCH(QByteArray, page);
        QFETCH(int, position);
        const QJsonObject entry = countedEntries(page.constData()).at(position - 1).toObject();
        const QString stated = entry.value(QStringLiteral("real_target")).toString();
        const QByteArray href = entry.value(QStringLiteral("href")).toString().toUtf8();

        LoopbackBaidu baidu;
        QByteArray keywordPage = testsupport::readTestData(QByteArray("real-pages/" + page).constData());
        keywordPage.replace(kBaiduRedirect, baidu.httpUrl("/link?url="));
        // Near the entry's heading but not equal: the title filter keeps it, the title rule does not decide.
        const QByteArray title = entry.value(QStringLiteral("heading_text")).toString().toUtf8() + "x";
        baidu.setHandler([&](const Request &request) {
            if (request.path == "/link")
                return Reply::redirect(redirectTarget(request.param("url")));
            if (request.param("rn").isEmpty())
                return Reply::page(testsupport::desktopRankingSitePage(title, "2021年3月4日"));
            return Reply::page(keywordPage);
        });
        QString address = stated;
        if (address.isEmpty()) {
            QVERIFY(href.startsWith(kBaiduRedirect));
            address = QString::fromUtf8(redirectTarget(href.mid(kBaiduRedirect.size())));
        }
        const QStringList fields = rankDesktop(QStringLiteral("kw ") + address, baidu.endpoints()).cells();
        QCOMPARE(fields.value(3), QString::number(position));
        for (const Request &request : baidu.requests())
            QVERIFY2(request.path == "/s" || request.path == "/link", request.target.constData());
    }

    // The site query's first entry names another page: the inclusion check
    // says no answer, but ranking only takes its title and reads on.
    void ranksWhenTheSiteAnswerNamesAnotherPage()
    {
        const QByteArray page =
            testsupport::readTestData("real-pages/desktop_2022_DogInNoSense_agt_wodeip.html");
        LoopbackBaidu baidu;
        baidu.setHandler([&](const Request &) { return Reply::page(page); });
        const RankingResult result =
            rankDesktop(QStringLiteral("我的ip https://zh-hans.ipshu.com/my_info"), baidu.endpoints());
        QCOMPARE(result.status, QStringLiteral("已收录"));
        QCOMPARE(result.position, QStringLiteral("3"));
        QCOMPARE(baidu.requestCount(), 2);
    }
};

QTEST_GUILESS_MAIN(TestRealPageRanking)
#include "tst_realpageranking.moc"
