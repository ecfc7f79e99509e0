#pragma once

#include "search/checkresult.h"
#include "search/pagefetcher.h"
#include "search/searchcontext.h"

#include <QByteArray>
#include <QString>

#include <atomic>

struct RankingLine
{
    QString keyword;
    QString address;
};

// Splits a ranking line once into keyword and address: the address is the
// rest of the line (trimmed, its own query string whole) from the first
// "http://" or "https://" that follows a blank, else from the first one at
// all; the keyword is what stands before it (trimmed). Without either, the
// whole line is the keyword. The scheme is found in any letter case; one
// not written in lower case then fails isRankableAddress.
RankingLine splitRankingLine(const QString &line);

// Whether the checks search for this address: it starts with "http" as written.
bool isRankableAddress(const QString &address);

// The site query both ranking checks start with: the answer page for the
// line's address, fetched with prefix and profile. False when the address
// cannot be ranked or the answer is no result page; failure then says why and
// the line reads as rankingFailure(parts, failure). The answer is kept either way.
bool fetchSiteAnswer(const RankingLine &parts, const QByteArray &prefix, const FetchProfile &profile,
                     const SearchContext &context, const std::atomic<bool> *abortFlag, FetchResult *answer,
                     QString *failure);

// The ranking result of a line whose site query failed: status "异常", no position.
RankingResult rankingFailure(const RankingLine &parts, const QString &why);

// Byte-wise Levenshtein distance.
int titleDistance(const QByteArray &a, const QByteArray &b);

// The target a Baidu redirect link names, read from Baidu's answer with one
// request through the context (never from the target site), at the address
// the page gives; "异常" when the answer names none or the request fails; the
// link unchanged when it is no redirect link.
QString resolveLink(const QString &link, const SearchContext &context = SearchContext(),
                    const std::atomic<bool> *abortFlag = nullptr);

// The position of the address among the first 30 desktop results for the
// keyword: the last entry that states the address or shows it whole; else the
// entry whose redirect link leads to it, of those that show the address's host
// (nearest heading to the title first); else the last whose heading equals the
// title; else the entry whose redirect link leads to it, of those that show no
// host and whose heading is near the title. Links are read only until one
// leads to the address, and never for entries that show another host or state
// another page. "30+" when none, "异常" when the page is no result page or a
// redirect link that might hide the address cannot be read (failure then says
// why, and the page goes to the context's sink under line). serp receives
// the page's first 30 entries, the address's marked, when the page was read.
QString searchDesktopRank(const QString &keyword, const QString &title, const QString &address,
                          const QString &status, const SearchContext &context = SearchContext(),
                          const std::atomic<bool> *abortFlag = nullptr, const QString &line = QString(),
                          QString *failure = nullptr, SerpList *serp = nullptr);

// One ranking line against Baidu's desktop results.
RankingResult rankDesktop(const QString &line, const SearchContext &context = SearchContext(),
                          const std::atomic<bool> *abortFlag = nullptr);
