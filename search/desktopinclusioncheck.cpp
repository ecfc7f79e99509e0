#include "desktopinclusioncheck.h"

#include "pagefetcher.h"
#include "resultstrings.h"

#include <QRegExp>
#include <QRegularExpression>

namespace {

// Either text on the answer page means Baidu does not have the address.
constexpr char kNotFoundMarker[] = "没有找到该URL";
constexpr char kZeroResultsMarker[] = "百度为您找到相关结果约0个";

// The opening tag's class value starts with a blank on Baidu's pages.
const QString kDateOpenTag = QStringLiteral("<span class=\" newTimeFactor_before_abs m\">");
const QString kDatePattern = QStringLiteral("<span class=\" newTimeFactor_before_abs m\">(.*)</span>");
const QString kTitlePattern = QStringLiteral(">(.*)</a></h3>");

const QString kNbsp = QStringLiteral("&nbsp;");
const QString kSpanClose = QStringLiteral("</span>");
const QString kHyphen = QStringLiteral("-");
const QString kEmOpen = QStringLiteral("<em>");
const QString kEmClose = QStringLiteral("</em>");

QString snapshotFrom(const QString &text)
{
    QRegExp date(kDatePattern, Qt::CaseSensitive, QRegExp::RegExp);
    date.setMinimal(true);
    if (date.indexIn(text, 0) < 0)
        return ResultText::kNoSnapshot;
    QString snapshot = date.cap(0);
    snapshot.remove(kDateOpenTag, Qt::CaseSensitive);
    snapshot.remove(kNbsp, Qt::CaseSensitive);
    snapshot.remove(kSpanClose, Qt::CaseSensitive);
    snapshot.remove(kHyphen, Qt::CaseSensitive);
    return snapshot;
}

QString titleFrom(const QString &text)
{
    // One object per call: pool threads run this at once, and Qt only promises
    // reentrancy, not sharing one instance between threads.
    const QRegularExpression title(kTitlePattern);
    const QRegularExpressionMatch match = title.match(text, 0);
    if (!match.hasMatch())
        return ResultText::kNoTitle;
    QString cleaned = match.captured(1);
    cleaned.remove(kEmClose, Qt::CaseSensitive);
    cleaned.remove(kEmOpen, Qt::CaseSensitive);
    return cleaned;
}

} // namespace

DesktopSiteVerdict judgeDesktopSitePage(const QByteArray &body)
{
    DesktopSiteVerdict verdict;
    if (body.contains(kNotFoundMarker) || body.contains(kZeroResultsMarker)) {
        verdict.status = ResultText::kNotIncluded;
        return verdict;
    }
    verdict.status = ResultText::kIncluded;
    const QString text = QString::fromUtf8(body.constData(), body.size());
    verdict.snapshot = snapshotFrom(text);
    verdict.title = titleFrom(text);
    return verdict;
}

InclusionResult desktopInclusionCheck(const QString &address, const SearchContext &context,
                                      const std::atomic<bool> *abortFlag)
{
    const FetchResult page = fetchPage(requestAddress(context.endpoints.desktopSearch, address),
                                       FetchProfile::InclusionDesktop, abortFlag);
    if (isUnusableSearchPage(page))
        return InclusionResult::failed(address, unusablePageReason(page));
    const DesktopSiteVerdict verdict = judgeDesktopSitePage(page.body);
    return {verdict.title, address, verdict.status, verdict.snapshot, QString()};
}
