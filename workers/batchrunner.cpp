#include "workers/batchrunner.h"

#include "workers/inclusionbatch.h"
#include "workers/mappedbatch.h"
#include "workers/miningbatch.h"

BatchRunner *newBatchRunner(Tool tool, const RunOptions &options, QObject *parent)
{
    switch (tool) {
    case Tool::Ranking:
        return new RankingBatch(
            [](const QStringList &lines, Device device, const SearchContext &context) {
                return RankingRun::start(lines, device, context);
            },
            parent);
    case Tool::SiteRanking:
        return new SiteRankingBatch(
            [sites = options.sites](const QStringList &lines, Device device, const SearchContext &context) {
                return SiteRankingRun::start(lines, sites, device, context);
            },
            parent);
    case Tool::Mining:
        return new MiningBatch(options.mining, parent);
    case Tool::Inclusion:
        break;
    }
    return new InclusionBatch(parent);
}
