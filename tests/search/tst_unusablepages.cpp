#include "desktopinclusioncheck.h"
#include "inclusionpages.h"
#include "loopbackbaidu.h"
#include "mobileinclusioncheck.h"
#include "rawcaptureserver.h"
#include "resultcells.h"

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
    RealRobotCheck
};
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
        const QList<QPair<const char *, Answer>> answers{
            {"connection refused", Answer::Refused},
            {"dropped connection", Answer::Dropped},
            {"404 with a not-found marker", Answer::NotFoundWith404},
            {"500", Answer::ServerError},
            {"redirect to verification", Answer::RedirectToVerification},
            {"empty body", Answer::EmptyBody},
            {"real robot check page", Answer::RealRobotCheck}};
        for (const bool mobile : {false, true}) {
            for (const auto &answer : answers)
                QTest::addRow("%s, %s", mobile ? "mobile" : "desktop", answer.first) << mobile << answer.second;
        }
    }

    void inclusionChecksFail()
    {
        QFETCH(bool, mobile);
        QFETCH(Answer, answer);
        const auto check = mobile ? mobileInclusionCheck : desktopInclusionCheck;
        const QString failed = QStringLiteral("|") + kAddress + QStringLiteral("|异常|");
        if (answer == Answer::Refused) {
            const QByteArray closed = QByteArray("127.0.0.1:") + QByteArray::number(closedLoopbackPort());
            QCOMPARE(cellsText(check(kAddress, SearchEndpoints::at(closed, closed), nullptr)), failed);
            return;
        }
        LoopbackBaidu baidu;
        baidu.setHandler([&](const Request &) {
            switch (answer) {
            case Answer::Dropped:
                return Reply::dropped();
            case Answer::NotFoundWith404:
                return Reply::withStatus(404, mobile ? mobilePage("抱歉，没有找到") : desktopPage("没有找到该URL"));
            case Answer::ServerError:
                return Reply::withStatus(500, mobile ? mobilePage("<p>error</p>") : desktopPage("<p>error</p>"));
            case Answer::RedirectToVerification:
                return Reply::redirect("https://wappass.baidu.com/static/captcha/tuxing.html");
            case Answer::EmptyBody:
                return Reply::page(QByteArray());
            default:
                return Reply::page(readTestData("real-pages/captcha_2022_DogInNoSense_agt1.html"));
            }
        });
        QCOMPARE(cellsText(check(kAddress, baidu.endpoints(), nullptr)), failed);
    }
};

QTEST_GUILESS_MAIN(TestUnusablePages)
#include "tst_unusablepages.moc"
