#pragma once

#include "search/checkresult.h"
#include "search/searchcontext.h"
#include "search/siterule.h"
#include "workers/device.h"
#include "workers/mappedrun.h"

#include <QFuture>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

// One site ranking batch: rankSitesDesktop or rankSitesMobile, as the device
// says, for every keyword, mapped on the global thread pool. Result i
// of the future belongs to keyword i. Copies share the same run; stop it
// through cancel(), which also aborts its transfers in flight.
class SiteRankingRun : public MappedRun<SiteRankingResult>
{
public:
    SiteRankingRun();

    static SiteRankingRun start(const QStringList &keywords, const QList<SiteRule> &sites, Device device,
                                const SearchContext &context = SearchContext());
};
