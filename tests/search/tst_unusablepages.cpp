#include "search/desktopinclusioncheck.h"
#include "search/desktoprankingcheck.h"
#include "search/mobileinclusioncheck.h"
#include "search/mobilerankingcheck.h"
#include "search/resultstrings.h"
#include "tests/support/inclusionpages.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/rankingpages.h"
#include "tests/support/rawcaptureserver.h"
#include "tests/support/resultcells.h"

#include <QTextCodec>
#include <QtTest>

using namespace testsupport;

namespace {
const QString kAddress = QStringLiteral("https://www.example.com/a/page.html");

enum class Answer
{
    Refused,
    Dropped,
    NotFoundWith404,
    ServerError,
    RedirectToVerification,
    EmptyBody,
    RealRobotCheck,
    BlockPage,
    Undecodable,
    RobotCheck2026,
    AccessErrorPage,
    UnreadableTitleRobotCheck,
    RedirectToVerify,
    RedirectElsewhere
};

// Baidu's old access-error page (verify.baidu.com), in GB2312 like the original.
QByteArray accessErrorPage()
{
    return QTextCodec::codecForName("GB2312")->fromUnicode(QStringLiteral(
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
        "<title>百度--您的访问出错了</title></head><body><form action=\"https://verify.baidu.com/verify\">"
        "<p>没有找到该URL</p><input name=\"vcode\"></form></body></html>"));
}

// A robot check whose title a proxy has mangled: only what it loads tells.
const QByteArray kUnreadableTitleRobotCheck =
    "<html><head><title>\xe7\x99\xbe\xef\xbf\xbd</title></head><body><div "
    "class=\"timeout\">抱歉，没有找到</div>"
    "<script src=\"https://wappass.baidu.com/static/machine/js/api/mkd.js\"></script></body></html>";

// Baidu's block page, served with status 200 and a not-found text of its own.
const QByteArray kBlockPage =
    "<html><head><title>页面不存在_百度搜索</title></head><body><p>抱歉，没有找到该URL"
    "</p><p>很抱歉，没有找到</p></body></html>";
} // namespace

Q_DECLARE_METATYPE(Answer)

// Anything that is no answer page must reach the user as "异常", never as a
// verdict: a robot check read as "已收录" or "未收录" would be a false result.
class TestUnusablePages : public QObject
{
    Q_OBJECT

private slots:
    void inclusionChecksFail_data()
    {
        QTest::addColumn<bool>("mobile");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("reason"); // what the line's 原因 says
        const QString robot = QStringLiteral("百度安全验证");
        const QList<std::tuple<const char *, Answer, QString>> answers{
            {"connection refused", Answer::Refused, QStringLiteral("连接被拒绝")},
            {"dropped connection", Answer::Dropped, QStringLiteral("连接失败")},
            {"404 with a not-found marker", Answer::NotFoundWith404, QStringLiteral("HTTP 状态 404")},
            {"500", Answer::ServerError, QStringLiteral("服务器错误 500")},
            {"redirect to verification", Answer::RedirectToVerification, robot},
            {"empty body", Answer::EmptyBody, QStringLiteral("空白页面")},
            {"real robot check page", Answer::RealRobotCheck, robot},
            {"block page", Answer::BlockPage, QStringLiteral("封禁页面")},
            {"compressed body left undecoded", Answer::Undecodable, QStringLiteral("页面无法解析")},
            {"real robot check of 2026", Answer::RobotCheck2026, robot},
            {"access-error page in GB2312", Answer::AccessErrorPage, robot},
            {"robot check with an unreadable title", Answer::UnreadableTitleRobotCheck, robot},
            {"redirect to verify.baidu.com", Answer::RedirectToVerify, robot},
            {"redirect elsewhere", Answer::RedirectElsewhere, QStringLiteral("重定向无法读取")}};
        for (const bool mobile : {false, true}) {
            for (const auto &answer : answers)
                QTest::addRow("%s, %s", mobile ? "mobile" : "desktop", std::get<0>(answer))
                    << mobile << std::get<1>(answer) << std::get<2>(answer);
        }
    }

