#include "siterankingrun.h"

#include "siterankingcheck.h"

#include <QtConcurrent/QtConcurrentMap>

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
        return desktop ? rankSiteDesktop(keyword, site, context, abort.get())
                       : rankSiteMobile(keyword, site, context, abort.get());
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
