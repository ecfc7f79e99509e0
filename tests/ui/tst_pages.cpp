#include "tests/support/loopbackbaidu.h"
#include "tests/support/windowtestmain.h"
#include "ui/frame/uidemo08.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineView>
#include <QtTest>

using testsupport::LoopbackBaidu;
using testsupport::Reply;

namespace {
const QString kAdvertiserText = QStringLiteral("如果你期望你的广告内容出现在这里，请联系QQ/微信：");
const QString kPlaceholderTitle = QStringLiteral("广告位招租");
const QByteArray kAdvertisementPath = "/pcads/ad.html";
// The engine may need a while to start its first render process under the sanitizers.
const int kPageTimeoutMs = 60000;

QUrl loopbackAddress(const LoopbackBaidu &server)
{
    return QUrl(QString::fromLatin1(server.httpUrl(kAdvertisementPath)));
}

// Every modal dialogue that opens while it lives is counted and closed, so
// that a dialogue raised by a page can neither pass unnoticed nor hang the test.
class DialogueWatch : public QObject
{
public:
    DialogueWatch()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                ++count;
                modal->close();
            }
        });
        m_timer.start(20);
    }
    int count = 0;

private:
    QTimer m_timer;
};
} // namespace

// The help page's notes and the home page's advertiser line and advertisement panel.
class TstPages : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void helpTextEndsEveryLineWithCrLf();
    void helpNotesDecodeFromGbk_data();
    void helpNotesDecodeFromGbk();
    void helpPageRejectsTyping();
    void advertiserLineIsBlue();
    void advertisementPanel_data();
    void advertisementPanel();
    void windowOpensWhileAdvertisementIsPending();

private:
    // No test may reach the real advertisement host; tests that serve one set their own address.
    LoopbackBaidu m_deadServer;
};

void TstPages::init()
{
    m_deadServer.stop();
    UIDemo08::setAdvertisementAddressForTesting(loopbackAddress(m_deadServer));
}

