#include "inclusionpages.h"
#include "loopbackbaidu.h"
#include "messagebox.h"
#include "rankingpages.h"
#include "uidemo08.h"
#include "windowtestmain.h"

#include <QtTest>

#include <QLabel>
#include <QMutex>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSemaphore>
#include <QTableWidget>
#include <QThreadPool>
#include <QToolButton>

#include <memory>

using namespace testsupport;

namespace {

const QString kIncluded = QStringLiteral("已收录");
const QString kNotIncluded = QStringLiteral("未收录");
const QString kFailed = QStringLiteral("异常");
const QString kStopQuestion = QStringLiteral("确定要停止查询吗？     ");
const QString kMobileTitle = QStringLiteral("示例"); // what mobileRankingSitePage shows
const int kGateTimeoutMs = 20000;

QByteArray addressOf(int n)
{
    return "http://www.site" + QByteArray::number(n) + ".example/p";
}
QByteArray keywordOf(int n)
{
    return "关键词" + QByteArray::number(n);
}
QByteArray titleOf(int n)
{
    return "标题" + QByteArray::number(n);
}
QByteArray dateOf(int n)
{
    return "2020年1月" + QByteArray::number(n + 1) + "日";
}

// One line as the loopback Baidu plays it: "I<position>" included (ranked
// there), "N" not included, "F" the site query fails.
struct PlayedLine
{
    QChar verdict;
    int position;
};

QList<PlayedLine> parseLines(const QString &code)
{
    QList<PlayedLine> lines;
    for (const QString &token : code.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        lines.append({token.at(0), token.size() > 1 ? token.mid(1).toInt() : 1});
    return lines;
}

// Baidu played over the loopback servers for lines 0..n-1 of parseLines();
// the site query of a closed address waits until its gate opens.
class PlayedBaidu
{
public:
    explicit PlayedBaidu(const QList<PlayedLine> &lines) : m_lines(lines)
    {
        m_baidu.setHandler([this](const Request &request) { return answer(request); });
    }
    ~PlayedBaidu()
    {
        openAll();
        m_baidu.stop();
    }

    SearchEndpoints endpoints() const { return m_baidu.endpoints(); }
    LoopbackBaidu &server() { return m_baidu; }

    void close(int n)
    {
        QMutexLocker lock(&m_mutex);
        m_gates.insert(n, std::make_shared<QSemaphore>(0));
    }
    void open(int n)
    {
        QMutexLocker lock(&m_mutex);
        if (auto gate = m_gates.value(n))
            gate->release(1000);
    }
    void openAll()
    {
        for (int n = 0; n < m_lines.size(); ++n)
            open(n);
    }
    int siteQueries(int n) const
    {
        int count = 0;
        for (const Request &request : m_baidu.requests())
            count += request.param("wd") == addressOf(n) || request.param("word") == addressOf(n);
        return count;
    }

private:
    Reply answer(const Request &request)
    {
        const bool desktop = !request.param("wd").isEmpty();
        const QByteArray query = desktop ? request.param("wd") : request.param("word");
        for (int n = 0; n < m_lines.size(); ++n) {
            if (query == addressOf(n))
                return site(n, desktop);
            if (query == keywordOf(n))
                return keyword(n, desktop);
        }
        return Reply::withStatus(404, QByteArray());
    }

    Reply site(int n, bool desktop)
    {
        std::shared_ptr<QSemaphore> gate;
        {
            QMutexLocker lock(&m_mutex);
            gate = m_gates.value(n);
        }
        if (gate)
            gate->tryAcquire(1, kGateTimeoutMs);
        switch (m_lines.at(n).verdict.unicode()) {
        case 'I':
            return Reply::page(desktop ? desktopRankingSitePage(titleOf(n), dateOf(n))
                                       : mobileRankingSitePage(addressOf(n), dateOf(n)));
        case 'N':
            return Reply::page(desktop ? desktopRankingNotFoundPage() : mobileRankingNotFoundPage());
        default:
            return Reply::dropped();
        }
    }

    Reply keyword(int n, bool desktop) const
    {
        QList<DesktopHeading> headings;
        QList<QByteArray> entries;
        for (int k = 1; k < m_lines.at(n).position; ++k) {
            headings.append(
                {"其他结果" + QByteArray::number(k), "http://other.example/" + QByteArray::number(k)});
            entries.append("http://other.example/" + QByteArray::number(k));
        }
        headings.append({"目标页面", addressOf(n)});
        entries.append(addressOf(n));
        return Reply::page(desktop ? desktopKeywordPage(headings) : mobileKeywordPage(entries));
    }

    LoopbackBaidu m_baidu;
    const QList<PlayedLine> m_lines;
    QMutex m_mutex;
    QHash<int, std::shared_ptr<QSemaphore>> m_gates;
};

QStringList expectedRow(const PlayedLine &line, int n, bool ranking, bool mobile)
{
    const QString address = QString::fromUtf8(addressOf(n));
    const QString keyword = QString::fromUtf8(keywordOf(n));
    if (line.verdict == QLatin1Char('I')) {
        const QString date = QString::fromUtf8(dateOf(n));
        if (ranking)
            return {keyword, address, kIncluded, QString::number(line.position), date};
        return {mobile ? kMobileTitle : QString::fromUtf8(titleOf(n)), address, kIncluded, date};
    }
    const QString status = line.verdict == QLatin1Char('N') ? kNotIncluded : kFailed;
    if (ranking)
        return {keyword, address, status, status == kNotIncluded ? QStringLiteral("--") : QString(),
                QString()};
    return {QString(), address, status, QString()};
}

QString editorText(int count, bool ranking)
{
    QStringList lines;
    for (int n = 0; n < count; ++n)
        lines << (ranking ? QString::fromUtf8(keywordOf(n) + ' ' + addressOf(n))
                          : QString::fromUtf8(addressOf(n)));
    return lines.join(QLatin1Char('\n'));
}

// The real window, driven by object name on one of its query pages.
class Page
{
public:
    Page(UIDemo08 &window, bool ranking) : m_window(window), m_ranking(ranking) {}

    template <typename T> T *get(const char *name) const
    {
        const QString full = QLatin1String(name) + (m_ranking ? QStringLiteral("_2") : QString());
        T *widget = m_window.findChild<T *>(full);
        if (!widget)
            qFatal("no widget %s", qPrintable(full));
        return widget;
    }
    QTableWidget *table() const { return get<QTableWidget>("resultList"); }
    QString text(const char *label) const { return get<QLabel>(label)->text(); }

    void open(bool mobile)
    {
        QTest::mouseClick(m_window.findChild<QToolButton *>(m_ranking ? QStringLiteral("tbtnMain2")
                                                                      : QStringLiteral("tbtnMain1")),
                          Qt::LeftButton);
        QRadioButton *device = get<QRadioButton>(mobile ? "sjRbtn" : "pcRbtn");
        QTest::mouseClick(device, Qt::LeftButton, {}, QPoint(6, device->height() / 2));
        QCOMPARE(m_window.currentDeviceMode(), mobile ? QStringLiteral("sjd") : QStringLiteral("dnd"));
    }
    void start(const QString &text)
    {
        get<QPlainTextEdit>("urlsList")->setPlainText(text);
        QTest::mouseClick(get<QPushButton>("slcxBtn"), Qt::LeftButton);
    }
    void click(const char *button) { QTest::mouseClick(get<QPushButton>(button), Qt::LeftButton); }

    QStringList row(int r) const
    {
        QStringList cells;
        for (int c = 0; c < table()->columnCount(); ++c)
            cells << (table()->item(r, c) ? table()->item(r, c)->text() : QString());
        return cells;
    }
    bool rowEmpty(int r) const { return row(r).join(QString()).isEmpty(); }
    bool finished() const
    {
        return get<QPushButton>("fanhuiBtn")->isEnabled() && get<QPushButton>("daochuBtn")->isEnabled() &&
               !get<QPushButton>("stopBtn")->isEnabled() && get<QProgressBar>("progressBar")->isHidden();
    }
    QStringList totals() const { return {text("tShoulu"), text("twuShoulu"), text("tShoululv")}; }

private:
    UIDemo08 &m_window;
    bool m_ranking;
};

QStringList totalsText(int hits, int received)
{
    return {QStringLiteral("共收录：%1条 ").arg(hits), QStringLiteral("未收录：%1条 ").arg(received - hits),
            QStringLiteral("收录率：%1%").arg(received ? hits * 100 / received : 0)};
}

} // namespace

class TestRunControl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The home page's advertisement panel stays on the loopback interface too.
        m_adServer = std::make_unique<LoopbackBaidu>();
        UIDemo08::setAdvertisementAddressForTesting(
            QUrl(QString::fromLatin1(m_adServer->httpUrl("/pcads/ad.html"))));
    }
    void cleanupTestCase() { QuillaneMessageBox::setAnswererForTesting({}); }

    void init()
    {
        m_answer = true;
        QuillaneMessageBox::setAnswererForTesting([this](const QString &) { return m_answer; });
        m_window = std::make_unique<UIDemo08>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup() { m_window.reset(); }

    void filtersTheEditorLines_data()
    {
        QTest::addColumn<bool>("ranking");
        QTest::addColumn<bool>("mobile");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expectedAddresses");
        const QString a = QString::fromUtf8(addressOf(0));
        const QString b = QStringLiteral("HTTPS://www.site1.example/p");
        const QString filtered =
            QStringLiteral("no address here\n") + a + QLatin1Char('\n') + a + QStringLiteral("\n\n") + b;
        QTest::newRow("inclusion desktop") << false << false << filtered << QStringList{a, b};
        QTest::newRow("inclusion mobile") << false << true << filtered << QStringList{a, b};
        const QString ranked =
            QStringLiteral("关键词0 https://www.site0.example/p\n关键词1 www.site1.example/p\n"
                           "关键词0 https://www.site0.example/p\n关键词2 http://www.site2.example/p");
        QTest::newRow("ranking desktop")
            << true << false << ranked << QStringList{a, QString::fromUtf8(addressOf(2))};
        QTest::newRow("ranking mobile")
            << true << true << ranked << QStringList{a, QString::fromUtf8(addressOf(2))};
    }
    void filtersTheEditorLines()
    {
        QFETCH(bool, ranking);
        QFETCH(bool, mobile);
        QFETCH(QString, text);
        QFETCH(QStringList, expectedAddresses);
        PlayedBaidu baidu(parseLines(QStringLiteral("N N N")));
        m_window->setSearchEndpoints(baidu.endpoints());
        Page page(*m_window, ranking);
        page.open(mobile);
        page.start(text);
        QCOMPARE(page.text("tShuru"), QStringLiteral("总输入：2条 "));
        QTRY_VERIFY(page.finished());
        QCOMPARE(page.table()->rowCount(), 3);
        for (int r = 0; r < expectedAddresses.size(); ++r)
            QCOMPARE(page.row(r).at(1), expectedAddresses.at(r));
        QCOMPARE(baidu.siteQueries(0), 1);
        QCOMPARE(baidu.siteQueries(1), 0);
    }

    void fillsRowsTotalsAndProgress_data()
    {
        QTest::addColumn<bool>("ranking");
        QTest::addColumn<bool>("mobile");
        QTest::addColumn<QString>("lines");
        QTest::newRow("inclusion desktop") << false << false << QStringLiteral("I N F");
        QTest::newRow("inclusion mobile") << false << true << QStringLiteral("N I I");
        QTest::newRow("inclusion none included") << false << false << QStringLiteral("N F");
        QTest::newRow("inclusion seven lines") << false << false << QStringLiteral("I I N I N N I");
        QTest::newRow("ranking desktop") << true << false << QStringLiteral("I3 N I1 F");
        QTest::newRow("ranking mobile") << true << true << QStringLiteral("I2 F N I5");
        QTest::newRow("ranking none included") << true << true << QStringLiteral("N N");
    }
    // Lines are let through one at a time, so every intermediate state is seen.
    void fillsRowsTotalsAndProgress()
    {
        QFETCH(bool, ranking);
        QFETCH(bool, mobile);
        QFETCH(QString, lines);
        const QList<PlayedLine> played = parseLines(lines);
        PlayedBaidu baidu(played);
        for (int n = 0; n < played.size(); ++n)
            baidu.close(n);
        m_window->setSearchEndpoints(baidu.endpoints());
        Page page(*m_window, ranking);
        page.open(mobile);
        page.start(editorText(played.size(), ranking));
        QCOMPARE(page.text("tShuru"), QStringLiteral("总输入：%1条 ").arg(played.size()));
        QVERIFY(page.get<QPushButton>("stopBtn")->isEnabled());
        QVERIFY(!page.get<QPushButton>("fanhuiBtn")->isEnabled());

        int hits = 0;
        for (int n = 0; n < played.size(); ++n) {
            baidu.open(n);
            QTRY_COMPARE(page.row(n), expectedRow(played.at(n), n, ranking, mobile));
            hits += played.at(n).verdict == QLatin1Char('I');
            QCOMPARE(page.totals(), totalsText(hits, n + 1));
            const QString progress = page.get<QProgressBar>("progressBar")->format();
            if (!ranking) {
                QCOMPARE(progress,
                         QStringLiteral("当前进度为：%1%").arg((n + 1) * 100.0 / played.size(), 0, 'f', 1));
            } else {
                // The pool drives the ranking bar, a little ahead of or behind the rows.
                QVERIFY2(QRegularExpression(QStringLiteral("^当前进度为：\\d{1,3}\\.\\d%$"))
                             .match(progress)
                             .hasMatch(),
                         qPrintable(progress));
            }
        }
        QTRY_VERIFY(page.finished());
        QCOMPARE(page.totals(), totalsText(hits, played.size()));
        QCOMPARE(page.table()->rowCount(), played.size() + 1);
        QVERIFY(page.rowEmpty(played.size()));
    }

    void keepsTheSpareRowAcrossRuns_data()
    {
        QTest::addColumn<bool>("ranking");
        QTest::addColumn<int>("secondRunRows");
        QTest::newRow("inclusion") << false << 3;
        QTest::newRow("ranking") << true << 4;
    }
    void keepsTheSpareRowAcrossRuns()
    {
        QFETCH(bool, ranking);
        QFETCH(int, secondRunRows);
        PlayedBaidu baidu(parseLines(QStringLiteral("I N I")));
        m_window->setSearchEndpoints(baidu.endpoints());
        Page page(*m_window, ranking);
        page.open(false);
        const QString text = editorText(3, ranking);
        page.start(text);
        QTRY_VERIFY(page.finished());
        QCOMPARE(page.table()->rowCount(), 4);
        QVERIFY(page.rowEmpty(3));

        page.click("fanhuiBtn");
        QVERIFY(!page.get<QPlainTextEdit>("urlsList")->isHidden());
        QCOMPARE(page.get<QPlainTextEdit>("urlsList")->toPlainText(), text);
        QVERIFY(page.table()->isHidden());
        QVERIFY(page.get<QPushButton>("fanhuiBtn")->isHidden());

        QTest::mouseClick(page.get<QPushButton>("slcxBtn"), Qt::LeftButton);
        QCOMPARE(page.totals(), QStringList({QString(), QString(), QString()}));
        QTRY_VERIFY(page.finished());
        QCOMPARE(page.table()->rowCount(), secondRunRows);
        QCOMPARE(page.row(2), expectedRow({QLatin1Char('I'), 1}, 2, ranking, false));
        QCOMPARE(page.totals(), totalsText(2, 3));
    }

    void placesEarlyRankingResultsInTheirRows()
    {
        if (QThreadPool::globalInstance()->maxThreadCount() < 2)
            QSKIP("needs two pool threads to finish lines out of order");
        const QList<PlayedLine> played = parseLines(QStringLiteral("I1 I2 I3"));
        PlayedBaidu baidu(played);
        for (int n = 0; n < 3; ++n)
            baidu.close(n);
        m_window->setSearchEndpoints(baidu.endpoints());
        Page page(*m_window, true);
        page.open(false);
        page.start(editorText(3, true));
        for (int n : {1, 2, 0}) {
            baidu.open(n);
            QTRY_COMPARE(page.row(n), expectedRow(played.at(n), n, true, false));
            if (n != 0)
                QVERIFY(page.rowEmpty(0));
        }
        QTRY_VERIFY(page.finished());
        QCOMPARE(page.table()->rowCount(), 4);
        QVERIFY(page.rowEmpty(3));
    }

    void runsBothPagesAtOnce()
    {
        const QList<PlayedLine> played = parseLines(QStringLiteral("I2 N I1"));
        PlayedBaidu baidu(played);
        baidu.close(0);
        m_window->setSearchEndpoints(baidu.endpoints());
        Page inclusion(*m_window, false);
        Page ranking(*m_window, true);
        inclusion.open(true);
        inclusion.start(editorText(3, false));
        ranking.open(false);
        ranking.start(editorText(3, true).section(QLatin1Char('\n'), 1));
        QTRY_VERIFY(ranking.finished());
        QCOMPARE(ranking.row(1), expectedRow(played.at(2), 2, true, false));
        QVERIFY(!inclusion.finished());
        QVERIFY(inclusion.rowEmpty(0));
        baidu.open(0);
        QTRY_VERIFY(inclusion.finished());
        for (int n = 0; n < 3; ++n)
            QCOMPARE(inclusion.row(n), expectedRow(played.at(n), n, false, true));
        QCOMPARE(inclusion.totals(), totalsText(2, 3));
        QCOMPARE(ranking.totals(), totalsText(1, 2));
    }

    void stopsAfterConfirmation_data()
    {
        QTest::addColumn<bool>("ranking");
        QTest::addColumn<bool>("confirm");
        QTest::newRow("inclusion confirmed") << false << true;
        QTest::newRow("inclusion cancelled") << false << false;
        QTest::newRow("ranking confirmed") << true << true;
        QTest::newRow("ranking cancelled") << true << false;
    }
    void stopsAfterConfirmation()
    {
        QFETCH(bool, ranking);
        QFETCH(bool, confirm);
        const QList<PlayedLine> played = parseLines(QStringLiteral("I N I"));
        PlayedBaidu baidu(played);
        for (int n = 0; n < 3; ++n)
            baidu.close(n);
        m_window->setSearchEndpoints(baidu.endpoints());
        Page page(*m_window, ranking);
        page.open(false);
        page.start(editorText(3, ranking));
        baidu.open(0);
        QTRY_COMPARE(page.row(0), expectedRow(played.at(0), 0, ranking, false));
        QTRY_VERIFY(baidu.siteQueries(1) == 1);

        m_answer = confirm;
        page.click("stopBtn");
        QCOMPARE(QuillaneMessageBox::takeAskedTextsForTesting(), QStringList{kStopQuestion});
        if (!confirm) {
            QVERIFY(page.get<QPushButton>("stopBtn")->isEnabled());
            baidu.openAll();
            QTRY_VERIFY(page.finished());
            QCOMPARE(page.row(2), expectedRow(played.at(2), 2, ranking, false));
            return;
        }
        QVERIFY(!page.get<QPushButton>("stopBtn")->isEnabled());
        if (ranking) {
            // Cancelled at once: the line in flight is dropped, nothing further is asked.
            QVERIFY(page.finished());
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            QVERIFY(page.rowEmpty(1));
            QVERIFY(page.rowEmpty(2));
            return;
        }
        // The line in progress still finishes and is shown; then the worker ends.
        QVERIFY(!page.get<QPushButton>("fanhuiBtn")->isEnabled());
        baidu.open(1);
        QTRY_VERIFY(page.finished());
        QCOMPARE(page.row(1), expectedRow(played.at(1), 1, false, false));
        QVERIFY(page.rowEmpty(2));
        QCOMPARE(baidu.siteQueries(2), 0);
        QCOMPARE(page.totals(), totalsText(1, 2));
    }

    void stopsARankingRunMidTransfer_data()
    {
        QTest::addColumn<bool>("mobile");
        QTest::newRow("desktop") << false;
        QTest::newRow("mobile") << true;
    }
    void stopsARankingRunMidTransfer()
    {
        QFETCH(bool, mobile);
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &) { return Reply::silent(); });
        m_window->setSearchEndpoints(baidu.endpoints());
        Page page(*m_window, true);
        page.open(mobile);
        page.start(editorText(4, true));
        QTRY_VERIFY(baidu.requestCount() >= 2);
        QElapsedTimer clock;
        clock.start();
        page.click("stopBtn");
        QTRY_VERIFY_WITH_TIMEOUT(page.finished(), 5000);
        qInfo("finished view %lld ms after the confirmed stop", static_cast<long long>(clock.elapsed()));
        QVERIFY2(clock.elapsed() < 5000, "the stop waited for the stalled transfers");
        baidu.stop();
    }

    // Closing the window mid-run (the tray's quit) must not leave the inclusion
    // worker running into the process's teardown; the leak check sees a worker left behind.
    void closingTheWindowMidRunEndsTheWorker()
    {
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &) { return Reply::silent(); });
        m_window->setSearchEndpoints(baidu.endpoints());
        Page page(*m_window, false);
        page.open(false);
        page.start(editorText(3, false));
        QTRY_COMPARE(baidu.requestCount(), 1);
        QElapsedTimer clock;
        clock.start();
        m_window.reset();
        QVERIFY2(clock.elapsed() < 5000, "the window waited for the stalled transfer");
        QCOMPARE(baidu.requestCount(), 1);
    }

    void emptyRunGoesStraightToFinished_data()
    {
        QTest::addColumn<bool>("ranking");
        QTest::newRow("inclusion") << false;
        QTest::newRow("ranking") << true;
    }
    void emptyRunGoesStraightToFinished()
    {
        QFETCH(bool, ranking);
        LoopbackBaidu baidu;
        m_window->setSearchEndpoints(baidu.endpoints());
        Page page(*m_window, ranking);
        page.open(false);
        page.start(QStringLiteral("no address\n\nwww.site.example/p"));
        QCOMPARE(page.text("tShuru"), QStringLiteral("总输入：0条 "));
        QTRY_VERIFY(page.finished());
        QCOMPARE(page.table()->rowCount(), 1);
        QCOMPARE(page.totals(), totalsText(0, 0));
        QCOMPARE(baidu.requestCount(), 0);
    }

    // Only the button named "slcxBtn" starts the inclusion page; any other caller starts the ranking page.
    void startWithoutTheInclusionButtonRunsTheRankingPage()
    {
        PlayedBaidu baidu(parseLines(QStringLiteral("N N")));
        m_window->setSearchEndpoints(baidu.endpoints());
        Page inclusion(*m_window, false);
        Page ranking(*m_window, true);
        ranking.open(false);
        ranking.get<QPlainTextEdit>("urlsList")->setPlainText(editorText(2, true));
        QVERIFY(QMetaObject::invokeMethod(m_window.get(), "showResult"));
        QCOMPARE(ranking.text("tShuru"), QStringLiteral("总输入：2条 "));
        QTRY_VERIFY(ranking.finished());
        QCOMPARE(ranking.row(1), expectedRow({QLatin1Char('N'), 1}, 1, true, false));
        QVERIFY(!inclusion.get<QPlainTextEdit>("urlsList")->isHidden());
        QVERIFY(inclusion.table()->isHidden());
    }

    void staysResponsiveDuringALongRun()
    {
        const int lineCount = 500;
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &) { return Reply::page(desktopRankingNotFoundPage()); });
        m_window->setSearchEndpoints(baidu.endpoints());
        Page page(*m_window, false);
        page.open(false);
        QStringList lines;
        for (int n = 0; n < lineCount; ++n)
            lines << QStringLiteral("http://www.site.example/%1").arg(n);

        QElapsedTimer sinceTick;
        qint64 largestGap = 0;
        QTimer ticker;
        ticker.setInterval(10);
        connect(&ticker, &QTimer::timeout, [&] { largestGap = qMax(largestGap, sinceTick.restart()); });
        page.start(lines.join(QLatin1Char('\n')));
        sinceTick.start();
        ticker.start();
        QTRY_VERIFY_WITH_TIMEOUT(page.finished(), 120000);
        ticker.stop();
        qInfo("largest event-loop gap during %d results: %lld ms", lineCount,
              static_cast<long long>(largestGap));
        QCOMPARE(page.table()->rowCount(), lineCount + 1);
        QCOMPARE(page.totals(), totalsText(0, lineCount));
        QVERIFY2(largestGap <= 100, qPrintable(QString::number(largestGap)));
    }

private:
    std::unique_ptr<LoopbackBaidu> m_adServer;
    std::unique_ptr<UIDemo08> m_window;
    bool m_answer = true;
};

QUILLANE_WINDOW_TEST_MAIN(TestRunControl)
#include "tst_runcontrol.moc"
