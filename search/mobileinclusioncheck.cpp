#include "search/mobileinclusioncheck.h"

#include "search/desktopinclusioncheck.h"
#include "search/pagefetcher.h"
#include "search/resultstrings.h"

namespace {
const QString kCheckName = QStringLiteral("inclusion");
const QString kSiteRequest = QStringLiteral("site");
const QString kReasonNoAddress = QStringLiteral("第一条结果没有网址");
} // namespace

MobileSiteVerdict judgeMobileSitePage(const ResultPage &page, const QString &address)
{
    MobileSiteVerdict verdict;
    if (page.kind == PageKind::NotFound) {
        verdict.status = ResultText::kNotIncluded;
        return verdict;
    }
    verdict.status = ResultText::kFailed;
    verdict.failure = pageFailure(page);
    if (!verdict.failure.isEmpty())
        return verdict;
    const ResultEntry &first = page.entries.first();
    if (first.statedTargets.isEmpty()) {
        verdict.failure = kReasonNoAddress;
        return verdict;
    }
    bool same = false;
    for (const QString &target : first.statedTargets)
        same = same || sameAddress(target, address);
    // Baidu's mobile search answers an address it does not have with pages about its words.
    if (!same) {
        verdict.status = ResultText::kNotIncluded;
        verdict.failure.clear();
        return verdict;
    }
    verdict.status = ResultText::kIncluded;
    verdict.title = first.headingText.isEmpty() ? ResultText::kNoTitleMobile : first.headingText;
    verdict.snapshot = first.shownDate.isEmpty() ? ResultText::kNoSnapshot : first.shownDate;
    return verdict;
}

InclusionResult mobileInclusionCheck(const QString &address, const SearchContext &context,
                                     const std::atomic<bool> *abortFlag)
{
    const FetchResult page = context.fetch(requestAddress(context.endpoints.mobileSearch, address),
                                           FetchProfile::InclusionMobile, abortFlag);
    if (isUnusableSearchPage(page)) {
        context.keepFailedPage(address, kCheckName, kSiteRequest, page.body);
        return InclusionResult::failed(address, unusablePageReason(page));
    }
    const MobileSiteVerdict verdict =
        judgeMobileSitePage(context.readPage(page, kCheckName, kSiteRequest, abortFlag), address);
    if (verdict.status == ResultText::kFailed) {
        context.keepFailedPage(address, kCheckName, kSiteRequest, page.body);
        return InclusionResult::failed(address, verdict.failure);
    }
    return {verdict.title, address, verdict.status, verdict.snapshot, QString()};
}
