#include "siterankingrun.h"

#include "linecheck.h"
#include "siterankingcheck.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>

namespace {

const QString kDesktopMode = QStringLiteral("dnd");

struct RankKeyword
{
    using result_type = SiteRankingResult;

    SiteRule site;
    bool desktop;
    SearchContext context;
    std::shared_ptr<std::atomic<bool>> abort;

    SiteRankingResult operator()(const QString &keyword) const
    {
        const SiteRule &rule = site;
        const bool onDesktop = desktop;
        const std::optional<SiteRankingResult> result = checkLine<SiteRankingResult>(
            keyword, context, abort.get(),
            [&rule, onDesktop](const QString &line, const SearchContext &lineContext,
                               const std::atomic<bool> *abortFlag) {
                return onDesktop ? rankSiteDesktop(line, rule, lineContext, abortFlag)
                                 : rankSiteMobile(line, rule, lineContext, abortFlag);
            });
        // Only a cancelled run cuts a keyword short, and its results are dropped.
        return result ? *result : SiteRankingResult::failed(keyword, QString());
    }
};

} // namespace

SiteRankingRun::SiteRankingRun() = default;

SiteRankingRun SiteRankingRun::start(const QStringList &keywords, const SiteRule &site,
                                     const QString &deviceMode, const SearchContext &context)
{
    SiteRankingRun run;
    run.m_abort = std::make_shared<std::atomic<bool>>(false);
    if (keywords.isEmpty()) {
        QFutureInterface<SiteRankingResult> finished;
        finished.reportFinished();
        run.m_future = finished.future();
        return run;
    }
    if (context.gate) {
        // As for ranking lines: the gate, not the pool's queue, holds back the keywords beyond its limit.
        QThreadPool *pool = QThreadPool::globalInstance();
        pool->setMaxThreadCount(std::max(pool->maxThreadCount(), context.gate->settings().maxLinesInFlight));
    }
    run.m_future =
        QtConcurrent::mapped(keywords, RankKeyword{site, deviceMode == kDesktopMode, context, run.m_abort});
    return run;
}

void SiteRankingRun::cancel()
{
    if (!m_abort || m_future.isFinished())
        return;
    // Cancel first, so that a keyword the flag cuts short finds the future refusing its result.
    m_future.cancel();
    m_abort->store(true);
}

void SiteRankingRun::cancelAndWait()
{
    cancel();
    m_future.waitForFinished();
}
