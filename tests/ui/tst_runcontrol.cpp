#include "app/systemtrayicon.h"
#include "tests/support/inclusionpages.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/rankingpages.h"
#include "tests/support/windowtestmain.h"
#include "ui/frame/uidemo08.h"
#include "ui/widgets/messagebox.h"

#include <QtTest>

#include <QAction>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QMutex>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSemaphore>
#include <QStandardPaths>
#include <QTableView>
#include <QThreadPool>
#include <QToolButton>

#include <memory>

using namespace testsupport;

namespace {

const QString kIncluded = QStringLiteral("已收录");
const QString kNotIncluded = QStringLiteral("未收录");
const QString kFailed = QStringLiteral("异常");
const QString kStopQuestion = QStringLiteral("确定要停止查询吗？     ");
const QString kQuitQuestion = QStringLiteral("查询尚未完成，确定退出吗？");
const QString kStopping = QStringLiteral("正在停止…");
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
// there), "B" included but beyond the first 30, "N" not included, "F" the
// site query fails, "R" it fails the first time and answers as "I" after.
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
    void setAnswerDelay(int ms) { m_delayMs = ms; }
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
        if (m_delayMs > 0)
            QThread::msleep(m_delayMs);
        QChar verdict = m_lines.at(n).verdict;
        if (verdict == QLatin1Char('R')) {
            QMutexLocker lock(&m_mutex);
            verdict = m_retried.contains(n) ? QLatin1Char('I') : QLatin1Char('F');
            m_retried.insert(n);
        }
        switch (verdict.unicode()) {
        case 'B':
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
        // "B": a full first page of other sites.
        const int others = m_lines.at(n).verdict == QLatin1Char('B') ? 30 : m_lines.at(n).position - 1;
        for (int k = 1; k <= others; ++k) {
            headings.append(
                {"其他结果" + QByteArray::number(k), "http://other.example/" + QByteArray::number(k)});
            entries.append("http://other.example/" + QByteArray::number(k));
        }
        if (m_lines.at(n).verdict != QLatin1Char('B')) {
            headings.append({"目标页面", addressOf(n)});
            entries.append(addressOf(n));
        }
        return Reply::page(desktop ? desktopKeywordPage(headings) : mobileKeywordPage(entries));
    }

    LoopbackBaidu m_baidu;
    const QList<PlayedLine> m_lines;
    QMutex m_mutex;
    QHash<int, std::shared_ptr<QSemaphore>> m_gates;
    QSet<int> m_retried;
    std::atomic<int> m_delayMs{0};
};

QStringList expectedRow(const PlayedLine &line, int n, bool ranking, bool mobile)
{
    const QString address = QString::fromUtf8(addressOf(n));
    const QString keyword = QString::fromUtf8(keywordOf(n));
    if (line.verdict == QLatin1Char('I') || line.verdict == QLatin1Char('B') ||
        line.verdict == QLatin1Char('R')) {
        const QString date = QString::fromUtf8(dateOf(n));
        const QString position =
            line.verdict == QLatin1Char('B') ? QStringLiteral("30+") : QString::number(line.position);
        if (ranking)
            return {keyword, address, kIncluded, position, date};
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
    QTableView *table() const { return get<QTableView>("resultList"); }
    int rows() const { return table()->model()->rowCount(); }
    QString text(const char *label) const { return get<QLabel>(label)->text(); }
    QString status() const { return get<QLabel>("zhuangTai")->text(); }
    // Line numbers of the rows shown, top to bottom.
    QList<int> shownLines() const
    {
        QList<int> lines;
        for (int r = 0; r < rows(); ++r)
            lines << table()->model()->headerData(r, Qt::Vertical).toInt() - 1;
        return lines;
    }

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
        const QAbstractItemModel *shown = table()->model();
        // The result's cells; the last column holds its change since the previous run.
        for (int c = 0; c < shown->columnCount() - 1; ++c)
            cells << shown->index(r, c).data().toString();
        return cells;
    }
    bool rowEmpty(int r) const { return row(r).join(QString()).isEmpty(); }
    bool finished() const
    {
        return get<QPushButton>("fanhuiBtn")->isEnabled() && get<QPushButton>("daochuBtn")->isEnabled() &&
               !get<QPushButton>("stopBtn")->isEnabled() && get<QProgressBar>("progressBar")->isHidden();
    }
    QStringList totals() const
    {
        return {text("tShoulu"), text("twuShoulu"), text("tYichang"), text("tShoululv")};
    }

private:
    UIDemo08 &m_window;
    bool m_ranking;
};

