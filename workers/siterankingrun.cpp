#include "workers/siterankingrun.h"

#include "search/siterankingcheck.h"
#include "workers/linecheck.h"

namespace {

struct RankKeyword
{
    using result_type = SiteRankingResult;

    QList<SiteRule> sites;
    bool desktop;
    SearchContext context;
    std::shared_ptr<std::atomic<bool>> abort;

    SiteRankingResult operator()(const QString &keyword) const
    {
        const QList<SiteRule> &rules = sites;
        const bool onDesktop = desktop;
        const std::optional<SiteRankingResult> result = checkLine<SiteRankingResult>(
            keyword, context, abort.get(),
            [&rules, onDesktop](const QString &line, const SearchContext &lineContext,
                                const std::atomic<bool> *abortFlag) {
                return onDesktop ? rankSitesDesktop(line, rules, lineContext, abortFlag)
                                 : rankSitesMobile(line, rules, lineContext, abortFlag);
            });
        // Only a cancelled run cuts a keyword short, and its results are dropped.
        return result ? *result : SiteRankingResult::failed(keyword, QString());
    }
};

} // namespace

SiteRankingRun::SiteRankingRun() = default;

SiteRankingRun SiteRankingRun::start(const QStringList &keywords, const QList<SiteRule> &sites, Device device,
                                     const SearchContext &context)
{
    SiteRankingRun run;
    run.begin(keywords, context, [&](const std::shared_ptr<std::atomic<bool>> &abort) {
        return RankKeyword{sites, device == Device::Desktop, context, abort};
    });
    return run;
}
