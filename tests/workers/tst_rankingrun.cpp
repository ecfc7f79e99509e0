#include "search/layoutdriftguard.h"
#include "search/resultstrings.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/rankingpages.h"
#include "tests/support/resultcells.h"
#include "workers/rankingrun.h"

#include <QtTest>

#include <QDir>
#include <QTemporaryDir>
#include <QThreadPool>

#include <algorithm>

using testsupport::LoopbackBaidu;
using testsupport::Reply;
using testsupport::Request;

namespace {

// Site queries for addresses with these words are held back.
const QByteArray kSlow = "slow";
const QByteArray kSilent = "silent";
constexpr int kSlowMs = 500;

// Every line is a not-included address: one request per line, and the
// answer's wait is chosen by the address.
void playNotIncluded(LoopbackBaidu &baidu)
{
    baidu.setHandler([](const Request &request) {
        const bool desktop = !request.param("wd").isEmpty();
        const QByteArray address = desktop ? request.param("wd") : request.param("word");
        const QByteArray page =
            desktop ? testsupport::desktopRankingNotFoundPage() : testsupport::mobileRankingNotFoundPage();
        if (address.contains(kSilent))
            return Reply::silent();
        return Reply::delayed(page, address.contains(kSlow) ? kSlowMs : 0);
    });
}

QStringList linesFor(const QStringList &hosts)
{
    QStringList lines;
    for (int i = 0; i < hosts.size(); ++i)
        lines.append(QStringLiteral("kw%1 http://%2.example.com/").arg(i).arg(hosts.at(i)));
    return lines;
}

QString notIncluded(const QString &line)
{
    const int cut = line.indexOf(QStringLiteral("http"));
    return QStringList{line.left(cut).trimmed(), line.mid(cut), ResultText::kNotIncluded,
                       ResultText::kPositionNotSearched, QString()}
        .join(QLatin1Char('|'));
}

} // namespace

// Stands in for the window and its progress bar: the slots a run is wired to.
class RunFollower : public QObject
{
    Q_OBJECT

public:
    explicit RunFollower(QFutureWatcher<RankingResult> *watcher) : m_watcher(watcher) {}

    QList<int> reported;
    QStringList results;
    QList<QPair<int, int>> ranges;
    QList<int> values;
    int closes = 0;

public slots:
    void pmthreadClose() { ++closes; }
    void pmreceiveResult(int index)
    {
        reported.append(index);
        results.append(testsupport::cellsText(m_watcher->future().resultAt(index)));
    }
    void setRange(int minimum, int maximum) { ranges.append({minimum, maximum}); }
    void setValue(int value) { values.append(value); }

private:
    QFutureWatcher<RankingResult> *m_watcher;
};

// The ranking run as the window follows it: reports by index, progress,
// the end, and stopping without waiting for silent servers.
class TestRankingRun : public QObject
{
    Q_OBJECT

    static int poolSize() { return QThreadPool::globalInstance()->maxThreadCount(); }

private slots:
    void reportsEveryLineOnce_data()
    {
        QTest::addColumn<Device>("device");
        QTest::addColumn<int>("count");
        QTest::newRow("desktop, one line") << Device::Desktop << 1;
        QTest::newRow("mobile, one line") << Device::Mobile << 1;
        QTest::newRow("desktop, twelve lines") << Device::Desktop << 12;
        QTest::newRow("mobile, twelve lines") << Device::Mobile << 12;
        QTest::newRow("no lines") << Device::Desktop << 0;
    }

    void reportsEveryLineOnce()
    {
        QFETCH(Device, device);
        QFETCH(int, count);
        LoopbackBaidu baidu;
        playNotIncluded(baidu);
        QStringList hosts;
        for (int i = 0; i < count; ++i)
            hosts.append(QStringLiteral("site%1").arg(i));
        const QStringList lines = linesFor(hosts);

        QFutureWatcher<RankingResult> watcher;
        RunFollower follower(&watcher);
        QVERIFY(connectRankingWatcher(&watcher, &follower, &follower));
        QStringList order;
        connect(&watcher, &QFutureWatcherBase::resultReadyAt, this,
                [&order] { order.append(QStringLiteral("ready")); });
        connect(&watcher, &QFutureWatcherBase::finished, this,
                [&order] { order.append(QStringLiteral("finished")); });
        RankingRun run = RankingRun::start(lines, device, baidu.endpoints());
        watcher.setFuture(run.future());

        QTRY_COMPARE(follower.closes, 1);
        QTRY_COMPARE(follower.reported.size(), count);
        QCoreApplication::processEvents();
        QCOMPARE(follower.reported.size(), count);
        QCOMPARE(follower.closes, 1);

        QList<int> sorted = follower.reported;
        std::sort(sorted.begin(), sorted.end());
        for (int i = 0; i < count; ++i) {
            QCOMPARE(sorted.at(i), i);
            QCOMPARE(testsupport::cellsText(run.future().resultAt(i)), notIncluded(lines.at(i)));
        }
        QCOMPARE(order.count(QStringLiteral("ready")), count);
        QCOMPARE(order.last(), QStringLiteral("finished"));

        if (count == 0) {
            QVERIFY(follower.ranges.isEmpty());
            QVERIFY(follower.values.isEmpty());
        } else {
            QCOMPARE(follower.ranges, (QList<QPair<int, int>>{{0, count}}));
            QVERIFY(std::is_sorted(follower.values.begin(), follower.values.end()));
            QCOMPARE(follower.values.last(), count);
        }

        // The device picks the check: "wd" is the desktop query key, "word" the mobile one.
        const QList<Request> log = baidu.requests();
        QCOMPARE(log.size(), count);
        for (const Request &request : log)
            QCOMPARE(request.param("wd").isEmpty(), device == Device::Mobile);
    }

