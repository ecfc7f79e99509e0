#include "search/siterankingcheck.h"

#include "search/desktopinclusioncheck.h"
#include "search/desktoprankingcheck.h"
#include "search/mobileinclusioncheck.h"
#include "search/mobilerankingcheck.h"
#include "search/pagefetcher.h"
#include "search/resultpage.h"
#include "search/resultstrings.h"

namespace {

const QString kCheckName = QStringLiteral("site-ranking");
const QString kKeywordRequest = QStringLiteral("keyword");
const QString kReasonUnreadLink = QStringLiteral("结果链接无法解析");
const QString kReasonNoEntries = QStringLiteral("页面没有结果");
const QByteArray kThirtyResults = QByteArrayLiteral("&rn=30");
// Offsets of the first result of mobile pages 2 and 3.
const QByteArray kMobilePageOffsets[] = {QByteArray(), QByteArrayLiteral("&pn=10"),
                                         QByteArrayLiteral("&pn=20")};
// Baidu's word on a mobile page that there are no (more) results.
constexpr char kMobileNotFound[] = "抱歉，没有找到";
constexpr int kMaxPosition = 30;
constexpr int kMobilePageSize = 10;

struct SiteHit
{
    int position;
    QString address;
    QString title;
};

SiteRankingResult failedKeyword(const QString &keyword, const QString &why, const QString &request,
                                const QByteArray &body, const SearchContext &context)
{
    context.keepFailedPage(keyword, kCheckName, request, body);
    return SiteRankingResult::failed(keyword, why);
}

SiteRankingResult fromHits(const QString &keyword, const QList<SiteHit> &hits)
{
    SiteRankingResult result;
    result.keyword = keyword;
    result.entries = hits.size();
    if (hits.isEmpty()) {
        result.position = ResultText::kPositionBeyond;
        return result;
    }
    result.position = QString::number(hits.first().position);
    result.address = hits.first().address;
    result.title = hits.first().title;
    for (int i = 1; i < hits.size(); ++i)
        result.otherPositions.append(hits.at(i).position);
    return result;
}

// The stated target that lies on the site, if any.
QString statedSiteAddress(const ResultEntry &entry, const SiteRule &site)
{
    for (const QString &target : entry.statedTargets) {
        if (site.matchesAddress(target))
            return target;
    }
    return QString();
}

} // namespace

SiteRankingResult rankSiteDesktop(const QString &keyword, const SiteRule &site, const SearchContext &context,
                                  const std::atomic<bool> *abortFlag)
{
    const FetchResult answer =
        context.fetch(requestAddress(context.endpoints.desktopSearch, keyword) + kThirtyResults,
                      FetchProfile::RankingDesktop, abortFlag);
    if (isUnusableSearchPage(answer))
        return failedKeyword(keyword, unusablePageReason(answer), kKeywordRequest, answer.body, context);
    const ResultPage page = readResultPage(answer.body, answer.contentType, abortFlag);
    if (page.kind == PageKind::NotFound)
        return fromHits(keyword, {});
    const QString problem = pageFailure(page);
    if (!problem.isEmpty())
        return failedKeyword(keyword, problem, kKeywordRequest, answer.body, context);

    QList<SiteHit> hits;
    bool unread = false;
    for (const ResultEntry &entry : page.entries) {
        if (entry.position > kMaxPosition)
            break;
        QString address;
        if (!entry.statedTargets.isEmpty()) {
            // The page's own statement is certain and costs no request.
            address = statedSiteAddress(entry, site);
        } else if (isRedirectLink(entry.headingLink)) {
            const QString shownHost = SiteRule::hostOf(entry.shownAddress);
            if (!shownHost.isEmpty() && !site.matchesHost(shownHost))
                continue;
            const QString resolved = resolveLink(entry.headingLink, context, abortFlag);
            if (resolved == ResultText::kFailed)
                unread = true;
            else if (site.matchesAddress(resolved))
                address = resolved;
        }
        if (!address.isEmpty())
            hits.append({entry.position, address, entry.headingText});
    }
    // A link that could not be read may have been the site's only entry.
    if (hits.isEmpty() && unread)
        return failedKeyword(keyword, kReasonUnreadLink, kKeywordRequest, answer.body, context);
    return fromHits(keyword, hits);
}

SiteRankingResult rankSiteMobile(const QString &keyword, const SiteRule &site, const SearchContext &context,
                                 const std::atomic<bool> *abortFlag)
{
    QList<SiteHit> hits;
    for (int page = 0; page < 3; ++page) {
        const QString request =
            page == 0 ? kKeywordRequest : kKeywordRequest + QLatin1Char('-') + QString::number(page + 1);
        const FetchResult answer = context.fetch(
            requestAddress(context.endpoints.mobileKeywordSearch, keyword) + kMobilePageOffsets[page],
            FetchProfile::RankingDesktop, abortFlag);
        if (isUnusableSearchPage(answer))
            return failedKeyword(keyword, unusablePageReason(answer), request, answer.body, context);
        const PageText text = decodePageBody(answer.body, answer.contentType);
        const QString problem = mobileAnswerFailure(text);
        if (!problem.isEmpty())
            return failedKeyword(keyword, problem, request, answer.body, context);
        const QList<MobileEntry> entries = mobileEntries(QString::fromUtf8(text.utf8));
        if (entries.isEmpty()) {
            // Baidu's word that the results end here; anything else is a layout this check cannot read.
            if (text.utf8.contains(kMobileNotFound))
                break;
            return failedKeyword(keyword, kReasonNoEntries, request, answer.body, context);
        }
        for (int i = 0; i < entries.size() && i < kMobilePageSize; ++i) {
            const MobileEntry &entry = entries.at(i);
            if (site.matchesAddress(entry.address))
                hits.append({page * kMobilePageSize + i + 1, entry.address,
                             entry.title.isEmpty() ? ResultText::kNoTitleMobile : entry.title});
        }
    }
    return fromHits(keyword, hits);
}
