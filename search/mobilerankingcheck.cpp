#include "search/mobilerankingcheck.h"

#include "search/desktopinclusioncheck.h"
#include "search/desktoprankingcheck.h"
#include "search/mobileinclusioncheck.h"
#include "search/pagefetcher.h"
#include "search/resultstrings.h"

namespace {

// The offset of the first result of pages 2 and 3; page 1 has none.
const QByteArray kPageOffsets[] = {QByteArray(), QByteArrayLiteral("&pn=10"), QByteArrayLiteral("&pn=20")};
constexpr int kPages = 3;
constexpr int kMaxPosition = 30;
const QString kCheckName = QStringLiteral("ranking");
const QString kSiteRequest = QStringLiteral("site");
const QString kKeywordRequest = QStringLiteral("keyword");

// The last entry of the page that states the address, 1-based; 0 when none.
int positionOn(const QList<ResultEntry> &entries, const QString &address)
{
    int position = 0;
    for (int i = 0; i < entries.size(); ++i) {
        for (const QString &target : entries.at(i).statedTargets) {
            if (sameAddress(target, address))
                position = i + 1;
        }
    }
    return position;
}

QString sinkLineOf(const QString &line, const QString &keyword, const QString &address)
{
    return line.isEmpty() ? keyword + QLatin1Char(' ') + address : line;
}

} // namespace

MobileResults fetchMobileResults(const QString &keyword, int page, const QString &check,
                                 const QString &sinkLine, const SearchContext &context,
                                 const std::atomic<bool> *abortFlag)
{
    const QString request =
        page == 1 ? kKeywordRequest : kKeywordRequest + QLatin1Char('-') + QString::number(page);
    const FetchResult answer = context.fetch(requestAddress(context.endpoints.mobileKeywordSearch, keyword) +
                                                 kPageOffsets[qBound(1, page, kPages) - 1],
                                             FetchProfile::RankingDesktop, abortFlag);
    MobileResults results;
    // A robot check or an error page lists no entries: reading on would end in a false "30+".
    if (isUnusableSearchPage(answer)) {
        results.failure = unusablePageReason(answer);
    } else {
        const ResultPage read = context.readPage(answer, check, request, abortFlag);
        results.notFound = read.kind == PageKind::NotFound;
        results.failure = pageFailure(read);
        results.entries = read.entries;
    }
    results.answered = results.failure.isEmpty();
    if (!results.answered)
        context.keepFailedPage(sinkLine, check, request, answer.body);
    return results;
}

QString searchMobilePage(const QString &keyword, const QString &address, const QString &status, int page,
                         const SearchContext &context, const std::atomic<bool> *abortFlag,
                         const QString &line, QString *failure)
{
    if (status == ResultText::kNotIncluded)
        return ResultText::kPositionNotSearched;
    const MobileResults results =
        fetchMobileResults(keyword, page, kCheckName, sinkLineOf(line, keyword, address), context, abortFlag);
    if (!results.answered) {
        if (failure)
            *failure = results.failure;
        return ResultText::kFailed;
    }
    const int position = positionOn(results.entries, address);
    return position > 0 ? QString::number(position) : ResultText::kPositionBeyond;
}

RankingResult rankMobile(const QString &line, const SearchContext &context,
                         const std::atomic<bool> *abortFlag)
{
    const RankingLine parts = splitRankingLine(line);
    FetchResult site;
    QString failure;
    if (!fetchSiteAnswer(parts, context.endpoints.mobileSearch, FetchProfile::RankingMobile, context,
                         abortFlag, &site, &failure)) {
        context.keepFailedPage(line, kCheckName, kSiteRequest, site.body);
        return rankingFailure(parts, failure);
    }
    const MobileSiteVerdict verdict =
        judgeMobileSitePage(context.readPage(site, kCheckName, kSiteRequest, abortFlag), parts.address);
    if (verdict.status == ResultText::kFailed) {
        context.keepFailedPage(line, kCheckName, kSiteRequest, site.body);
        return rankingFailure(parts, verdict.failure);
    }
    if (verdict.status == ResultText::kNotIncluded)
        return {parts.keyword, parts.address, verdict.status, ResultText::kPositionNotSearched,
                QString(),     QString(),     SerpList()};

    // A failed page leaves the position unknown: the field says "异常".
    QString position = ResultText::kPositionBeyond;
    SerpList serp;
    int before = 0; // results shown on the pages before
    for (int page = 1; page <= kPages && before < kMaxPosition; ++page) {
        const MobileResults results =
            fetchMobileResults(parts.keyword, page, kCheckName, line, context, abortFlag);
        if (!results.answered) {
            position = ResultText::kFailed;
            failure = results.failure;
            break;
        }
        if (results.notFound)
            break;
        const int onPage = positionOn(results.entries, parts.address);
        for (int i = 0; i < results.entries.size() && before + i < kMaxPosition; ++i) {
            SerpEntry entry = serpEntryOf(results.entries.at(i), before);
            entry.position = before + i + 1;
            entry.matches = i + 1 == onPage ? 1U : 0U;
            serp.append(entry);
        }
        if (onPage > 0) {
            if (before + onPage <= kMaxPosition)
                position = QString::number(before + onPage);
            break;
        }
        before += results.entries.size();
    }
    return {parts.keyword, parts.address, verdict.status, position, verdict.snapshot, failure, serp};
}
