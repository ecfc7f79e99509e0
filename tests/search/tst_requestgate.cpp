#include "search/requestgate.h"

#include <QtTest>

#include <algorithm>
#include <thread>
#include <vector>

using Clock = RequestGate::Clock;

namespace {
double msBetween(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}
} // namespace

// The gate's guarantees are lower bounds on time, so they hold on a loaded machine too.
class TestRequestGate : public QObject
{
    Q_OBJECT

private slots:
    void spacesRequestsOfConcurrentRuns_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("jitter");
        QTest::newRow("fixed") << 40 << 0;
        QTest::newRow("jittered") << 40 << 50;
        QTest::newRow("no pause") << 0 << 30;
    }

    void spacesRequestsOfConcurrentRuns()
    {
        QFETCH(int, interval);
        QFETCH(int, jitter);
        RequestGate gate({interval, jitter, 2});
        std::mutex mutex;
        std::vector<Clock::time_point> turns;
        const auto run = [&] {
            for (int i = 0; i < 5; ++i) {
                gate.waitForTurn(nullptr);
                std::lock_guard<std::mutex> lock(mutex);
                turns.push_back(Clock::now());
            }
        };
        const Clock::time_point start = Clock::now();
        std::thread first(run);
        std::thread second(run);
        first.join();
        second.join();
        // The first turn comes at once, every further one at least the shortest pause later.
        const double least = (turns.size() - 1) * interval * (100 - jitter) / 100.0;
        const double span = msBetween(start, *std::max_element(turns.begin(), turns.end()));
        QVERIFY2(span >= least, qPrintable(QString::number(span)));
    }

    void slowsDownOnRobotChecksAndEasesBack()
    {
        RequestGate gate({0, 0, 2});
        const int expected[] = {1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000};
        for (const int interval : expected) {
            gate.reportRobotCheck();
            QCOMPARE(gate.currentIntervalMs(), interval);
        }
        for (int i = 0; i < RequestGate::kEaseAfter * 5; ++i)
            gate.reportGoodAnswer();
        QCOMPARE(gate.currentIntervalMs(), 1875);
        for (int i = 0; i < RequestGate::kEaseAfter; ++i)
            gate.reportGoodAnswer();
        QCOMPARE(gate.currentIntervalMs(), 0);
    }

    void abortCutsWaitsShort()
    {
        RequestGate gate({60000, 0, 1});
        QVERIFY(gate.waitForTurn(nullptr));
        QVERIFY(gate.acquireLine(nullptr));
        std::atomic<bool> stop{false};
        std::thread stopper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            stop = true;
        });
        const Clock::time_point start = Clock::now();
        QVERIFY(!gate.waitForTurn(&stop));
        QVERIFY(!gate.acquireLine(&stop));
        QVERIFY(!RequestGate::pause(60000, &stop));
        stopper.join();
        QVERIFY(msBetween(start, Clock::now()) < 1000);
    }

    void capsLinesInFlight()
    {
        RequestGate gate({0, 0, 2});
        GateLine one(&gate, nullptr);
        std::atomic<bool> secondEnded{false};
        std::thread second([&] {
            GateLine line(&gate, nullptr);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            secondEnded = true;
        });
        bool thirdWaited = false;
        std::thread third([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            GateLine line(&gate, nullptr);
            thirdWaited = secondEnded;
        });
        second.join();
        third.join();
        QVERIFY(thirdWaited);
    }
};

QTEST_GUILESS_MAIN(TestRequestGate)
#include "tst_requestgate.moc"