// The rate counts only lines with a verdict.
QStringList totalsText(int hits, int notIncluded, int failed)
{
    return {
        QStringLiteral("共收录：%1条 ").arg(hits), QStringLiteral("未收录：%1条 ").arg(notIncluded),
        QStringLiteral("异常：%1条 ").arg(failed),
        QStringLiteral("收录率：%1%")
            .arg(hits + notIncluded ? (hits * 200 + hits + notIncluded) / (2 * (hits + notIncluded)) : 0)};
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
        QTest::addColumn<int>("dropped");
        const QString a = QString::fromUtf8(addressOf(0));
        const QString b = QStringLiteral("HTTPS://www.site1.example/p");
        const QString filtered =
            QStringLiteral("no address here\n") + a + QLatin1Char('\n') + a + QStringLiteral("\n\n") + b;
        QTest::newRow("inclusion desktop") << false << false << filtered << QStringList{a, b} << 3;
        QTest::newRow("inclusion mobile") << false << true << filtered << QStringList{a, b} << 3;
        const QString ranked =
            QStringLiteral("关键词0 https://www.site0.example/p\n关键词1 www.site1.example/p\n"
                           "关键词0 https://www.site0.example/p\n关键词2 http://www.site2.example/p");
        // An address is checked as typed, https and all.
        const QString typed = QStringLiteral("https://www.site0.example/p");
        QTest::newRow("ranking desktop")
            << true << false << ranked << QStringList{typed, QString::fromUtf8(addressOf(2))} << 2;
        QTest::newRow("ranking mobile")
            << true << true << ranked << QStringList{typed, QString::fromUtf8(addressOf(2))} << 2;
    }
    void filtersTheEditorLines()
    {
        QFETCH(bool, ranking);
        QFETCH(bool, mobile);
        QFETCH(QString, text);
        QFETCH(QStringList, expectedAddresses);
        QFETCH(int, dropped);
        PlayedBaidu baidu(parseLines(QStringLiteral("N N N")));
        m_window->setSearchEndpoints(baidu.endpoints());
        Page page(*m_window, ranking);
        page.open(mobile);
        page.start(text);
        QCOMPARE(page.text("tShuru"), QStringLiteral("总输入：2条 "));
        QCOMPARE(page.status(), QStringLiteral("已忽略 %1 行").arg(dropped));
        QTRY_VERIFY(page.finished());
        QCOMPARE(page.rows(), 2);
        for (int r = 0; r < expectedAddresses.size(); ++r)
            QCOMPARE(page.row(r).at(1), expectedAddresses.at(r));
        QCOMPARE(baidu.siteQueries(ranking ? 2 : 0), 1);
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
        int notIncluded = 0;
        for (int n = 0; n < played.size(); ++n) {
            baidu.open(n);
            QTRY_COMPARE(page.row(n), expectedRow(played.at(n), n, ranking, mobile));
            hits += played.at(n).verdict == QLatin1Char('I');
            notIncluded += played.at(n).verdict == QLatin1Char('N');
            QCOMPARE(page.totals(), totalsText(hits, notIncluded, n + 1 - hits - notIncluded));
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
        const int failed = played.size() - hits - notIncluded;
        QCOMPARE(page.totals(), totalsText(hits, notIncluded, failed));
        QCOMPARE(page.rows(), played.size());
        QCOMPARE(page.status().section(QStringLiteral("，用时"), 0, 0),
                 QStringLiteral("查询完成：%1 条，异常 %2 条").arg(played.size()).arg(failed));
    }

    void startsAfreshAcrossRuns_data()
    {
        QTest::addColumn<bool>("ranking");
        QTest::addColumn<int>("secondRunRows");
        QTest::newRow("inclusion") << false << 3;
        QTest::newRow("ranking") << true << 3;
    }
    void startsAfreshAcrossRuns()
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
        QCOMPARE(page.rows(), 3);

        page.click("fanhuiBtn");
        QVERIFY(!page.get<QPlainTextEdit>("urlsList")->isHidden());
        QCOMPARE(page.get<QPlainTextEdit>("urlsList")->toPlainText(), text);
        QVERIFY(page.table()->isHidden());
        QVERIFY(page.get<QPushButton>("fanhuiBtn")->isHidden());

        QTest::mouseClick(page.get<QPushButton>("slcxBtn"), Qt::LeftButton);
        QCOMPARE(page.totals(), QStringList({QString(), QString(), QString(), QString()}));
        QTRY_VERIFY(page.finished());
        QCOMPARE(page.rows(), secondRunRows);
        QCOMPARE(page.row(2), expectedRow({QLatin1Char('I'), 1}, 2, ranking, false));
        QCOMPARE(page.totals(), totalsText(2, 1, 0));
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
        QCOMPARE(page.rows(), 3);
    }

    // Baidu changes its markup mid-run: five pages in a row that cannot be read
    // stop the run, and the page says so with the folder that keeps them.
    void stopsWhenBaiduChangesItsLayout_data()
    {
        QTest::addColumn<bool>("ranking");
        QTest::addColumn<bool>("mobile");
        QTest::newRow("ranking desktop") << true << false;
        QTest::newRow("inclusion mobile") << false << true;
    }
    void stopsWhenBaiduChangesItsLayout()
    {
        QFETCH(bool, ranking);
        QFETCH(bool, mobile);
        constexpr int kLines = 30;
        LoopbackBaidu baidu;
        std::atomic<int> pages{0};
        baidu.setHandler([&](const Request &request) {
            if (++pages > 2)
                return Reply::page(
                    "<html><head><title>x_百度搜索</title></head><body><div id=\"main-2030\">"
                    "<div class=\"card-x\"><a href=\"http://www.a.cn/\">A</a></div></div></body></html>");
            const QByteArray word = request.param("word");
            if (!word.isEmpty())
                return Reply::page(word.startsWith("http") ? mobileRankingSitePage(word, "1天前")
                                                           : mobileKeywordPage({"http://www.a.cn/"}));
            return Reply::page(request.param("rn").isEmpty()
                                   ? desktopRankingSitePage("A", "1天前")
                                   : desktopKeywordPage({{"A", "http://www.a.cn/"}}));
        });
        m_window->setSearchEndpoints(baidu.endpoints());
        Page page(*m_window, ranking);
        page.open(mobile);
        page.start(editorText(kLines, ranking));
        QTRY_VERIFY(page.finished());
        const QString status = page.status();
        QVERIFY2(status.startsWith(QStringLiteral("百度页面结构可能已变化，已停止查询")), qPrintable(status));
        const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        const QString folder =
            status.section(QStringLiteral("保存在 "), 1).section(QStringLiteral("）"), 0, 0);
        QVERIFY2(folder.startsWith(data + QStringLiteral("/quillane/layout-pages/")), qPrintable(status));
        QCOMPARE(QDir(folder).entryList({QStringLiteral("*.html")}, QDir::Files).size(), 5);
        QVERIFY2(baidu.requestCount() < kLines, qPrintable(QString::number(baidu.requestCount())));
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
        QCOMPARE(inclusion.totals(), totalsText(2, 1, 0));
        QCOMPARE(ranking.totals(), totalsText(1, 1, 0));
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
            QVERIFY(page.get<QPushButton>("chongchaBtn")->isHidden());
            return;
        }
        // The line in flight is cut short and never shown: it was not checked.
        QVERIFY(!page.get<QPushButton>("stopBtn")->isEnabled());
        QTRY_VERIFY(page.finished());
        QCOMPARE(page.rows(), 1);
        // The pool may have started line 2 beside line 1; the inclusion thread goes line by line.
        QVERIFY(baidu.siteQueries(2) <= (ranking ? 1 : 0));
        QCOMPARE(page.totals(), totalsText(1, 0, 0));
        QVERIFY(page.status().startsWith(QStringLiteral("查询已停止：1 条，异常 0 条")));

        // 重查异常 takes up the lines never checked and fills their rows.
        baidu.openAll();
        page.click("chongchaBtn");
        QTRY_VERIFY(page.finished());
        for (int n = 0; n < 3; ++n)
            QCOMPARE(page.row(n), expectedRow(played.at(n), n, ranking, false));
        QCOMPARE(baidu.siteQueries(0), 1);
        QCOMPARE(page.totals(), totalsText(2, 1, 0));
        QVERIFY(page.get<QPushButton>("chongchaBtn")->isHidden());
    }

    void stopsMidTransfer_data()
    {
        QTest::addColumn<bool>("ranking");
        QTest::addColumn<bool>("mobile");
        QTest::newRow("inclusion desktop") << false << false;
        QTest::newRow("inclusion mobile") << false << true;
        QTest::newRow("ranking desktop") << true << false;
        QTest::newRow("ranking mobile") << true << true;
    }
    // A silent server holds a line for 30 s; the stop cuts it short and says so meanwhile.
    void stopsMidTransfer()
    {
        QFETCH(bool, ranking);
        QFETCH(bool, mobile);
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &) { return Reply::silent(); });
        m_window->setSearchEndpoints(baidu.endpoints());
        Page page(*m_window, ranking);
        page.open(mobile);
        page.start(editorText(4, ranking));
        QTRY_VERIFY(baidu.requestCount() >= 1);
        QElapsedTimer clock;
        clock.start();
        page.click("stopBtn");
        QCOMPARE(page.status(), kStopping);
        QTRY_VERIFY_WITH_TIMEOUT(page.finished(), 5000);
        qInfo("finished view %lld ms after the confirmed stop", static_cast<long long>(clock.elapsed()));
        QVERIFY2(clock.elapsed() < 5000, "the stop waited for the stalled transfers");
        QCOMPARE(page.rows(), 0);
        QVERIFY(!page.get<QPushButton>("chongchaBtn")->isHidden());
        baidu.stop();
    }

    void recheckRunsOnlyFailedLines_data()
    {
        QTest::addColumn<bool>("ranking");
        QTest::newRow("inclusion") << false;
        QTest::newRow("ranking") << true;
    }
    void recheckRunsOnlyFailedLines()
    {
        QFETCH(bool, ranking);
        const QList<PlayedLine> played = parseLines(QStringLiteral("I R N R"));
        PlayedBaidu baidu(played);
        m_window->setSearchEndpoints(baidu.endpoints());
        Page page(*m_window, ranking);
        page.open(false);
        page.start(editorText(4, ranking));
        QTRY_VERIFY(page.finished());
        QCOMPARE(page.totals(), totalsText(1, 1, 2));
        QCOMPARE(page.row(1).at(2), kFailed);
        QVERIFY(page.table()->model()->index(1, 0).data(Qt::BackgroundRole).isValid());
        QVERIFY(!page.table()->model()->index(0, 0).data(Qt::BackgroundRole).isValid());

        page.click("chongchaBtn");
        QVERIFY(!page.finished());
        QTRY_VERIFY(page.finished());
        for (int n = 0; n < 4; ++n)
            QCOMPARE(page.row(n), expectedRow(played.at(n), n, ranking, false));
        QCOMPARE(page.totals(), totalsText(3, 1, 0));
        QCOMPARE(baidu.siteQueries(0), 1);
        QCOMPARE(baidu.siteQueries(1), 2);
        QCOMPARE(baidu.siteQueries(2), 1);
        QVERIFY(page.get<QPushButton>("chongchaBtn")->isHidden());
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

    void quittingMidRunAsksFirst_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("confirm");
        QTest::newRow("close button, idle") << QStringLiteral("btnMenu_Close") << false << false;
        QTest::newRow("close button, refused") << QStringLiteral("btnMenu_Close") << true << false;
        QTest::newRow("close button, confirmed") << QStringLiteral("btnMenu_Close") << true << true;
        // Confirmed, these two end the process: only the refusal can be watched.
        QTest::newRow("用户退出, refused") << QStringLiteral("btnExit") << true << false;
        QTest::newRow("tray quit, refused") << QStringLiteral("quitAction") << true << false;
    }
    void quittingMidRunAsksFirst()
    {
        QFETCH(QString, how);
        QFETCH(bool, running);
        QFETCH(bool, confirm);
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &) { return Reply::silent(); });
        m_window->setSearchEndpoints(baidu.endpoints());
        SystemTrayIcon tray({QString(), QString()}, QIcon(), m_window.get());
        Page page(*m_window, false);
        page.open(false);
        if (running) {
            page.start(editorText(2, false));
            QTRY_COMPARE(baidu.requestCount(), 1);
        }
        m_answer = confirm;
        if (auto *action = m_window->findChild<QAction *>(how))
            action->trigger();
        else
            QTest::mouseClick(m_window->findChild<QAbstractButton *>(how), Qt::LeftButton);
        QCOMPARE(QuillaneMessageBox::takeAskedTextsForTesting(),
                 running ? QStringList{kQuitQuestion} : QStringList());
        QCOMPARE(m_window->isVisible(), running && !confirm);
        QCOMPARE(m_window->isQueryRunning(), running);
    }

    void emptyInputStaysOnTheEditor_data()
    {
        QTest::addColumn<bool>("ranking");
        QTest::addColumn<QString>("text");
        QTest::newRow("inclusion, nothing typed") << false << QString();
        QTest::newRow("inclusion, all dropped")
            << false << QStringLiteral("no address\n\nwww.site.example/p");
        QTest::newRow("ranking, all dropped") << true << QStringLiteral("关键词 www.site.example/p\n");
    }
    void emptyInputStaysOnTheEditor()
    {
        QFETCH(bool, ranking);
        QFETCH(QString, text);
        LoopbackBaidu baidu;
        m_window->setSearchEndpoints(baidu.endpoints());
        Page page(*m_window, ranking);
        page.open(false);
        page.start(text);
        QCOMPARE(page.status(), QStringLiteral("没有可查询的行"));
        QVERIFY(page.get<QLabel>("zhuangTai")->isVisible());
        QVERIFY(page.get<QPlainTextEdit>("urlsList")->isVisible());
        QVERIFY(page.table()->isHidden());
        QCOMPARE(page.get<QPlainTextEdit>("urlsList")->toPlainText(), text);
        QCOMPARE(baidu.requestCount(), 0);
    }

    // Ctrl+Enter in the editor runs the query; Esc asks to stop it.
    void keyboardRunsAndStops_data()
    {
        QTest::addColumn<bool>("ranking");
        QTest::addColumn<int>("key");
        QTest::newRow("inclusion, Return") << false << int(Qt::Key_Return);
        QTest::newRow("ranking, keypad Enter") << true << int(Qt::Key_Enter);
    }
    void keyboardRunsAndStops()
    {
        QFETCH(bool, ranking);
        QFETCH(int, key);
        PlayedBaidu baidu(parseLines(QStringLiteral("N N")));
        baidu.close(0);
        baidu.close(1);
        m_window->setSearchEndpoints(baidu.endpoints());
        Page page(*m_window, ranking);
        page.open(false);
        auto *editor = page.get<QPlainTextEdit>("urlsList");
        editor->setPlainText(editorText(2, ranking));
        QApplication::setActiveWindow(m_window.get());
        editor->setFocus();
        QTest::keyClick(editor, Qt::Key(key), Qt::ControlModifier);
        QCOMPARE(page.text("tShuru"), QStringLiteral("总输入：2条 "));
        QCOMPARE(editor->toPlainText(), editorText(2, ranking));
        m_answer = false;
        page.table()->setFocus();
        QTest::keyClick(page.table(), Qt::Key_Escape);
        QCOMPARE(QuillaneMessageBox::takeAskedTextsForTesting(), QStringList{kStopQuestion});
        QVERIFY(page.get<QPushButton>("stopBtn")->isEnabled());
        m_answer = true;
        QTest::keyClick(page.get<QPushButton>("stopBtn"), Qt::Key_Escape);
        QCOMPARE(QuillaneMessageBox::takeAskedTextsForTesting(), QStringList{kStopQuestion});
        QTRY_VERIFY(page.finished());
    }

    // Esc asks to stop the shown page's run wherever the focus went; on another page it asks nothing.
    void escapeStopsWhereverTheFocusIs_data()
    {
        QTest::addColumn<bool>("keyboard"); // started with Ctrl+Enter, not the button
        QTest::addColumn<QString>("via");   // a page visited meanwhile
        QTest::addColumn<bool>("asked");
        QTest::newRow("after 查询") << false << QString() << true;
        QTest::newRow("after Ctrl+Enter") << true << QString() << true;
        QTest::newRow("after a page switch and back") << false << QStringLiteral("tbtnMain3") << true;
        QTest::newRow("on another page") << true << QStringLiteral("tbtnMain2") << false;
    }
    void escapeStopsWhereverTheFocusIs()
    {
        QFETCH(bool, keyboard);
        QFETCH(QString, via);
        QFETCH(bool, asked);
        PlayedBaidu baidu(parseLines(QStringLiteral("N N")));
        baidu.close(0);
        m_window->setSearchEndpoints(baidu.endpoints());
        Page page(*m_window, false);
        page.open(false);
        QApplication::setActiveWindow(m_window.get());
        auto *editor = page.get<QPlainTextEdit>("urlsList");
        editor->setPlainText(editorText(2, false));
        editor->setFocus();
        if (keyboard)
            QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
        else
            page.click("slcxBtn");
        QVERIFY(page.get<QPushButton>("stopBtn")->isEnabled());
        if (!via.isEmpty()) {
            QTest::mouseClick(m_window->findChild<QToolButton *>(via), Qt::LeftButton);
            if (asked)
                page.open(false);
        }
        m_answer = true;
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : m_window.get(), Qt::Key_Escape);
        QCOMPARE(QuillaneMessageBox::takeAskedTextsForTesting(),
                 asked ? QStringList{kStopQuestion} : QStringList());
        if (!asked) {
            page.open(false);
            page.click("stopBtn");
            QuillaneMessageBox::takeAskedTextsForTesting();
        }
        QTRY_VERIFY(page.finished());
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

    // New rows are followed only while the view is at the bottom.
    void followsNewRowsOnlyAtTheBottom_data()
    {
        QTest::addColumn<bool>("scrolledUp");
        QTest::newRow("at the bottom") << false;
        QTest::newRow("reading earlier rows") << true;
    }
    void followsNewRowsOnlyAtTheBottom()
    {
        QFETCH(bool, scrolledUp);
        const int lineCount = 500;
        PlayedBaidu baidu(parseLines(QStringLiteral("N ").repeated(lineCount)));
        baidu.close(300);
        m_window->setSearchEndpoints(baidu.endpoints());
        Page page(*m_window, false);
        page.open(false);
        page.start(editorText(lineCount, false));
        QTRY_COMPARE_WITH_TIMEOUT(page.rows(), 300, 60000);
        QScrollBar *bar = page.table()->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0 && bar->value() == bar->maximum());
        if (scrolledUp)
            bar->setValue(0);
        baidu.open(300);
        QTRY_VERIFY_WITH_TIMEOUT(page.finished(), 60000);
        QCOMPARE(page.rows(), lineCount);
        QCOMPARE(page.totals(), totalsText(0, lineCount, 0));
        QCOMPARE(bar->value(), scrolledUp ? 0 : bar->maximum());
    }

    void sortsByHeading_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("order");
        QTest::addColumn<QList<int>>("lines");
        QTest::newRow("position, ascending")
            << 3 << int(Qt::AscendingOrder) << QList<int>{4, 1, 6, 7, 8, 9, 10, 0, 5, 3, 2};
        QTest::newRow("position, descending")
            << 3 << int(Qt::DescendingOrder) << QList<int>{2, 3, 5, 0, 10, 9, 8, 7, 6, 1, 4};
        QTest::newRow("snapshot by date")
            << 4 << int(Qt::AscendingOrder) << QList<int>{0, 1, 4, 5, 6, 7, 8, 9, 10, 2, 3};
        QTest::newRow("keyword as text")
            << 0 << int(Qt::AscendingOrder) << QList<int>{0, 1, 10, 2, 3, 4, 5, 6, 7, 8, 9};
    }
    void sortsByHeading()
    {
        QFETCH(int, column);
        QFETCH(int, order);
        QFETCH(QList<int>, lines);
        Page page(*m_window, true);
        PlayedBaidu baidu(kMixedRanking);
        runMixedRanking(page, baidu);
        QHeaderView *header = page.table()->horizontalHeader();
        for (int click = 0; click < 2 && (header->sortIndicatorSection() != column ||
                                          header->sortIndicatorOrder() != Qt::SortOrder(order));
             ++click) {
            const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                                header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
        }
        QCOMPARE(page.shownLines(), lines);
    }

    void filtersRows_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QList<int>>("lines");
        QTest::newRow("全部") << QStringLiteral("filterAll") << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        QTest::newRow("已收录") << QStringLiteral("filterIncluded") << QList<int>{0, 1, 4, 5, 6, 7, 8, 9, 10};
        QTest::newRow("未收录") << QStringLiteral("filterNotIncluded") << QList<int>{3};
        QTest::newRow("异常") << QStringLiteral("filterFailed") << QList<int>{2};
        QTest::newRow("前10") << QStringLiteral("filterTop10") << QList<int>{0, 1, 4, 6, 7, 8, 9, 10};
        QTest::newRow("30+") << QStringLiteral("filterBeyond30") << QList<int>{5};
    }
    void filtersRows()
    {
        QFETCH(QString, filter);
        QFETCH(QList<int>, lines);
        Page page(*m_window, true);
        PlayedBaidu baidu(kMixedRanking);
        runMixedRanking(page, baidu);
        page.click("filterFailed");
        QTest::mouseClick(m_window->findChild<QPushButton *>(filter + QStringLiteral("_2")), Qt::LeftButton);
        QCOMPARE(page.shownLines(), lines);
    }

    void copiesRowsForASpreadsheet_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QList<int>>("lines");
        QTest::addColumn<bool>("addressesOnly");
        QTest::newRow("Ctrl+C, selected rows")
            << QStringLiteral("filterAll") << QList<int>{2, 0} << QString() << QList<int>{0, 2} << false;
        QTest::newRow("复制全部, filtered")
            << QStringLiteral("filterIncluded") << QList<int>{0} << QStringLiteral("copyAllAction")
            << QList<int>{0, 1, 4, 5, 6, 7, 8, 9, 10} << false;
        QTest::newRow("复制网址, selected")
            << QStringLiteral("filterAll") << QList<int>{3, 5} << QStringLiteral("copyAddressesAction")
            << QList<int>{3, 5} << true;
    }
    void copiesRowsForASpreadsheet()
    {
        QFETCH(QString, filter);
        QFETCH(QList<int>, selected);
        QFETCH(QString, action);
        QFETCH(QList<int>, lines);
        QFETCH(bool, addressesOnly);
        Page page(*m_window, true);
        PlayedBaidu baidu(kMixedRanking);
        runMixedRanking(page, baidu);
        QTest::mouseClick(m_window->findChild<QPushButton *>(filter + QStringLiteral("_2")), Qt::LeftButton);
        QTableView *table = page.table();
        for (int r : selected)
            table->selectionModel()->select(table->model()->index(r, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QApplication::clipboard()->clear();
        QApplication::setActiveWindow(m_window.get());
        table->setFocus();
        if (action.isEmpty())
            QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
        else
            m_window->findChild<QAction *>(action + QStringLiteral("_2"))->trigger();

        QStringList expected;
        if (!addressesOnly)
            expected << QStringLiteral("关键词\t网址\t收录\t排名\t快照\t原因");
        for (int n : lines) {
            // Why a line is 异常 comes last, as the command writes it.
            const QString reason = kMixedRanking.at(n).verdict == QLatin1Char('F') ? kDropped : QString();
            expected << (addressesOnly
                             ? QString::fromUtf8(addressOf(n))
                             : expectedRow(kMixedRanking.at(n), n, true, false).join(QLatin1Char('\t')) +
                                   QLatin1Char('\t') + reason);
        }
        QCOMPARE(QApplication::clipboard()->text(), expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }

    // Full dates and "30+" fit their columns; long texts are elided, never wrapped, and shown whole as
    // tooltips.
    void showsCellsWhole()
    {
        Page page(*m_window, true);
        PlayedBaidu baidu(kMixedRanking);
        runMixedRanking(page, baidu);
        QTableView *table = page.table();
        QVERIFY(!table->wordWrap());
        const QFontMetrics metrics = table->fontMetrics();
        QVERIFY(table->columnWidth(3) > metrics.horizontalAdvance(QStringLiteral("30+")) + 6);
        QVERIFY(table->columnWidth(4) > metrics.horizontalAdvance(QStringLiteral("2019年12月28日")) + 6);
        QCOMPARE(table->model()->index(0, 1).data(Qt::ToolTipRole).toString(),
                 QString::fromUtf8(addressOf(0)));
    }

    // A 异常 cell says why as its tooltip; the 原因 column shows it on demand, before 变化.
    void explainsFailedLines_data()
    {
        QTest::addColumn<bool>("fromHeadings"); // the headings' menu, or the table's
        QTest::newRow("table menu") << false;
        QTest::newRow("headings menu") << true;
    }
    void explainsFailedLines()
    {
        QFETCH(bool, fromHeadings);
        Page page(*m_window, true);
        PlayedBaidu baidu(kMixedRanking);
        runMixedRanking(page, baidu);
        QTableView *table = page.table();
        const int columns = table->model()->columnCount();
        QCOMPARE(table->model()->index(2, 2).data().toString(), kFailed);
        QCOMPARE(table->model()->index(2, 2).data(Qt::ToolTipRole).toString(), kDropped);
        QWidget *menuHolder = fromHeadings ? static_cast<QWidget *>(table->horizontalHeader()) : table;
        QAction *show = nullptr;
        for (QAction *action : menuHolder->actions())
            show = action->objectName() == QLatin1String("showReasonsAction_2") ? action : show;
        QVERIFY(show && show->isCheckable());
        show->trigger();
        QCOMPARE(table->model()->columnCount(), columns + 1);
        QCOMPARE(table->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("原因"));
        QCOMPARE(table->model()->index(2, 5).data().toString(), kDropped);
        QCOMPARE(table->model()->index(0, 5).data().toString(), QString());
        QVERIFY(table->columnWidth(5) >= table->fontMetrics().horizontalAdvance(kDropped));
        show->trigger();
        QCOMPARE(table->model()->columnCount(), columns);
    }

private:
    const QString kDropped = QStringLiteral("连接失败");
    const QList<PlayedLine> kMixedRanking = parseLines(QStringLiteral("I10 I2 F N I1 B I3 I4 I5 I6 I7"));

    void runMixedRanking(Page &page, PlayedBaidu &baidu)
    {
        m_window->setSearchEndpoints(baidu.endpoints());
        page.open(false);
        page.start(editorText(kMixedRanking.size(), true));
        QTRY_VERIFY(page.finished());
        QCOMPARE(page.rows(), kMixedRanking.size());
    }

private:
    std::unique_ptr<LoopbackBaidu> m_adServer;
    std::unique_ptr<UIDemo08> m_window;
    bool m_answer = true;
};

QUILLANE_WINDOW_TEST_MAIN(TestRunControl)
#include "tst_runcontrol.moc"
