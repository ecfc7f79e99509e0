#include "search/desktopinclusioncheck.h"
#include "search/desktoprankingcheck.h"
#include "search/keywordsources.h"
#include "search/mobileinclusioncheck.h"
#include "search/mobilerankingcheck.h"
#include "search/resultstrings.h"
#include "search/siterankingcheck.h"
#include "tests/support/inclusionpages.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/rankingpages.h"
#include "tests/support/ratelimitedbaidu.h"
#include "workers/linecheck.h"
#include "workers/rankingrun.h"
#include "workers/slcxthread.h"

#include <QElapsedTimer>
#include <QtTest>

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <vector>

using namespace testsupport;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRunTimeoutMs = 60000;
// Stops are bounded by a second; the margin is for a loaded machine.
constexpr int kStopBoundMs = 1000;

// Included, its address as the title; one request per inclusion line.
Reply desktopAnswer(const Request &request)
{
    if (!request.param("rn").isEmpty())
        return Reply::page(desktopKeywordPage({{"别的", "http://www.other.cn/"}}));
    return Reply::page(desktopPage(desktopHeading(request.param("wd"))));
}

QStringList addresses(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("http://www.example.com/p%1.html").arg(i);
    return lines;
}

SearchContext pacedContext(const LoopbackBaidu &baidu, RequestGate *gate, int retries, int firstPauseMs)
{
    SearchContext context(baidu.endpoints());
    context.gate = gate;
    context.retry.retries = retries;
    context.retry.firstPauseMs = firstPauseMs;
    context.retry.robotCheckPauseMs = firstPauseMs;
    return context;
}

QVector<InclusionResult> runInclusion(const QStringList &lines, const SearchContext &context)
{
    QVector<InclusionResult> results(lines.size());
    SlcxThread worker(lines, Device::Desktop, context);
    QObject::connect(
        &worker, &SlcxThread::send, &worker,
        [&](const InclusionResult &result, int i) { results[i] = result; }, Qt::DirectConnection);
    worker.start();
    worker.wait(kRunTimeoutMs);
    return results;
}

// Where Baidu sends scripted clients for its robot check (2025 on).
const QByteArray kCaptchaRedirect =
    "https://wappass.baidu.com/static/captcha/tuxing_v2.html?&logid=1&ak=c27bbc89afca0463650ac9bde68ebe06";

// An answer for every kind of request the checks make: the address included and ranking first.
Reply everyAnswer(const Request &request)
{
    if (request.path == "/sugrec")
        return Reply::page(R"({"q":"x","g":[{"type":"sug","q":"y"}]})");
    const QByteArray word = request.param("word");
    if (!word.isEmpty())
        return Reply::page(word.startsWith("http") ? mobileRankingSitePage(word, "1天前")
                                                   : mobileKeywordPage({"http://www.a.cn/"}));
    if (!request.param("rn").isEmpty())
        return Reply::page(desktopKeywordPage({{"标题", "http://www.a.cn/"}}));
    return Reply::page(desktopRankingSitePage("标题", "1天前"));
}

enum class Tool
{
    Inclusion,
    Ranking,
    SiteRanking,
    Suggestions,
    RelatedSearches
};

// One line of a tool through checkLine; true when it ended with an answer.
bool checkedLine(Tool tool, bool mobile, const SearchContext &context)
{
    const QString address = QStringLiteral("http://www.a.cn/");
    const SiteRule site = SiteRule::parse(QStringLiteral("a.cn"));
    switch (tool) {
    case Tool::Inclusion:
        return !checkLine<InclusionResult>(address, context, nullptr,
                                           mobile ? mobileInclusionCheck : desktopInclusionCheck)
                    ->isFailed();
    case Tool::Ranking:
        return !checkLine<RankingResult>(QStringLiteral("kw ") + address, context, nullptr,
                                         mobile ? rankMobile : rankDesktop)
                    ->isFailed();
    case Tool::SiteRanking:
        return !checkLine<SiteRankingResult>(
                    QStringLiteral("kw"), context, nullptr,
                    [&](const QString &line, const SearchContext &lineContext,
                        const std::atomic<bool> *abortFlag) {
                        return mobile ? rankSiteMobile(line, site, lineContext, abortFlag)
                                      : rankSiteDesktop(line, site, lineContext, abortFlag);
                    })
                    ->isFailed();
    case Tool::Suggestions:
        return !checkLine<KeywordOffers>(QStringLiteral("kw"), context, nullptr, fetchSuggestions)
                    ->isFailed();
    case Tool::RelatedSearches:
        return !checkLine<KeywordOffers>(QStringLiteral("kw"), context, nullptr, fetchRelatedSearches)
                    ->isFailed();
    }
    return false;
}

} // namespace

Q_DECLARE_METATYPE(Tool)

