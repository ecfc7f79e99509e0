// Pacing against a loopback Baidu that refuses clients going too fast: 300
// inclusion lines, first with the interval at the limit, then starting with no
// pause and left to the gate's slowing down, with 1% of requests refused at
// random besides. Baidu allows about 30 requests a minute; every time here is
// scaled by 1/16 so that both runs take about two minutes together: 30
// requests in 3.75 s (one per 125 ms), and the gate's first slowdown and the
// retries' pauses alike.

#include "search/resultstrings.h"
#include "tests/support/inclusionpages.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/ratelimitedbaidu.h"
#include "workers/slcxthread.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace testsupport;

namespace {

constexpr int kLines = 300;
constexpr int kScale = 16;
constexpr int kLimit = 30;
constexpr int kWindowMs = 60000 / kScale;
constexpr int kLimitIntervalMs = kWindowMs / kLimit;
// The gate's turns keep their distance, but the answers' arrival wobbles by
// a few milliseconds; 3 ms over the limit's interval absorb that.
constexpr int kAtTheLimitMs = kLimitIntervalMs + 3;
constexpr double kGoalRatio = 1.15;

struct Outcome
{
    qint64 wallMs = 0;
    int failed = 0;
    int robotChecks = 0;
    int requests = 0;
};

Outcome run(int intervalMs, double randomShare)
{
    LoopbackBaidu baidu;
    const RateLimitedBaidu limited(kLimit, kWindowMs, randomShare);
    baidu.setHandler(limited.wrap([](const Request &request) {
        return Reply::page(desktopPage(desktopHeading(request.param("wd"))));
    }));
    // The shipped defaults, scaled.
    const PacingSettings defaults;
    const RetryPolicy retry;
    RequestGate gate({intervalMs, 0, defaults.maxLinesInFlight, defaults.firstSlowdownMs / kScale});
    SearchContext context(baidu.endpoints());
    context.gate = &gate;
    context.retry.retries = FetchSettings().retries;
    context.retry.firstPauseMs = retry.firstPauseMs / kScale;
    context.retry.robotCheckPauseMs = retry.robotCheckPauseMs / kScale;

    QStringList lines;
    for (int i = 0; i < kLines; ++i)
        lines.append(QStringLiteral("http://www.example.com/p%1.html").arg(i));
    Outcome outcome;
    SlcxThread worker(lines, Device::Desktop, context);
    QObject::connect(
        &worker, &SlcxThread::send, &worker,
        [&outcome](const InclusionResult &result, int) { outcome.failed += result.isFailed() ? 1 : 0; },
        Qt::DirectConnection);
    QElapsedTimer clock;
    clock.start();
    worker.start();
    worker.wait();
    outcome.wallMs = clock.elapsed();
    outcome.robotChecks = limited.robotChecks();
    outcome.requests = limited.requests();
    return outcome;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::printf("%d inclusion lines, Baidu refusing more than %d requests in %d ms (one per %d ms)\n", kLines,
                kLimit, kWindowMs, kLimitIntervalMs);

    const Outcome paced = run(kAtTheLimitMs, 0.0);
    const double ideal = double(kLines) * kAtTheLimitMs;
    std::printf("interval at the limit (%d ms): wall %.1f s = %.3f x %d x interval (goal <= %.2f), "
                "异常 %d (goal 0), robot checks %d, requests %d\n",
                kAtTheLimitMs, paced.wallMs / 1000.0, paced.wallMs / ideal, kLines, kGoalRatio, paced.failed,
                paced.robotChecks, paced.requests);

    const Outcome adaptive = run(0, 0.01);
    std::printf("interval 0, slowing down by itself, 1%% refused at random: wall %.1f s (%.3f x %d x limit "
                "interval), 异常 %d (goal 0), robot checks %d, requests %d\n",
                adaptive.wallMs / 1000.0, adaptive.wallMs / (double(kLines) * kLimitIntervalMs), kLines,
                adaptive.failed, adaptive.robotChecks, adaptive.requests);

    const bool met = paced.failed == 0 && paced.wallMs <= ideal * kGoalRatio && adaptive.failed == 0;
    std::printf("%s\n", met ? "goals met" : "GOALS MISSED");
    return met ? 0 : 1;
}
