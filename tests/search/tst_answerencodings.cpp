#include "search/desktopinclusioncheck.h"
#include "search/mobileinclusioncheck.h"
#include "tests/support/inclusionpages.h"
#include "tests/support/loopbackbaidu.h"

#include <QtTest>

#include <QTextCodec>

using namespace testsupport;

// Answers as servers send them: in GBK, declared by header or by <meta>, and
// compressed without being asked. Each is read for what it says.
class TestAnswerEncodings : public QObject
{
    Q_OBJECT

private slots:
    void readsEveryAnswer_data()
    {
        QTest::addColumn<bool>("mobile");
        QTest::addColumn<QByteArray>("page"); // UTF-8; sent as the row says
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<bool>("compressed");
        QTest::addColumn<QString>("status");
        const QByteArray gbkMeta = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">";
        const QByteArray included = desktopHeading("中文标题") + desktopDateSpan("2022年3月1日");
        QTest::newRow("desktop GBK by header, not found")
            << false << desktopPage("很抱歉，没有找到该URL") << QByteArray("text/html; charset=GBK") << false
            << QStringLiteral("未收录");
        QTest::newRow("desktop GBK by meta, included")
            << false << gbkMeta + desktopPage(included) << QByteArray("text/html") << false
            << QStringLiteral("已收录");
        QTest::newRow("desktop compressed unasked, not found")
            << false << desktopPage("很抱歉，没有找到该URL") << QByteArray("text/html; charset=utf-8") << true
            << QStringLiteral("未收录");
        QTest::newRow("mobile GBK by header, not found")
            << true << mobilePage("抱歉，没有找到与之相关的结果") << QByteArray("text/html; charset=gb2312")
            << false << QStringLiteral("未收录");
    }

    void readsEveryAnswer()
    {
        QFETCH(bool, mobile);
        QFETCH(QByteArray, page);
        QFETCH(QByteArray, contentType);
        QFETCH(bool, compressed);
        QByteArray body = contentType.toLower().contains("charset=utf-8")
                              ? page
                              : QTextCodec::codecForName("GBK")->fromUnicode(QString::fromUtf8(page));
        LoopbackBaidu baidu;
        baidu.setHandler([&](const Request &) {
            Reply reply = Reply::page(body);
            reply.contentType = contentType;
            if (compressed) {
                // A zlib stream is what HTTP calls "deflate"; qCompress puts a length before it.
                reply.body = qCompress(body).mid(4);
                reply.headers.append(qMakePair(QByteArray("Content-Encoding"), QByteArray("deflate")));
            }
            return reply;
        });
        const QString address = QStringLiteral("http://www.example.com/a");
        const InclusionResult result = mobile ? mobileInclusionCheck(address, baidu.endpoints())
                                              : desktopInclusionCheck(address, baidu.endpoints());
        QTEST(result.status, "status");
        if (result.status == QStringLiteral("已收录"))
            QCOMPARE(result.title, QStringLiteral("中文标题"));
    }
};

QTEST_GUILESS_MAIN(TestAnswerEncodings)
#include "tst_answerencodings.moc"