// Batches through a request gate against loopback Baidu: pacing, slowing
// down, retries and stops.
class TestPacedRuns : public QObject
{
    Q_OBJECT

private slots:
    void gateHoldsIntervalAcrossTwoRuns()
    {
        constexpr int kInterval = 120;
        LoopbackBaidu baidu;
        std::mutex mutex;
        std::vector<Clock::time_point> arrivals;
        baidu.setHandler([&](const Request &request) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                arrivals.push_back(Clock::now());
            }
            return desktopAnswer(request);
        });
        RequestGate gate({kInterval, 0, 4});
        SearchContext context = pacedContext(baidu, &gate, 0, 0);
        // Plain HTTP, and libcurl warmed up: arrivals then follow the requests' departures closely.
        context.endpoints.desktopSearch = "http://" + baidu.httpAuthority() + "/s?wd=";
        fetchPage(baidu.httpUrl("/warm-up"), FetchProfile::RankingDesktop);
        arrivals.clear();
        // Two ranking lines of two requests each, beside four inclusion lines.
        RankingRun ranking =
            RankingRun::start({QStringLiteral("a http://www.a.cn/"), QStringLiteral("b http://www.b.cn/")},
                              Device::Desktop, context);
        const QVector<InclusionResult> included = runInclusion(addresses(4), context);
        ranking.future().waitForFinished();

        QCOMPARE(int(arrivals.size()), 8);
        std::sort(arrivals.begin(), arrivals.end());
        const auto ms = [](Clock::duration span) {
            return std::chrono::duration_cast<std::chrono::milliseconds>(span).count();
        };
        // A request can leave a little after its turn on a loaded machine and
        // arrive right before the next one; across all of them the interval holds.
        // Two gates, one per run, would halve the span; no gate would collapse it.
        QVERIFY2(ms(arrivals.back() - arrivals.front()) >= 5 * kInterval,
                 qPrintable(QString::number(ms(arrivals.back() - arrivals.front()))));
        for (const InclusionResult &result : included)
            QCOMPARE(result.status, ResultText::kIncluded);
    }

    // Starting with no pause against a Baidu that allows 4 requests in half
    // a second (and refuses 5% of them at random), the run meets robot
    // checks, slows down and ends with every line answered.
    void adaptiveSlowingBringsRunUnderTheLimit()
    {
        constexpr int kLines = 24;
        LoopbackBaidu baidu;
        const RateLimitedBaidu limited(4, 500, 0.05);
        baidu.setHandler(limited.wrap(desktopAnswer));
        RequestGate gate({0, 0, 1, 100});
        const QVector<InclusionResult> results =
            runInclusion(addresses(kLines), pacedContext(baidu, &gate, 3, 20));

        for (const InclusionResult &result : results)
            QVERIFY2(result.status == ResultText::kIncluded, qPrintable(result.failure));
        QVERIFY(limited.robotChecks() > 0);
        // Without slowing down, almost every request after the fourth would be refused.
        QVERIFY2(limited.robotChecks() <= kLines / 2, qPrintable(QString::number(limited.robotChecks())));
        QCOMPARE(limited.requests() - limited.robotChecks(), kLines);
    }

    void retriesTurnTransientFailuresIntoVerdicts_data()
    {
        QTest::addColumn<int>("status"); // of the failing answers; 0: robot check, -1: dropped connection
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("retries");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<int>("siteQueries"); // of the failing line
        QTest::newRow("robot check, asked again") << 0 << 1 << 2 << true << 2;
        QTest::newRow("two 503s") << 503 << 2 << 2 << true << 3;
        QTest::newRow("dropped connection") << -1 << 1 << 1 << true << 2;
        QTest::newRow("more failures than retries") << 0 << 3 << 2 << false << 3;
        QTest::newRow("no retries") << 502 << 1 << 0 << false << 1;
        QTest::newRow("404 is no transient failure") << 404 << 1 << 2 << false << 1;
    }

    void retriesTurnTransientFailuresIntoVerdicts()
    {
        QFETCH(int, status);
        QFETCH(int, failures);
        QFETCH(int, retries);
        QFETCH(bool, answered);
        QFETCH(int, siteQueries);
        const QByteArray failing = "http://www.b.cn/";
        LoopbackBaidu baidu;
        std::mutex mutex;
        std::map<QByteArray, int> asked;
        baidu.setHandler([&](const Request &request) {
            const QByteArray address = request.param("wd");
            int count = 0;
            if (request.param("rn").isEmpty()) {
                std::lock_guard<std::mutex> lock(mutex);
                count = ++asked[address];
            }
            if (address == failing && count <= failures) {
                if (status == 0)
                    return Reply::page(robotCheckPage());
                return status < 0 ? Reply::dropped() : Reply::withStatus(status, "error");
            }
            return Reply::page(request.param("rn").isEmpty() ? desktopRankingSitePage("标题", "1天前")
                                                             : desktopKeywordPage({{"标题", address}}));
        });
        RequestGate gate({0, 0, 2});
        const QStringList lines = {QStringLiteral("kw0 http://www.a.cn/"),
                                   QStringLiteral("kw1 ") + QString::fromLatin1(failing),
                                   QStringLiteral("kw2 http://www.c.cn/")};
        RankingRun run = RankingRun::start(lines, Device::Desktop, pacedContext(baidu, &gate, retries, 10));
        run.future().waitForFinished();
        const QList<RankingResult> results = run.future().results();
        QCOMPARE(results.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(results.at(i).keyword, QStringLiteral("kw%1").arg(i));
            QCOMPARE(results.at(i).isFailed(), i == 1 && !answered);
        }
        QCOMPARE(asked[failing], siteQueries);
    }

    // A robot check sent as a redirect to its hosts is one, for every tool on
    // both devices: the line is asked again and the gate slows down, as for the page.
    void robotCheckRedirectIsARobotCheck_data()
    {
        QTest::addColumn<Tool>("tool");
        QTest::addColumn<bool>("mobile");
        QTest::addColumn<bool>("asPage");
        const std::pair<const char *, Tool> tools[] = {
            {"inclusion", Tool::Inclusion}, {"ranking", Tool::Ranking}, {"site ranking", Tool::SiteRanking}};
        for (const auto &tool : tools) {
            for (const bool mobile : {false, true})
                QTest::addRow("%s, %s", tool.first, mobile ? "mobile" : "desktop")
                    << tool.second << mobile << false;
        }
        QTest::newRow("mining, suggestions") << Tool::Suggestions << false << false;
        QTest::newRow("mining, related searches") << Tool::RelatedSearches << false << false;
        QTest::newRow("ranking, the check as a page") << Tool::Ranking << false << true;
    }

    void robotCheckRedirectIsARobotCheck()
    {
        QFETCH(Tool, tool);
        QFETCH(bool, mobile);
        QFETCH(bool, asPage);
        LoopbackBaidu baidu;
        std::atomic<int> requests{0};
        baidu.setHandler([&](const Request &request) {
            if (requests++ == 0)
                return asPage ? Reply::page(robotCheckPage()) : Reply::redirect(kCaptchaRedirect);
            return everyAnswer(request);
        });
        PacingSettings pacing{0, 0, 2};
        pacing.firstSlowdownMs = 40;
        RequestGate gate(pacing);
        QVERIFY(checkedLine(tool, mobile, pacedContext(baidu, &gate, 1, 10)));
        // Slowed to the first slowdown, eased back by the good answers after it by a step each.
        QVERIFY(gate.state().slowed);
        QVERIFY2(gate.currentIntervalMs() >= 38 && gate.currentIntervalMs() <= 40,
                 qPrintable(QString::number(gate.currentIntervalMs())));
    }

    void stopCutsLongWaitsShort_data()
    {
        QTest::addColumn<bool>("ranking");
        QTest::addColumn<bool>("inRetryPause");
        QTest::newRow("inclusion waiting for its turn") << false << false;
        QTest::newRow("ranking waiting for its turn") << true << false;
        QTest::newRow("inclusion between tries") << false << true;
        QTest::newRow("ranking between tries") << true << true;
    }

    void stopCutsLongWaitsShort()
    {
        QFETCH(bool, ranking);
        QFETCH(bool, inRetryPause);
        LoopbackBaidu baidu;
        baidu.setHandler([&](const Request &request) {
            return inRetryPause ? Reply::page(robotCheckPage()) : desktopAnswer(request);
        });
        // Either a minute between requests, or a minute before a line is asked again.
        RequestGate gate({inRetryPause ? 0 : 60000, 0, 1});
        const SearchContext context = pacedContext(baidu, &gate, 1, 60000);
        const QStringList lines = {QStringLiteral("kw http://www.a.cn/"),
                                   QStringLiteral("kw http://www.b.cn/")};

        SlcxThread worker(addresses(2), Device::Desktop, context);
        RankingRun run;
        if (ranking)
            run = RankingRun::start(lines, Device::Desktop, context);
        else
            worker.start();
        QTRY_COMPARE_WITH_TIMEOUT(baidu.requestCount(), 1, 10000);
        QElapsedTimer clock;
        clock.start();
        if (ranking) {
            run.cancelAndWait();
        } else {
            worker.stop();
            QVERIFY(worker.wait(kRunTimeoutMs));
        }
        QVERIFY2(clock.elapsed() <= kStopBoundMs, qPrintable(QString::number(clock.elapsed())));
        // Between tries the slot is free: the other line may have gone meanwhile.
        QVERIFY(baidu.requestCount() <= (inRetryPause ? 2 : 1));
    }
};

QTEST_GUILESS_MAIN(TestPacedRuns)
#include "tst_pacedruns.moc"
