#pragma once

#include "search/checkresult.h"
#include "search/searchcontext.h"
#include "search/siterule.h"

#include <QString>

#include <atomic>

// Where the site's pages stand for the keyword among Baidu's first 30
// desktop results, read from one keyword page of 30 results. An entry's
// address is the target the page states; without one, its redirect link is
// read (one request, the target site never asked) only when the address it
// shows could be the site: the shown host is the site's, or none is shown.
// "30+" when no entry is on the site; "异常" when the page is no result page,
// or when no entry matched and a redirect that might have been the site could
// not be read (failure says why; the page goes to the context's sink).
SiteRankingResult rankSiteDesktop(const QString &keyword, const SiteRule &site,
                                  const SearchContext &context = SearchContext(),
                                  const std::atomic<bool> *abortFlag = nullptr);

// The same over up to three of Baidu's mobile result pages (positions 1-30),
// whose entries carry their addresses; any page that is no answer makes the
// keyword "异常", since a site entry could stand on it.
SiteRankingResult rankSiteMobile(const QString &keyword, const SiteRule &site,
                                 const SearchContext &context = SearchContext(),
                                 const std::atomic<bool> *abortFlag = nullptr);
