#pragma once

#include "search/checkresult.h"
#include "search/searchcontext.h"
#include "search/siterule.h"

#include <QList>
#include <QString>

#include <atomic>

// Where the site's pages stand for the keyword among Baidu's first 30
// desktop results, read from one keyword page of 30 results. An entry is the
// site's when the page states an address on the site, or shows a host of the
// site; its redirect link is read (one request, the target site never asked)
// for the best position's address, for entries that show a host cut short,
// and for entries that show no host only when no entry is the site's
// otherwise. "30+" when no entry is on the site; "异常" when the page is no
// result page, or when no entry matched and a redirect that might have been
// the site could not be read (failure says why; the page goes to the context's sink).
SiteRankingResult rankSiteDesktop(const QString &keyword, const SiteRule &site,
                                  const SearchContext &context = SearchContext(),
                                  const std::atomic<bool> *abortFlag = nullptr);

// The same over up to three of Baidu's mobile result pages, whose entries
// state their addresses; positions count on over the pages, up to 30. Any
// page that is no answer makes the keyword "异常", since a site entry could
// stand on it.
SiteRankingResult rankSiteMobile(const QString &keyword, const SiteRule &site,
                                 const SearchContext &context = SearchContext(),
                                 const std::atomic<bool> *abortFlag = nullptr);

// The most sites one run compares.
constexpr int kMaxRunSites = 10;

// The same for several sites (up to kMaxRunSites) from the one keyword page
// (the mobile pages): the first site's result, carrying the others'
// (SiteRankingResult::otherSites) and the page's list with each site's
// entries marked.
SiteRankingResult rankSitesDesktop(const QString &keyword, const QList<SiteRule> &sites,
                                   const SearchContext &context = SearchContext(),
                                   const std::atomic<bool> *abortFlag = nullptr);
SiteRankingResult rankSitesMobile(const QString &keyword, const QList<SiteRule> &sites,
                                  const SearchContext &context = SearchContext(),
                                  const std::atomic<bool> *abortFlag = nullptr);
