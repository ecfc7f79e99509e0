#include "search/desktopinclusioncheck.h"

#include "search/pagefetcher.h"
#include "search/resultstrings.h"

namespace {
const QString kCheckName = QStringLiteral("inclusion");
const QString kSiteRequest = QStringLiteral("site");

// Why a page is no answer, as a line's reason for 异常 says it.
const QString kReasonRobotCheck = QStringLiteral("百度安全验证");
const QString kReasonBlocked = QStringLiteral("封禁页面");
const QString kReasonUnreadable = QStringLiteral("页面无法解析");
const QString kReasonLayoutUnknown = QStringLiteral("页面结构无法解析");
const QString kReasonNoEntries = QStringLiteral("页面没有结果");
const QString kReasonOtherAddress = QStringLiteral("第一条结果是其他网址");
} // namespace

QString pageFailure(const ResultPage &page)
{
    switch (page.kind) {
    case PageKind::Blocked:
        return page.robotCheck ? kReasonRobotCheck : kReasonBlocked;
    case PageKind::Unreadable:
        return kReasonUnreadable;
    case PageKind::NotFound:
        return QString();
    case PageKind::Results:
        break;
    }
    if (page.layoutUnknown)
        return kReasonLayoutUnknown;
    return page.entries.isEmpty() ? kReasonNoEntries : QString();
}

DesktopSiteVerdict judgeDesktopSitePage(const ResultPage &page, const QString &address)
{
    DesktopSiteVerdict verdict;
    if (page.kind == PageKind::NotFound) {
        verdict.status = ResultText::kNotIncluded;
        return verdict;
    }
    verdict.status = ResultText::kFailed;
    verdict.failure = pageFailure(page);
    if (!verdict.failure.isEmpty())
        return verdict;
    const ResultEntry &first = page.entries.first();
    // A first entry that says it is another page is no answer for this one.
    if (!address.isEmpty() && !first.statedTargets.isEmpty()) {
        bool same = false;
        for (const QString &target : first.statedTargets)
            same = same || sameAddress(target, address);
        if (!same) {
            verdict.failure = kReasonOtherAddress;
            return verdict;
        }
    }
    verdict.status = ResultText::kIncluded;
    verdict.title = first.headingText.isEmpty() ? ResultText::kNoTitle : first.headingText;
    verdict.snapshot = first.shownDate.isEmpty() ? ResultText::kNoSnapshot : first.shownDate;
    return verdict;
}

InclusionResult desktopInclusionCheck(const QString &address, const SearchContext &context,
                                      const std::atomic<bool> *abortFlag)
{
    const FetchResult page = context.fetch(requestAddress(context.endpoints.desktopSearch, address),
                                           FetchProfile::InclusionDesktop, abortFlag);
    if (isUnusableSearchPage(page)) {
        context.keepFailedPage(address, kCheckName, kSiteRequest, page.body);
        return InclusionResult::failed(address, unusablePageReason(page));
    }
    const DesktopSiteVerdict verdict =
        judgeDesktopSitePage(context.readPage(page, kCheckName, kSiteRequest, abortFlag), address);
    if (verdict.status == ResultText::kFailed) {
        context.keepFailedPage(address, kCheckName, kSiteRequest, page.body);
        return InclusionResult::failed(address, verdict.failure);
    }
    return {verdict.title, address, verdict.status, verdict.snapshot, QString()};
}
