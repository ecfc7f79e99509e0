#pragma once

#include "search/checkresult.h"
#include "search/resultpage.h"
#include "search/searchcontext.h"

#include <QList>
#include <QString>

#include <atomic>

// One of Baidu's mobile result pages for a keyword, as the ranking checks read it.
struct MobileResults
{
    bool answered = false; // false: no answer (failure says why)
    bool notFound = false; // Baidu says there are no (more) results
    QList<ResultEntry> entries;
    QString failure;
};

// Fetches and reads page 1, 2 or 3 of Baidu's mobile results for the keyword.
// A page that is no answer, lists no result or cannot be read goes to the
// context's sink under sinkLine, as check's "keyword", "keyword-2" or "keyword-3".
MobileResults fetchMobileResults(const QString &keyword, int page, const QString &check,
                                 const QString &sinkLine, const SearchContext &context,
                                 const std::atomic<bool> *abortFlag);

// The address's position on one mobile result page (1, 2 or 3) for the
// keyword, counted over the results it shows; "30+" when it is not there,
// "--" for a status of "未收录", "异常" for a page that is no answer or lists
// neither results nor Baidu's word that there are none (failure then says why,
// and the page goes to the context's sink under line).
QString searchMobilePage(const QString &keyword, const QString &address, const QString &status, int page,
                         const SearchContext &context = SearchContext(),
                         const std::atomic<bool> *abortFlag = nullptr, const QString &line = QString(),
                         QString *failure = nullptr);

// One ranking line against up to three pages of Baidu's mobile results:
// positions count on over the pages (page 2's first result follows page 1's
// last), up to 30.
RankingResult rankMobile(const QString &line, const SearchContext &context = SearchContext(),
                         const std::atomic<bool> *abortFlag = nullptr);
