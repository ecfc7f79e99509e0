#include "mobilerankingcheck.h"

#include "desktoprankingcheck.h"
#include "mobileinclusioncheck.h"
#include "pagefetcher.h"
#include "resultstrings.h"

#include <QRegExp>

namespace {

// The offset of the first result of pages 2 and 3; page 1 has none.
const QByteArray kPageTwo = QByteArrayLiteral("&pn=10");
const QByteArray kPageThree = QByteArrayLiteral("&pn=20");

// One result entry in the page's embedded data; capture 3 is its address.
const QString kEntryPattern = QStringLiteral(",'order':'(.*)',(.*)'mu':'(.*)'");
const QString kSecure = QStringLiteral("https");
const QString kPlain = QStringLiteral("http");
const QChar kTrailingSlash = QLatin1Char('/');

// Entry 10 of page 2 or 3 reads 20 or 30; prefixing would give "110" or "210".
const QString kLastOnPage = QStringLiteral("10");
const QString kPageTwoPrefix = QStringLiteral("1");
const QString kPageThreePrefix = QStringLiteral("2");
const QString kLastOnPageTwo = QStringLiteral("20");
const QString kLastOnPageThree = QStringLiteral("30");

QString normalisedEntryAddress(QString address)
{
    if (address.endsWith(kTrailingSlash))
        address.chop(1);
    address.replace(kSecure, kPlain, Qt::CaseSensitive);
    return address;
}

} // namespace

QString searchMobilePage(const QString &keyword, const QString &address, const QString &status, int page,
                         const SearchEndpoints &endpoints, const std::atomic<bool> *abortFlag)
{
    if (status == ResultText::kNotIncluded)
        return ResultText::kPositionNotSearched;

    QByteArray request = requestAddress(endpoints.mobileSearchPlain, keyword);
    if (page == 2)
        request += kPageTwo;
    else if (page == 3)
        request += kPageThree;
    const FetchResult result = fetchPage(request, FetchProfile::RankingDesktop, abortFlag);
    // A robot check or an error page lists no entries: reading on would end in a false "30+".
    if (isUnusableSearchPage(result))
        return ResultText::kFailed;

    const QString text = QString::fromUtf8(result.body.constData(), result.body.size());
    QRegExp entry(kEntryPattern, Qt::CaseSensitive, QRegExp::RegExp);
    entry.setMinimal(true);
    QString position;
    int offset = 0;
    int index = 0;
    while ((offset = entry.indexIn(text, offset)) >= 0) {
        ++index;
        // No early exit: the last matching entry of the page wins.
        if (address == normalisedEntryAddress(entry.cap(3)))
            position = QString::number(index);
        offset += entry.matchedLength();
    }
    return position.isEmpty() ? ResultText::kPositionBeyond : position;
}

RankingResult rankMobile(const QString &line, const SearchContext &context,
                         const std::atomic<bool> *abortFlag)
{
    const SearchEndpoints &endpoints = context.endpoints;
    const RankingLine parts = splitRankingLine(line);
    QByteArray site;
    QString failure;
    if (!fetchSiteAnswer(parts, endpoints.mobileSearch, FetchProfile::RankingMobile, abortFlag, &site,
                         &failure))
        return rankingFailure(parts, failure);
    const MobileSiteVerdict verdict = judgeMobileSitePage(site, parts.address);
    const auto pagePosition = [&](int page) {
        return searchMobilePage(parts.keyword, parts.address, verdict.status, page, endpoints, abortFlag);
    };

    // A failed page 2 or 3 leaves the position unknown: the field says "异常",
    // never a composed text such as "1异常".
    QString position = pagePosition(1);
    if (position == ResultText::kPositionBeyond) {
        const QString second = pagePosition(2);
        if (second == ResultText::kFailed)
            position = ResultText::kFailed;
        else if (second == kLastOnPage)
            position = kLastOnPageTwo;
        else if (second != ResultText::kPositionBeyond)
            position = kPageTwoPrefix % second;
        else {
            const QString third = pagePosition(3);
            if (third == ResultText::kFailed)
                position = ResultText::kFailed;
            else if (third == kLastOnPage)
                position = kLastOnPageThree;
            else if (third == ResultText::kPositionBeyond)
                position = ResultText::kPositionBeyond;
            else
                position = kPageThreePrefix % third;
        }
    }
    return {parts.keyword, parts.address, verdict.status, position, verdict.snapshot, QString()};
}