void TstPages::helpTextEndsEveryLineWithCrLf()
{
    QFile file(QStringLiteral(":/images/help.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray raw = file.readAll();
    QVERIFY(!raw.endsWith('\n'));
    QCOMPARE(raw.count("\r\n"), 30);
    QCOMPARE(raw.count('\n'), 30);

    UIDemo08 window;
    const QString text = window.findChild<QPlainTextEdit *>(QStringLiteral("helpText"))->toPlainText();
    // 31 lines, each closed by a line end, leave an empty 32nd block.
    QCOMPARE(text.split(QLatin1Char('\n')).size(), 32);
    QVERIFY(text.endsWith(QLatin1Char('\n')));
    QVERIFY(!text.contains(QLatin1Char('\r')));
}

void TstPages::helpNotesDecodeFromGbk_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("expected");

    const QString slashNote = QStringLiteral(
        "请注意 网址结尾带斜杠和不带斜杠，部分时候百度搜索结果并不相同，所以工具查询结果也不相同");
    QTest::newRow("1")
        << 0
        << QStringLiteral("1，收录查询请输入完整网址（例如：http://www.example.com/news/2019/0312.html）");
    QTest::newRow("blank after 1") << 1 << QString();
    QTest::newRow("second blank after 1") << 2 << QString();
    QTest::newRow("1-1") << 3 << (QStringLiteral("1-1，") + slashNote);
    QTest::newRow("2")
        << 6
        << QStringLiteral("2，排名查询从EXCEL表格粘贴或者手动输入，关键词+空格+网址，（例如：百度收录查询 "
                          "http://www.example.com/tools/baidu-index.html）");
    QTest::newRow("2-1") << 9 << (QStringLiteral("2-1，") + slashNote);
    QTest::newRow("3")
        << 12
        << QStringLiteral(
               "3，客户端（单机版）依靠你本机网络和电脑环境，请勿高频次查询，否则百度会返回异常结果");
    QTest::newRow("4")
        << 15
        << QStringLiteral(
               "4，泛排名查询：上方填写网站（qa-site.cn 也算它的子域名，www.qa-site.cn "
               "只算这一个主机），下方每行一个关键词，查出网站在前30条结果里的最佳排名、排名网址、"
               "标题、条数和其他排名；关键词挖掘：每行一个种子词，从百度下拉联想、相关搜索和大家还在搜"
               "里挖出相关关键词，可一键发送到排名查询或泛排名查询");
    QTest::newRow("5 异常") << 18
                            << QStringLiteral(
                                   "5，异常：百度返回了错误页、空白页或安全验证页，这一行没有得到结论（既不算"
                                   "收录也不算未收录），稍后重新查询即可");
    QTest::newRow("6 30+") << 21
                           << QStringLiteral(
                                  "6，排名“30+”：网址已收录，但在该关键词的前30条结果里没有找到它");
    QTest::newRow("7 --") << 24 << QStringLiteral("7，排名“--”：网址未收录，所以没有查询它的排名");
    QTest::newRow("8 dropped lines")
        << 27 << QStringLiteral("8，忽略的行：不含“http”的行、空行和重复的行不会查询，也不计入总输入");
    QTest::newRow("9 robot check, last")
        << 30
        << QStringLiteral(
               "9，百度安全验证：短时间内查询太多，百度会把请求当作机器人，返回安全验证页而不是搜索结果，"
               "这些行显示为异常；放慢查询或过一段时间再查即可");
}

void TstPages::helpNotesDecodeFromGbk()
{
    QFETCH(int, line);
    QFETCH(QString, expected);

    UIDemo08 window;
    const QStringList lines = window.findChild<QPlainTextEdit *>(QStringLiteral("helpText"))
                                  ->toPlainText()
                                  .split(QLatin1Char('\n'));
    QCOMPARE(lines.value(line), expected);

    // The file really is GBK: read as UTF-8 its Chinese would not survive.
    QFile file(QStringLiteral(":/images/help.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    if (!expected.isEmpty())
        QVERIFY(!QString::fromUtf8(file.readAll()).contains(expected));
}

void TstPages::helpPageRejectsTyping()
{
    UIDemo08 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.findChild<QToolButton *>(QStringLiteral("btnHelp")), Qt::LeftButton);
    auto *help = window.findChild<QPlainTextEdit *>(QStringLiteral("helpText"));
    const QString before = help->toPlainText();
    QTest::mouseClick(help->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::keyClicks(help, QStringLiteral("abc"));
    QTest::keyClick(help, Qt::Key_Backspace);
    QTest::keyClick(help, Qt::Key_Delete);
    QCOMPARE(help->toPlainText(), before);
}

void TstPages::advertiserLineIsBlue()
{
    UIDemo08 window;
    auto *homeText = window.findChild<QTextEdit *>(QStringLiteral("homeText"));
    QTextCursor found = homeText->document()->find(kAdvertiserText);
    QVERIFY(!found.isNull());
    QCOMPARE(found.charFormat().foreground().color(), QColor(Qt::blue));

    const QString line = found.block().text();
    QVERIFY(line.startsWith(kAdvertiserText));
    const QString contact = line.mid(kAdvertiserText.size());
    QVERIFY(!contact.isEmpty());
    for (const QChar digit : contact)
        QVERIFY2(digit.isDigit(), qPrintable(line));
}

void TstPages::advertisementPanel_data()
{
    QTest::addColumn<bool>("serverUp");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expectedTitle");

    QTest::newRow("page served") << true << 200
                                 << QByteArray("<html><head><title>Loopback advert</title></head>"
                                               "<body>advert</body></html>")
                                 << QStringLiteral("Loopback advert");
    QTest::newRow("page raising dialogues")
        << true << 200
        << QByteArray("<html><head><title>Noisy advert</title></head><body>"
                      "<script>alert('a'); confirm('b'); prompt('c', 'd');</script></body></html>")
        << QStringLiteral("Noisy advert");
    QTest::newRow("server error with a body")
        << true << 500 << QByteArray("<html><head><title>Server trouble</title></head></html>")
        << kPlaceholderTitle;
    QTest::newRow("not found, empty") << true << 404 << QByteArray() << kPlaceholderTitle;
    QTest::newRow("server down") << false << 0 << QByteArray() << kPlaceholderTitle;
}

void TstPages::advertisementPanel()
{
    QFETCH(bool, serverUp);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, expectedTitle);

    LoopbackBaidu server;
    server.setHandler(
        [status, body](const testsupport::Request &) { return Reply::withStatus(status, body); });
    if (!serverUp)
        server.stop();
    UIDemo08::setAdvertisementAddressForTesting(loopbackAddress(server));
    DialogueWatch dialogues;

    UIDemo08 window;
    window.show();
    auto *panel = window.findChild<QWebEngineView *>(QStringLiteral("adHtml"));
    QVERIFY(panel);
    QTRY_COMPARE_WITH_TIMEOUT(panel->title(), expectedTitle, kPageTimeoutMs);

    QCOMPARE(dialogues.count, 0);
    // Where it always stood at the default size, and down to the page's bottom.
    QCOMPARE(panel->geometry(), QRect(10, 140, 800, panel->parentWidget()->height() - 140));
    if (serverUp) {
        QVERIFY(server.requestCount() >= 1);
        QCOMPARE(server.requests().first().path, kAdvertisementPath);
    }
}

void TstPages::windowOpensWhileAdvertisementIsPending()
{
    LoopbackBaidu server;
    server.setHandler([](const testsupport::Request &) { return Reply::silent(); });
    UIDemo08::setAdvertisementAddressForTesting(loopbackAddress(server));

    UIDemo08 window;
    window.show();
    auto *panel = window.findChild<QWebEngineView *>(QStringLiteral("adHtml"));
    QSignalSpy finished(panel, &QWebEngineView::loadFinished);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.findChild<QWidget *>(QStringLiteral("homeTab"))->isVisible());
    QCOMPARE(
        window.findChild<QTextEdit *>(QStringLiteral("homeText"))->document()->find(kAdvertiserText).isNull(),
        false);

    // The page request is under way and unanswered, yet the window is up.
    QTRY_VERIFY_WITH_TIMEOUT(server.requestCount() >= 1, kPageTimeoutMs);
    QCOMPARE(finished.count(), 0);
    server.stop();
}

QUILLANE_WINDOW_TEST_MAIN(TstPages)

#include "tst_pages.moc"
