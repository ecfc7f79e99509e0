// A run that meets Baidu's robot check at its first search, as a scripted
// client without Baidu's cookies does: 300 inclusion lines against a loopback
// Baidu that redirects searches without its pass cookie to the check and
// refuses more than 30 requests a minute (times scaled by 1/16 as in
// bench_pacing), paced at the limit. The check is handed off once and passed
// at once (as a person would, in the window's dialog); the figures are the
// hand-offs, 异常, requests per line and the wall time after the hand-off
// against the paced ideal.

#include "search/robotcheckhandoff.h"
#include "search/searchcontext.h"
#include "tests/support/checkingbaidu.h"
#include "tests/support/inclusionpages.h"
#include "tests/support/loopbackbaidu.h"
#include "workers/slcxthread.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <atomic>
#include <cstdio>

using namespace testsupport;

namespace {
constexpr int kLines = 300;
constexpr int kScale = 16;
constexpr int kLimit = 30;
constexpr int kWindowMs = 60000 / kScale;
constexpr int kAtTheLimitMs = kWindowMs / kLimit + 3;
constexpr double kGoalRatio = 1.15;
const QByteArray kPassLine = "127.0.0.1\tFALSE\t/\tFALSE\t0\tBDPASS\tpassed\n";
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    LoopbackBaidu baidu;
    const CheckingBaidu checking(baidu, kLimit, kWindowMs);
    baidu.setHandler(checking.wrap([](const Request &request) {
        return Reply::page(desktopPage(desktopHeading(request.param("wd"))));
    }));
    const RetryPolicy retry;
    RequestGate gate(
        {kAtTheLimitMs, 0, PacingSettings().maxLinesInFlight, PacingSettings().firstSlowdownMs / kScale});
    SearchContext context(baidu.endpoints());
    context.gate = &gate;
    context.retry.retries = 2;
    context.retry.firstPauseMs = retry.firstPauseMs / kScale;
    context.retry.robotCheckPauseMs = retry.robotCheckPauseMs / kScale;
    context.sessions = std::make_shared<SessionPool>();
    std::atomic<int> handOffs{0};
    QElapsedTimer afterHandOff;
    context.handOff = std::make_shared<RobotCheckHandOff>(&gate, [&](const RobotCheckMeeting &meeting) {
        ++handOffs;
        meeting.session->addCookies(kPassLine);
        afterHandOff.start();
        context.handOff->resolve(true);
    });

    QStringList lines;
    for (int i = 0; i < kLines; ++i)
        lines.append(QStringLiteral("http://www.example.com/p%1.html").arg(i));
    int failed = 0;
    SlcxThread worker(lines, Device::Desktop, context);
    QObject::connect(
        &worker, &SlcxThread::send, &worker,
        [&failed](const InclusionResult &result, int) { failed += result.isFailed() ? 1 : 0; },
        Qt::DirectConnection);
    QElapsedTimer clock;
    clock.start();
    worker.start();
    worker.wait();
    const qint64 wallMs = clock.elapsed();
    const qint64 afterMs = afterHandOff.isValid() ? afterHandOff.elapsed() : wallMs;
    const double ideal = double(kLines) * kAtTheLimitMs;
    const int requests = baidu.requestCount();
    std::printf(
        "%d inclusion lines, paced at %d ms, Baidu checking cookies and refusing more than %d requests "
        "in %d ms\n",
        kLines, kAtTheLimitMs, kLimit, kWindowMs);
    std::printf("hand-offs %d (goal 1), 异常 %d (goal 0), robot checks %d, searches %d, home visits %d, "
                "requests %d = %.3f per line\n",
                handOffs.load(), failed, checking.checks(), checking.searches(), checking.homeVisits(),
                requests, double(checking.searches()) / kLines);
    std::printf("wall %.1f s; after the hand-off %.1f s = %.3f x the paced ideal (goal <= %.2f)\n",
                wallMs / 1000.0, afterMs / 1000.0, afterMs / ideal, kGoalRatio);
    const bool met = handOffs == 1 && failed == 0 && afterMs <= ideal * kGoalRatio;
    std::printf("%s\n", met ? "goals met" : "GOALS MISSED");
    return met ? 0 : 1;
}
