#pragma once

#include "checkresult.h"
#include "pagefetcher.h"
#include "searchcontext.h"

#include <QByteArray>
#include <QString>

#include <atomic>

struct RankingLine
{
    QString keyword;
    QString address;
};

// Cuts a ranking line at its first "http": keyword before it (trimmed),
// address "http" + the trimmed text up to the next "http".
// A line with "http" only in another letter case is cut there instead, and
// its address then fails isRankableAddress.
RankingLine splitRankingLine(const QString &line);

// Whether the checks search for this address: it starts with "http" as written.
bool isRankableAddress(const QString &address);

// The site query both ranking checks start with: the answer page for the
// line's address, fetched with prefix and profile. False when the address
// cannot be ranked or the answer is no result page; failure then says why and
// the line reads as rankingFailure(parts, failure).
bool fetchSiteAnswer(const RankingLine &parts, const QByteArray &prefix, const FetchProfile &profile,
                     const std::atomic<bool> *abortFlag, QByteArray *body, QString *failure);

// The ranking result of a line whose site query failed: status "异常", no position.
RankingResult rankingFailure(const RankingLine &parts, const QString &why);

// Byte-wise Levenshtein distance.
int titleDistance(const QByteArray &a, const QByteArray &b);

// The final address behind a Baidu redirect link, "异常" when resolving
// fails, or the link unchanged when it is no redirect link.
QString resolveLink(const QString &link, const SearchEndpoints &endpoints = SearchEndpoints(),
                    const std::atomic<bool> *abortFlag = nullptr);

// The position of the address among the first 30 desktop results for the keyword.
QString searchDesktopRank(const QString &keyword, const QString &title, const QString &address,
                          const QString &status, const SearchEndpoints &endpoints = SearchEndpoints(),
                          const std::atomic<bool> *abortFlag = nullptr);

// One ranking line against Baidu's desktop results.
RankingResult rankDesktop(const QString &line, const SearchContext &context = SearchContext(),
                          const std::atomic<bool> *abortFlag = nullptr);
