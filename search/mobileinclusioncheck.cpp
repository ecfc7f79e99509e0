#include "mobileinclusioncheck.h"

#include "pagefetcher.h"
#include "resultstrings.h"

#include <QRegExp>
#include <QStringList>

namespace {

constexpr char kNotFoundMarker[] = "抱歉，没有找到";
// A plain text search: the full stop is literal.
constexpr char kFirstResultMarker[] = "搜索结果第1条.标题";

const QString kFirstAddressPattern = QStringLiteral(",'order':'1','mu':'(.*)'");
const QString kDatePattern = QStringLiteral("<span data-a-09d7e76b>(.*)</span>");
const QString kFooterPattern = QStringLiteral("<span class=\"c-gap-left c-footer-showurl\">(.*)</span>");
// Capture 1 begins with the rest of the opening tag, which the attribute pattern strips.
const QString kTitlePattern = QStringLiteral("<span class=\"c-title-text\" (.*)</span>");
const QString kAttributePattern = QStringLiteral("data(.*)>");

const QString kEmOpen = QStringLiteral("<em>");
const QString kEmClose = QStringLiteral("</em>");
const QString kLabelSeparator = QStringLiteral(".");
const QChar kTrailingSlash = QLatin1Char('/');

QRegExp minimalPattern(const QString &pattern)
{
    QRegExp expression(pattern, Qt::CaseSensitive, QRegExp::RegExp);
    expression.setMinimal(true);
    return expression;
}

// Capture 1 of the first match; false without a match (an empty capture is a match).
bool firstCapture(const QString &pattern, const QString &text, QString *capture)
{
    QRegExp expression = minimalPattern(pattern);
    if (expression.indexIn(text, 0) < 0)
        return false;
    *capture = expression.cap(1);
    return true;
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

MobileSiteVerdict judgeMobileSitePage(const QByteArray &body, const QString &address)
{
    MobileSiteVerdict verdict;
    if (body.contains(kNotFoundMarker) || !body.contains(kFirstResultMarker)) {
        verdict.status = ResultText::kNotIncluded;
        return verdict;
    }
    const QString text = QString::fromUtf8(body.constData(), body.size());
    QString firstAddress;
    if (!firstCapture(kFirstAddressPattern, text, &firstAddress))
        return verdict;

    QString first = normalisedAddress(firstAddress);
    if (first.endsWith(kTrailingSlash))
        first.chop(1);
    if (first != normalisedAddress(address)) {
        verdict.status = ResultText::kNotIncluded;
        return verdict;
    }
    verdict.status = ResultText::kIncluded;

    if (!firstCapture(kDatePattern, text, &verdict.snapshot) &&
        !firstCapture(kFooterPattern, text, &verdict.snapshot))
        verdict.snapshot = ResultText::kNoSnapshot;

    QString title;
    if (!firstCapture(kTitlePattern, text, &title)) {
        verdict.title = ResultText::kNoTitleMobile;
    } else {
        title.remove(minimalPattern(kAttributePattern));
        title.remove(kEmOpen, Qt::CaseSensitive);
        title.remove(kEmClose, Qt::CaseSensitive);
        verdict.title = title;
    }
    return verdict;
}

InclusionResult mobileInclusionCheck(const QString &address, const SearchContext &context,
                                     const std::atomic<bool> *abortFlag)
{
    const FetchResult page = fetchPage(requestAddress(context.endpoints.mobileSearch, address),
                                       FetchProfile::InclusionMobile, abortFlag);
    if (isUnusableSearchPage(page))
        return InclusionResult::failed(address, unusablePageReason(page));
    const MobileSiteVerdict verdict = judgeMobileSitePage(page.body, address);
    return {verdict.title, address, verdict.status, verdict.snapshot, QString()};
}
