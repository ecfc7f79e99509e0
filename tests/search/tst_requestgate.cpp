#include "search/requestgate.h"

#include <QtTest>

#include <algorithm>
#include <thread>
#include <vector>

using Clock = RequestGate::Clock;
Q_DECLARE_METATYPE(GateState)

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

    // Events: "c" a robot check, "gN" N good answers, "e" a check met by a
    // request sent before the last growth, "s" the learned pause saved and set again.
    void learnsFromRobotChecks_data()
    {
        QTest::addColumn<QString>("events");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("settingMs");
        QTest::newRow("first check: the first slowdown") << "c" << 1000 << 0;
        QTest::newRow("checks in a row double it") << "c c c" << 4000 << 0;
        QTest::newRow("never past a minute") << "c c c c c c c c" << 60000 << 0;
        QTest::newRow("eases by small steps") << "c c c c c c c c g50" << 46699 << 0;
        QTest::newRow("eases out of the slowdown") << "c g101" << 0 << 0;
        QTest::newRow("a check met by an older request changes nothing") << "c e e" << 1000 << 0;
        QTest::newRow("near the limit: a quarter more") << "c g10 c" << 1188 << 0;
        QTest::newRow("not eased below what drew a check") << "c g10 c g500" << 1140 << 0;
        QTest::newRow("too fast at the settings' interval") << "c" << 6000 << 3000;
        QTest::newRow("eased back to the settings' interval, no further") << "c g300" << 3000 << 3000;
        QTest::newRow("set again in a new process") << "c c s" << 2000 << 0;
    }

    void learnsFromRobotChecks()
    {
        QFETCH(QString, events);
        QFETCH(int, interval);
        QFETCH(int, settingMs);
        RequestGate gate({settingMs, 0, 2});
        for (const QString &event : events.split(QLatin1Char(' '))) {
            if (event == QLatin1String("c")) {
                gate.reportRobotCheck();
            } else if (event == QLatin1String("e")) {
                gate.reportRobotCheck(Clock::now() - std::chrono::seconds(10));
            } else if (event == QLatin1String("s")) {
                const int learned = gate.learnedMs();
                gate.forgetLearned();
                QCOMPARE(gate.currentIntervalMs(), settingMs);
                gate.setLearned(learned);
            } else {
                for (int i = event.mid(1).toInt(); i > 0; --i)
                    gate.reportGoodAnswer();
            }
        }
        QCOMPARE(gate.currentIntervalMs(), interval);
        QCOMPARE(gate.state().slowed, interval > settingMs);
    }

    void holdGivesNoTurnUntilReleased()
    {
        RequestGate gate({0, 0, 2});
        gate.hold();
        QVERIFY(gate.state().held);
        std::atomic<bool> turned{false};
        std::thread waiter([&] { turned = gate.waitForTurn(nullptr); });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        QVERIFY(!turned);
        gate.release();
        waiter.join();
        QVERIFY(turned);
    }

    void statesInWords_data()
    {
        QTest::addColumn<GateState>("state");
        QTest::addColumn<QString>("text");
        QTest::newRow("as set") << GateState{1000, 0, false, false, 0, 0} << QString();
        QTest::newRow("slowed") << GateState{8000, 8000, true, false, 0, 0}
                                << QStringLiteral("百度要求放慢：当前间隔 8 秒");
        QTest::newRow("slowed, a line waits")
            << GateState{8000, 8000, true, false, 2, 19960}
            << QStringLiteral("百度要求放慢：当前间隔 8 秒，第 2 次重试等待 20 秒…");
        QTest::newRow("fractions") << GateState{1450, 1450, true, false, 1, 1960}
                                   << QStringLiteral("百度要求放慢：当前间隔 1.5 秒，第 1 次重试等待 2 秒…");
        QTest::newRow("a line waits")
            << GateState{0, 0, false, false, 1, 130} << QStringLiteral("第 1 次重试等待 0.1 秒…");
        QTest::newRow("with the person")
            << GateState{8000, 8000, true, true, 2, 3000}
            << QStringLiteral("百度安全验证：查询已暂停，请在弹出的窗口中完成验证");
    }

    void statesInWords()
    {
        QFETCH(GateState, state);
        QFETCH(QString, text);
        QCOMPARE(gateStateText(state), text);
    }

    void showsTheRetryWait()
    {
        RequestGate gate({0, 0, 2});
        gate.noteRetryWait(3, 20000);
        const GateState waiting = gate.state();
        QCOMPARE(waiting.retryAttempt, 3);
        QVERIFY(waiting.retryWaitMs > 19000 && waiting.retryWaitMs <= 20000);
        gate.noteRetryWait(2, 0);
        gate.noteRetryWaitEnded();
        QCOMPARE(gate.state().retryAttempt, 0);
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