    void reportsOutOfOrder()
    {
        if (poolSize() < 2)
            QSKIP("needs two pool threads");
        LoopbackBaidu baidu;
        playNotIncluded(baidu);
        QFutureWatcher<RankingResult> watcher;
        RunFollower follower(&watcher);
        QVERIFY(connectRankingWatcher(&watcher, &follower, &follower));
        RankingRun run = RankingRun::start(linesFor({QString::fromLatin1(kSlow), QStringLiteral("fast")}),
                                           Device::Desktop, baidu.endpoints());
        watcher.setFuture(run.future());
        QTRY_COMPARE(follower.reported.size(), 2);
        QCOMPARE(follower.reported, (QList<int>{1, 0}));
    }

    void cancelAbortsTransfersAndStopsReports_data()
    {
        QTest::addColumn<Device>("device");
        QTest::newRow("desktop") << Device::Desktop;
        QTest::newRow("mobile") << Device::Mobile;
    }

    void cancelAbortsTransfersAndStopsReports()
    {
        QFETCH(Device, device);
        LoopbackBaidu baidu;
        playNotIncluded(baidu);
        QStringList hosts;
        for (int i = 0; i < 6; ++i)
            hosts.append(QString::fromLatin1(kSilent) + QString::number(i));
        QFutureWatcher<RankingResult> watcher;
        RunFollower follower(&watcher);
        QVERIFY(connectRankingWatcher(&watcher, &follower, &follower));
        RankingRun run = RankingRun::start(linesFor(hosts), device, baidu.endpoints());
        watcher.setFuture(run.future());
        const int inFlight = qMin(6, poolSize());
        QTRY_COMPARE(baidu.requestCount(), inFlight);

        QElapsedTimer timer;
        timer.start();
        run.cancelAndWait();
        // Well under the 30 s transfer time-out: the lines returned because
        // their transfers were aborted, while the server still holds them.
        QVERIFY2(timer.elapsed() < 15000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(run.future().isCanceled());

        QTRY_COMPARE(follower.closes, 1);
        QCoreApplication::processEvents();
        QVERIFY(follower.reported.isEmpty());
        QCOMPARE(baidu.requestCount(), inFlight);
    }

    // Pages Baidu's changed markup makes unreadable stop the run by themselves:
    // it cancels itself, no line starts after, no request leaves.
    void stopsWhenTheDriftGuardTrips_data()
    {
        QTest::addColumn<Device>("mode");
        QTest::newRow("desktop") << Device::Desktop;
        QTest::newRow("mobile") << Device::Mobile;
    }
    void stopsWhenTheDriftGuardTrips()
    {
        QFETCH(Device, mode);
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &) {
            return Reply::page("<html><head><title>x</title></head><body><div id=\"m2030\"><a "
                               "href=\"http://a.cn/\">A</a></div></body></html>");
        });
        QTemporaryDir folder;
        SearchContext context(baidu.endpoints());
        context.driftGuard = std::make_shared<LayoutDriftGuard>(folder.path());
        QStringList hosts;
        for (int i = 0; i < 60; ++i)
            hosts.append(QStringLiteral("h%1").arg(i));
        RankingRun run = RankingRun::start(linesFor(hosts), mode, context);
        run.future().waitForFinished();
        QVERIFY(context.driftGuard->tripped());
        QVERIFY(run.future().isCanceled());
        const int requests = baidu.requestCount();
        QVERIFY2(requests <
                     LayoutDriftGuard::kPagesInARow + QThreadPool::globalInstance()->maxThreadCount() + 2,
                 qPrintable(QString::number(requests)));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), LayoutDriftGuard::kPagesInARow);
    }

    void cancelAfterFinishIsHarmless()
    {
        LoopbackBaidu baidu;
        playNotIncluded(baidu);
        RankingRun().cancelAndWait();

        QFutureWatcher<RankingResult> watcher;
        RunFollower follower(&watcher);
        QVERIFY(connectRankingWatcher(&watcher, &follower, &follower));
        const QStringList lines = linesFor({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        RankingRun run = RankingRun::start(lines, Device::Desktop, baidu.endpoints());
        watcher.setFuture(run.future());
        QTRY_COMPARE(follower.closes, 1);
        QTRY_COMPARE(follower.reported.size(), 3);

        run.cancelAndWait();
        run.cancel();
        QCoreApplication::processEvents();
        QVERIFY(!run.future().isCanceled());
        QCOMPARE(follower.closes, 1);
        QCOMPARE(follower.reported.size(), 3);
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(testsupport::cellsText(run.future().resultAt(i)), notIncluded(lines.at(i)));
    }

    void cancelLeavesOtherRunsAlone()
    {
        if (poolSize() < 2)
            QSKIP("needs two pool threads");
        LoopbackBaidu baidu;
        playNotIncluded(baidu);
        const QStringList slowLine = linesFor({QString::fromLatin1(kSlow)});
        RankingRun other = RankingRun::start(slowLine, Device::Desktop, baidu.endpoints());
        RankingRun cancelled =
            RankingRun::start(linesFor({QString::fromLatin1(kSilent)}), Device::Desktop, baidu.endpoints());
        // Both transfers are in flight; the slow one is answered only after the cancel.
        QTRY_COMPARE(baidu.requestCount(), 2);
        cancelled.cancelAndWait();
        QVERIFY(!other.future().isFinished());

        other.future().waitForFinished();
        QVERIFY(!other.future().isCanceled());
        QCOMPARE(testsupport::cellsText(other.future().resultAt(0)), notIncluded(slowLine.at(0)));
    }
};

QTEST_GUILESS_MAIN(TestRankingRun)
#include "tst_rankingrun.moc"
