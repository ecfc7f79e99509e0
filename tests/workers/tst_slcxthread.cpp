#include "tests/support/inclusionpages.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/rawcaptureserver.h"
#include "tests/support/resultcells.h"
#include "workers/slcxthread.h"

#include <QtTest>

using namespace testsupport;

namespace {
constexpr int kBatchTimeoutMs = 60000;
const QString kEnd = QStringLiteral("end");

// Receives the worker's signals the way the window does: queued, on this thread.
class BatchRecorder : public QObject
{
public:
    explicit BatchRecorder(SlcxThread *worker)
    {
        connect(
            worker, &SlcxThread::send, this,
            [this](const InclusionResult &result, int i) {
                events << QString::number(i) + QLatin1Char(':') + cellsText(result);
            },
            Qt::QueuedConnection);
        connect(
            worker, &SlcxThread::threadEnd, this,
            [this] {
                events << kEnd;
                ended = true;
            },
            Qt::QueuedConnection);
    }

    QStringList events;
    bool ended = false;
};

QStringList addresses(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("http://www.example.com/p%1.html").arg(i);
    return lines;
}

// Desktop answer: the page's own address as title, or "not found" for addresses containing "missing".
Reply desktopAnswer(const Request &request)
{
    const QByteArray asked = request.param("wd");
    if (asked.contains("missing"))
        return Reply::page(desktopPage("没有找到该URL"));
    return Reply::page(desktopPage(desktopHeading(asked)));
}

SearchEndpoints closedEndpoints()
{
    const QByteArray closed = QByteArray("127.0.0.1:") + QByteArray::number(closedLoopbackPort());
    return SearchEndpoints::at(closed, closed);
}
} // namespace

