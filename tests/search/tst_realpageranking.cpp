#include "search/desktoprankingcheck.h"
#include "search/mobilerankingcheck.h"
#include "search/resultstrings.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/rankingpages.h"

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <iterator>

using testsupport::LoopbackBaidu;
using testsupport::Reply;
using testsupport::Request;

namespace {

struct RealPage
{
    const char *name;
    const char *truth; // the truth file's suffix
    bool mobile;
};
const RealPage kPages[] = {{"desktop_2017_435236402_day01_baidu_nba.html", ".truth.json", false},
                           {"desktop_2020_BaiduSpider_test_web_normal.html", ".truth.json", false},
                           {"desktop_2022_DogInNoSense_agt_wodeip.html", ".truth.json", false},
                           {"siteq_2019_muyun001_capakj.html", ".siteq-truth.json", false},
                           {"mobile_2019_muyun001_rua_bianpofanghuwang.html", ".mobile-truth.json", true}};
const QByteArray kBaiduRedirect = "http://www.baidu.com/link?url=";
// What a ranking line may cost: the site query, the keyword page and two links.
constexpr int kMostRequests = 4;

QJsonArray countedEntries(const RealPage &page)
{
    const QByteArray path = QByteArray("real-pages/truth/") + page.name + page.truth;
    const QJsonObject truth = QJsonDocument::fromJson(testsupport::readTestData(path.constData())).object();
    QJsonArray counted;
    for (const QJsonValue &entry : truth.value(QStringLiteral("entries")).toArray()) {
        if (entry.toObject().value(QStringLiteral("counted")).toBool())
            counted.append(entry);
    }
    return counted;
}

// Where an entry's redirect link leads: the address its block shows (with the
// part cut short made up), or a made-up address when it shows none.
QString redirectTarget(const QJsonObject &entry)
{
    QString shown = entry.value(QStringLiteral("shown_url")).toString().section(QLatin1Char(' '), 0, 0);
    const bool host = shown.contains(QLatin1Char('.')) && shown.at(0).unicode() < 0x80;
    if (!host)
        return QStringLiteral("http://r%1.example.cn/page")
            .arg(qHash(entry.value(QStringLiteral("href")).toString()));
    shown.replace(QLatin1String("..."), QLatin1String("zz"));
    return shown.contains(QLatin1String("://")) ? shown : QStringLiteral("http://") + shown;
}

} // namespace

// Real keyword pages served by a loopback Baidu: every counted entry is found
// at its true position, through the target the page states, the address it
// shows or its redirect link, within kMostRequests requests, and no request
// leaves for the target sites.
class TestRealPageRanking : public QObject
{
    Q_OBJECT

private slots:
    void findsEveryEntry_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("position");
        for (int page = 0; page < int(std::size(kPages)); ++page) {
            for (const QJsonValue &entry : countedEntries(kPages[page])) {
                const int position = entry.toObject().value(QStringLiteral("position")).toInt();
                QTest::addRow("%s #%d", kPages[page].name, position) << page << position;
            }
        }
    }

    void findsEveryEntry()
    {
        QFETCH(int, page);
        QFETCH(int, position);
        const RealPage &real = kPages[page];
        const QJsonObject entry = countedEntries(real).at(position - 1).toObject();
        const QString stated = entry.value(QStringLiteral("real_target")).toString();
        const QString href = entry.value(QStringLiteral("href")).toString();

        LoopbackBaidu baidu;
        const QByteArray path = QByteArray("real-pages/") + real.name;
        QByteArray keywordPage = testsupport::readTestData(path.constData());
        keywordPage.replace(kBaiduRedirect, baidu.httpUrl("/link?url="));
        QHash<QByteArray, QByteArray> targets;
        for (const QJsonValue &other : countedEntries(real)) {
            const QByteArray link = other.toObject().value(QStringLiteral("href")).toString().toUtf8();
            if (link.startsWith(kBaiduRedirect))
                targets.insert(link.mid(kBaiduRedirect.size()), redirectTarget(other.toObject()).toUtf8());
        }
        QString address = stated;
        if (address.isEmpty()) {
            QVERIFY(href.startsWith(QString::fromLatin1(kBaiduRedirect)));
            address = redirectTarget(entry);
        }
        // Near the entry's heading but not equal: the title filter keeps it, the title rule does not decide.
        const QByteArray title = entry.value(QStringLiteral("heading_text")).toString().toUtf8() + "x";
        baidu.setHandler([&](const Request &request) {
            if (request.path == "/link")
                return Reply::redirect(targets.value(request.param("url")));
            if (real.mobile && request.param("word").startsWith("http"))
                return Reply::page(testsupport::mobileRankingSitePage(address.toUtf8(), "2021年3月4日"));
            if (!real.mobile && request.param("rn").isEmpty())
                return Reply::page(testsupport::desktopRankingSitePage(title, "2021年3月4日"));
            return Reply::page(keywordPage);
        });
        const QString line = QStringLiteral("kw ") + address;
        const QStringList fields =
            (real.mobile ? rankMobile(line, baidu.endpoints()) : rankDesktop(line, baidu.endpoints()))
                .cells();
        QCOMPARE(fields.value(3), QString::number(position));
        QVERIFY2(baidu.requestCount() <= kMostRequests, qPrintable(QString::number(baidu.requestCount())));
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
