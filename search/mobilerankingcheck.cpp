#include "search/mobilerankingcheck.h"

#include "search/desktoprankingcheck.h"
#include "search/mobileinclusioncheck.h"
#include "search/pagefetcher.h"
#include "search/resultstrings.h"

#include <QRegularExpression>

namespace {

// The offset of the first result of pages 2 and 3; page 1 has none.
const QByteArray kPageTwo = QByteArrayLiteral("&pn=10");
const QByteArray kPageThree = QByteArrayLiteral("&pn=20");

// One result entry in the page's embedded data: its order, then its address
// between "'mu':'" and the next quote. Plain searches, each resuming where the
// last ended, so the scan is linear even on a page of unended entries.
const QString kOrderOpen = QStringLiteral(",'order':'");
const QString kOrderClose = QStringLiteral("',");
const QString kAddressOpen = QStringLiteral("'mu':'");
const QString kQuote = QStringLiteral("'");
const QString kTitleOpen = QStringLiteral("<span class=\"c-title-text\"");
const QString kSpanClose = QStringLiteral("</span>");
const QRegularExpression kTag(QStringLiteral("<[^>]*>"));
constexpr char kNotFoundMarker[] = "抱歉，没有找到";
const QString kCheckName = QStringLiteral("ranking");
const QString kSiteRequest = QStringLiteral("site");
const QString kKeywordRequest = QStringLiteral("keyword");
const QString kReasonNoEntries = QStringLiteral("页面没有结果");
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

QStringList mobileEntryAddresses(const QString &text)
{
    QStringList addresses;
    for (int order = text.indexOf(kOrderOpen); order >= 0; order = text.indexOf(kOrderOpen, order)) {
        const int orderEnd = text.indexOf(kOrderClose, order + kOrderOpen.size());
        const int open = orderEnd < 0 ? -1 : text.indexOf(kAddressOpen, orderEnd + kOrderClose.size());
        const int start = open < 0 ? -1 : open + kAddressOpen.size();
        const int end = start < 0 ? -1 : text.indexOf(kQuote, start);
        if (end < 0)
            break;
        addresses.append(text.mid(start, end - start));
        order = end + 1;
    }
    return addresses;
}

QList<MobileEntry> mobileEntries(const QString &text)
{
    QList<MobileEntry> entries;
    int order = text.indexOf(kOrderOpen);
    while (order >= 0) {
        const int orderEnd = text.indexOf(kOrderClose, order + kOrderOpen.size());
        const int open = orderEnd < 0 ? -1 : text.indexOf(kAddressOpen, orderEnd + kOrderClose.size());
        const int start = open < 0 ? -1 : open + kAddressOpen.size();
        const int end = start < 0 ? -1 : text.indexOf(kQuote, start);
        if (end < 0)
            break;
        MobileEntry entry;
        entry.address = text.mid(start, end - start);
        order = text.indexOf(kOrderOpen, end + 1);
        // The title stands in the entry's own markup, before the next entry's
        // data; looked for there only, so the scan stays linear.
        const QStringRef own = text.midRef(end + 1, order < 0 ? -1 : order - end - 1);
        const int title = own.indexOf(kTitleOpen);
        const int titleText = title < 0 ? -1 : own.indexOf(QLatin1Char('>'), title + kTitleOpen.size());
        const int titleEnd = titleText < 0 ? -1 : own.indexOf(kSpanClose, titleText);
        if (titleEnd >= 0)
            entry.title =
                own.mid(titleText + 1, titleEnd - titleText - 1).toString().remove(kTag).simplified();
        entries.append(entry);
    }
    return entries;
}

QString searchMobilePage(const QString &keyword, const QString &address, const QString &status, int page,
                         const SearchContext &context, const std::atomic<bool> *abortFlag,
                         const QString &line, QString *failure)
{
    if (status == ResultText::kNotIncluded)
        return ResultText::kPositionNotSearched;

    QByteArray request = requestAddress(context.endpoints.mobileKeywordSearch, keyword);
    if (page == 2)
        request += kPageTwo;
    else if (page == 3)
        request += kPageThree;
    const FetchResult result = context.fetch(request, FetchProfile::RankingDesktop, abortFlag);
    const auto failed = [&](const QString &reason) {
        context.keepFailedPage(line.isEmpty() ? keyword + QLatin1Char(' ') + address : line, kCheckName,
                               page == 1 ? kKeywordRequest
                                         : kKeywordRequest + QLatin1Char('-') + QString::number(page),
                               result.body);
        if (failure)
            *failure = reason;
        return ResultText::kFailed;
    };
    // A robot check or an error page lists no entries: reading on would end in a false "30+".
    if (isUnusableSearchPage(result))
        return failed(unusablePageReason(result));
    const PageText text = decodePageBody(result.body, result.contentType);
    const QString answerFailure = mobileAnswerFailure(text);
    if (!answerFailure.isEmpty())
        return failed(answerFailure);

    const QStringList entries = mobileEntryAddresses(QString::fromUtf8(text.utf8));
    // Neither entries nor Baidu's word that there are none: a layout this check cannot read.
    if (entries.isEmpty() && !text.utf8.contains(kNotFoundMarker))
        return failed(kReasonNoEntries);
    QString position;
    // No early exit: the last matching entry of the page wins.
    for (int i = 0; i < entries.size(); ++i) {
        if (address == normalisedEntryAddress(entries.at(i)))
            position = QString::number(i + 1);
    }
    return position.isEmpty() ? ResultText::kPositionBeyond : position;
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
    const PageText text = decodePageBody(site.body, site.contentType);
    failure = mobileAnswerFailure(text);
    if (!failure.isEmpty()) {
        context.keepFailedPage(line, kCheckName, kSiteRequest, site.body);
        return rankingFailure(parts, failure);
    }
    const MobileSiteVerdict verdict = judgeMobileSitePage(text.utf8, parts.address);
    const auto pagePosition = [&](int page) {
        return searchMobilePage(parts.keyword, parts.address, verdict.status, page, context, abortFlag, line,
                                &failure);
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
    return {parts.keyword, parts.address, verdict.status, position, verdict.snapshot, failure};
}