// The inclusion worker: order, interruption, mode choice and the end signal.
class TestSlcxThread : public QObject
{
    Q_OBJECT

private slots:
    void resultsArriveInLineOrderThenEnd()
    {
        LoopbackBaidu baidu;
        baidu.setHandler(desktopAnswer);
        const QStringList lines{QStringLiteral("http://a.com/1"), QStringLiteral("http://a.com/missing"),
                                QStringLiteral("http://a.com/3 x")};
        SlcxThread worker(lines, Device::Desktop, baidu.endpoints());
        BatchRecorder recorder(&worker);
        worker.start();
        QTRY_VERIFY_WITH_TIMEOUT(recorder.ended, kBatchTimeoutMs);
        QVERIFY(worker.wait(kBatchTimeoutMs));
        const QStringList expected{
            QStringLiteral("0:http://a.com/1|http://a.com/1|已收录|无快照"),
            QStringLiteral("1:|http://a.com/missing|未收录|"),
            QStringLiteral("2:http://a.com/3 x|http://a.com/3 x|已收录|无快照"),
            kEnd,
        };
        QCOMPARE(recorder.events, expected);
        const QList<Request> log = baidu.requests();
        QCOMPARE(log.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(log.at(i).param("wd"), lines.at(i).toUtf8());
    }

    // The line in progress still finishes and is sent; no later line starts.
    void interruptionDuringLineThreeOfTen()
    {
        const QStringList lines = addresses(10);
        LoopbackBaidu baidu;
        SlcxThread worker(lines, Device::Desktop, baidu.endpoints());
        baidu.setHandler([&](const Request &request) {
            if (request.param("wd") == lines.at(3).toUtf8())
                worker.requestInterruption();
            return desktopAnswer(request);
        });
        BatchRecorder recorder(&worker);
        worker.start();
        QTRY_VERIFY_WITH_TIMEOUT(recorder.ended, kBatchTimeoutMs);
        QVERIFY(worker.wait(kBatchTimeoutMs));
        QCOMPARE(recorder.events.size(), 5);
        for (int i = 0; i < 4; ++i)
            QVERIFY2(recorder.events.at(i).startsWith(QString::number(i) + QLatin1Char(':') + lines.at(i)),
                     qPrintable(recorder.events.at(i)));
        QCOMPARE(recorder.events.last(), kEnd);
        QCOMPARE(baidu.requestCount(), 4);
    }

    // A stop: the fetch in progress on a silent server is cut short, that line
    // reports nothing (it was never checked), the batch ends without starting
    // another line, and the thread can be joined.
    void abortCutsTheLineInProgressShort()
    {
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &) { return Reply::silent(); });
        SlcxThread worker(addresses(3), Device::Desktop, baidu.endpoints());
        BatchRecorder recorder(&worker);
        worker.start();
        QTRY_COMPARE_WITH_TIMEOUT(baidu.requestCount(), 1, kBatchTimeoutMs);
        worker.abortCurrentLine();
        // Far below the 30 s a silent server would otherwise hold the line.
        QVERIFY(worker.wait(10000));
        QTRY_VERIFY_WITH_TIMEOUT(recorder.ended, kBatchTimeoutMs);
        QCOMPARE(recorder.events, QStringList{kEnd});
        QCOMPARE(baidu.requestCount(), 1);
    }

    void requestBeforeStartDoesNotCount()
    {
        LoopbackBaidu baidu;
        baidu.setHandler(desktopAnswer);
        SlcxThread worker(addresses(2), Device::Desktop, baidu.endpoints());
        worker.requestInterruption();
        BatchRecorder recorder(&worker);
        worker.start();
        QTRY_VERIFY_WITH_TIMEOUT(recorder.ended, kBatchTimeoutMs);
        QVERIFY(worker.wait(kBatchTimeoutMs));
        QCOMPARE(recorder.events.size(), 3);
    }

    void emptyListOnlyEnds()
    {
        SlcxThread worker(QStringList(), Device::Mobile, closedEndpoints());
        BatchRecorder recorder(&worker);
        worker.start();
        QTRY_VERIFY_WITH_TIMEOUT(recorder.ended, kBatchTimeoutMs);
        QVERIFY(worker.wait(kBatchTimeoutMs));
        QCOMPARE(recorder.events, QStringList{kEnd});
    }

    void deviceSelectsTheCheck_data()
    {
        QTest::addColumn<Device>("device");
        QTest::addColumn<QByteArray>("queryKey");
        QTest::newRow("mobile") << Device::Mobile << QByteArray("word");
        QTest::newRow("desktop") << Device::Desktop << QByteArray("wd");
    }

    void deviceSelectsTheCheck()
    {
        QFETCH(Device, device);
        QFETCH(QByteArray, queryKey);
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &) { return Reply::page(mobilePage("<p>none</p>")); });
        const QStringList lines = addresses(2);
        SlcxThread worker(lines, device, baidu.endpoints());
        BatchRecorder recorder(&worker);
        worker.start();
        QTRY_VERIFY_WITH_TIMEOUT(recorder.ended, kBatchTimeoutMs);
        QVERIFY(worker.wait(kBatchTimeoutMs));
        const QList<Request> log = baidu.requests();
        QCOMPARE(log.size(), 2);
        for (int i = 0; i < log.size(); ++i) {
            QCOMPARE(log.at(i).param(queryKey), lines.at(i).toUtf8());
            QCOMPARE(log.at(i).header("User-Agent").contains("Android"), queryKey == "word");
        }
        // A page with neither results nor Baidu's word that it has none is no answer on either device.
        const QString status = QStringLiteral("异常");
        QVERIFY2(recorder.events.at(0).contains(QStringLiteral("|") + status + QStringLiteral("|")),
                 qPrintable(recorder.events.at(0)));
    }

    void everyFetchFailing()
    {
        const QStringList lines = addresses(3);
        SlcxThread worker(lines, Device::Desktop, closedEndpoints());
        BatchRecorder recorder(&worker);
        worker.start();
        QTRY_VERIFY_WITH_TIMEOUT(recorder.ended, kBatchTimeoutMs);
        QVERIFY(worker.wait(kBatchTimeoutMs));
        QStringList expected;
        for (int i = 0; i < lines.size(); ++i)
            expected << QString::number(i) + QStringLiteral(":|") + lines.at(i) + QStringLiteral("|异常|");
        expected << kEnd;
        QCOMPARE(recorder.events, expected);
    }
};

QTEST_GUILESS_MAIN(TestSlcxThread)
#include "tst_slcxthread.moc"