    void inclusionChecksFail()
    {
        QFETCH(bool, mobile);
        QFETCH(Answer, answer);
        QFETCH(QString, reason);
        const auto check = mobile ? mobileInclusionCheck : desktopInclusionCheck;
        const QString failed = QStringLiteral("|") + kAddress + QStringLiteral("|异常|");
        if (answer == Answer::Refused) {
            const QByteArray closed = QByteArray("127.0.0.1:") + QByteArray::number(closedLoopbackPort());
            const InclusionResult result = check(kAddress, SearchEndpoints::at(closed, closed), nullptr);
            QCOMPARE(cellsText(result), failed);
            QCOMPARE(result.failure, reason);
            return;
        }
        LoopbackBaidu baidu;
        baidu.setHandler([&](const Request &) {
            switch (answer) {
            case Answer::Dropped:
                return Reply::dropped();
            case Answer::NotFoundWith404:
                return Reply::withStatus(404, mobile ? mobilePage("抱歉，没有找到")
                                                     : desktopPage("没有找到该URL"));
            case Answer::ServerError:
                return Reply::withStatus(500,
                                         mobile ? mobilePage("<p>error</p>") : desktopPage("<p>error</p>"));
            case Answer::RedirectToVerification:
                return Reply::redirect("https://wappass.baidu.com/static/captcha/tuxing.html");
            case Answer::EmptyBody:
                return Reply::page(QByteArray());
            case Answer::BlockPage:
                return Reply::page(kBlockPage);
            case Answer::Undecodable:
                return Reply::page(QByteArray("\x1f\x8b\x08\0\0\0\0\0\0\x03", 10) + QByteArray(300, '\x95'));
            case Answer::RobotCheck2026:
                return Reply::page(readTestData("real-pages/captcha_2026_ourlyg_baidu_raw.html"));
            case Answer::AccessErrorPage: {
                Reply reply = Reply::page(accessErrorPage());
                reply.contentType = "text/html";
                return reply;
            }
            case Answer::UnreadableTitleRobotCheck:
                return Reply::page(kUnreadableTitleRobotCheck);
            case Answer::RedirectToVerify:
                return Reply::redirect("https://verify.baidu.com/vcode?http://www.baidu.com/s?wd=x");
            case Answer::RedirectElsewhere:
                return Reply::redirect("https://127.0.0.1:1/elsewhere"); // never followed off loopback
            default:
                return Reply::page(readTestData("real-pages/captcha_2022_DogInNoSense_agt1.html"));
            }
        });
        const InclusionResult result = check(kAddress, baidu.endpoints(), nullptr);
        QCOMPARE(cellsText(result), failed);
        QCOMPARE(result.failure, reason);
    }

    // The site query and the keyword pages alike: a robot check or block page is no verdict and no "30+".
    void rankingChecksFail_data()
    {
        QTest::addColumn<bool>("mobile");
        QTest::addColumn<bool>("onKeywordPage");
        QTest::addColumn<QByteArray>("page");
        const QByteArray robot = readTestData("real-pages/captcha_2022_DogInNoSense_agt1.html");
        for (const bool mobile : {false, true}) {
            for (const bool onKeywordPage : {false, true}) {
                const char *device = mobile ? "mobile" : "desktop";
                const char *where = onKeywordPage ? "keyword page" : "site query";
                QTest::addRow("%s, robot check on %s", device, where) << mobile << onKeywordPage << robot;
                QTest::addRow("%s, block page on %s", device, where) << mobile << onKeywordPage << kBlockPage;
                QTest::addRow("%s, robot check of 2026 on %s", device, where)
                    << mobile << onKeywordPage
                    << readTestData("real-pages/captcha_2026_ourlyg_baidu_raw.html");
                QTest::addRow("%s, unreadable robot check on %s", device, where)
                    << mobile << onKeywordPage << kUnreadableTitleRobotCheck;
            }
        }
    }

    void rankingChecksFail()
    {
        QFETCH(bool, mobile);
        QFETCH(bool, onKeywordPage);
        QFETCH(QByteArray, page);
        LoopbackBaidu baidu;
        baidu.setHandler([&](const Request &request) {
            const bool siteQuery =
                mobile ? request.param("word").startsWith("http") : request.param("rn").isEmpty();
            if (siteQuery != onKeywordPage)
                return Reply::page(page);
            return Reply::page(mobile ? mobileRankingSitePage(kAddress.toUtf8(), "1天前")
                                      : desktopRankingSitePage("标题", "1天前"));
        });
        const QString line = QStringLiteral("kw ") + kAddress;
        const QStringList fields = (mobile ? rankMobile(line, baidu.endpoints()).cells()
                                           : rankDesktop(line, baidu.endpoints()).cells());
        QCOMPARE(fields.value(onKeywordPage ? 3 : 2), QStringLiteral("异常"));
    }
};

QTEST_GUILESS_MAIN(TestUnusablePages)
#include "tst_unusablepages.moc"
