#pragma once

#include "search/searchcontext.h"

#include <QString>
#include <QStringList>

#include <atomic>

// What Baidu offers next to a keyword, from one request each.
struct KeywordOffers
{
    bool ok = false;
    QString failure;       // why not ok: no answer, robot check, not JSON
    QStringList texts;     // suggestions, or the "相关搜索" texts
    QStringList alsoTexts; // the "大家还在搜" texts (result page only)

    bool isFailed() const { return !ok; }
};

// The search box's suggestions for the keyword: the `q` texts of the `g`
// array of the suggestion service's JSON answer, in its order. An answer that
// is no JSON object is a failure; one without `g` offers nothing.
KeywordOffers fetchSuggestions(const QString &keyword, const SearchContext &context = SearchContext(),
                               const std::atomic<bool> *abortFlag = nullptr);

// The related searches of the keyword's desktop result page, read with the
// result-page reader; a page that is no answer (robot check, block page,
// unreadable) is a failure, Baidu's "nothing found" page offers nothing.
KeywordOffers fetchRelatedSearches(const QString &keyword, const SearchContext &context = SearchContext(),
                                   const std::atomic<bool> *abortFlag = nullptr);

// The form two keywords are compared in: blanks trimmed and collapsed, full-
// width letters, digits, signs and the ideographic blank folded to their
// half-width forms.
QString keywordKey(const QString &keyword);
