#include "search/mobileinclusioncheck.h"

#include "search/pagefetcher.h"
#include "search/resultpage.h"
#include "search/resultstrings.h"

#include <QStringList>

namespace {

constexpr char kNotFoundMarker[] = "抱歉，没有找到";
const QString kCheckName = QStringLiteral("inclusion");
const QString kSiteRequest = QStringLiteral("site");
const QString kReasonBlocked = QStringLiteral("百度安全验证或拦截页面");
const QString kReasonUnreadable = QStringLiteral("页面无法解读");
// A plain text search: the full stop is literal.
constexpr char kFirstResultMarker[] = "搜索结果第1条.标题";

// Each field is the text between an opening literal and the first closing one
// after it: plain searches, so a page without the closing text costs one pass.
const QString kFirstAddressOpen = QStringLiteral(",'order':'1','mu':'");
const QString kQuote = QStringLiteral("'");
const QString kDateOpen = QStringLiteral("<span data-a-09d7e76b>");
const QString kFooterOpen = QStringLiteral("<span class=\"c-gap-left c-footer-showurl\">");
// What follows begins with the rest of the opening tag, which the attribute stretches strip.
const QString kTitleOpen = QStringLiteral("<span class=\"c-title-text\" ");
const QString kSpanClose = QStringLiteral("</span>");
const QString kAttributeStart = QStringLiteral("data");
const QChar kTagEnd = QLatin1Char('>');

const QString kEmOpen = QStringLiteral("<em>");
const QString kEmClose = QStringLiteral("</em>");
const QString kLabelSeparator = QStringLiteral(".");
const QChar kTrailingSlash = QLatin1Char('/');

// The text between the first open and the first close after it; false when either is missing.
bool firstBetween(const QString &text, const QString &open, const QString &close, QString *capture)
{
    const int start = text.indexOf(open);
    if (start < 0)
        return false;
    const int from = start + open.size();
    const int end = text.indexOf(close, from);
    if (end < 0)
        return false;
    *capture = text.mid(from, end - from);
    return true;
}

// Every stretch from "data" to the next ">" left out, in one pass.
QString withoutAttributeStretches(const QString &title)
{
    QString kept;
    int from = 0;
    for (int start = title.indexOf(kAttributeStart); start >= 0;
         start = title.indexOf(kAttributeStart, from)) {
        const int end = title.indexOf(kTagEnd, start + kAttributeStart.size());
        if (end < 0)
            break;
        kept += title.midRef(from, start - from);
        from = end + 1;
    }
    return kept + title.midRef(from);
}

// Drops everything before the first "." and every further ".", so scheme and
// first host label (www / m) do not matter.
QString normalisedAddress(const QString &address)
{
    QStringList pieces = address.split(kLabelSeparator, Qt::KeepEmptyParts, Qt::CaseSensitive);
    pieces.removeFirst();
    return pieces.join(QString());
}

} // namespace

QString mobileAnswerFailure(const PageText &text)
{
    if (!text.readable)
        return kReasonUnreadable;
    return kindOfPageText(text.utf8, {}) == PageKind::Blocked ? kReasonBlocked : QString();
}

MobileSiteVerdict judgeMobileSitePage(const QByteArray &body, const QString &address)
{
    MobileSiteVerdict verdict;
    if (body.contains(kNotFoundMarker) || !body.contains(kFirstResultMarker)) {
        verdict.status = ResultText::kNotIncluded;
        return verdict;
    }
    const QString text = QString::fromUtf8(body.constData(), body.size());
    QString firstAddress;
    if (!firstBetween(text, kFirstAddressOpen, kQuote, &firstAddress))
        return verdict;

    QString first = normalisedAddress(firstAddress);
    if (first.endsWith(kTrailingSlash))
        first.chop(1);
    if (first != normalisedAddress(address)) {
        verdict.status = ResultText::kNotIncluded;
        return verdict;
    }
    verdict.status = ResultText::kIncluded;

    if (!firstBetween(text, kDateOpen, kSpanClose, &verdict.snapshot) &&
        !firstBetween(text, kFooterOpen, kSpanClose, &verdict.snapshot))
        verdict.snapshot = ResultText::kNoSnapshot;

    QString title;
    if (!firstBetween(text, kTitleOpen, kSpanClose, &title)) {
        verdict.title = ResultText::kNoTitleMobile;
    } else {
        title = withoutAttributeStretches(title);
        title.remove(kEmOpen, Qt::CaseSensitive);
        title.remove(kEmClose, Qt::CaseSensitive);
        verdict.title = title;
    }
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
    const PageText text = decodePageBody(page.body, page.contentType);
    const QString failure = mobileAnswerFailure(text);
    if (!failure.isEmpty()) {
        context.keepFailedPage(address, kCheckName, kSiteRequest, page.body);
        return InclusionResult::failed(address, failure);
    }
    const MobileSiteVerdict verdict = judgeMobileSitePage(text.utf8, address);
    return {verdict.title, address, verdict.status, verdict.snapshot, QString()};
}
