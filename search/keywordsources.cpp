#include "search/keywordsources.h"

#include "search/desktopinclusioncheck.h"
#include "search/pagefetcher.h"
#include "search/resultpage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString kSuggestionList = QStringLiteral("g");
const QString kSuggestionText = QStringLiteral("q");
const QString kReasonNotJson = QStringLiteral("联想结果不是 JSON");
const QString kCheckName = QStringLiteral("mining");
const QString kKeywordRequest = QStringLiteral("keyword");

// Full-width forms U+FF01..U+FF5E sit this far above ASCII's '!'..'~'.
constexpr ushort kFullWidthFirst = 0xFF01;
constexpr ushort kFullWidthLast = 0xFF5E;
constexpr ushort kFullWidthOffset = 0xFF01 - 0x21;
constexpr ushort kIdeographicSpace = 0x3000;

KeywordOffers failedOffers(const QString &why)
{
    KeywordOffers offers;
    offers.failure = why;
    return offers;
}

} // namespace

KeywordOffers fetchSuggestions(const QString &keyword, const SearchContext &context,
                               const std::atomic<bool> *abortFlag)
{
    const FetchResult answer = context.fetch(requestAddress(context.endpoints.suggestion, keyword),
                                             FetchProfile::RankingDesktop, abortFlag);
    if (isUnusableSearchPage(answer))
        return failedOffers(unusablePageReason(answer));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(answer.body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return failedOffers(kReasonNotJson);
    KeywordOffers offers;
    offers.ok = true;
    for (const QJsonValue &entry : document.object().value(kSuggestionList).toArray()) {
        const QString text = entry.toObject().value(kSuggestionText).toString().simplified();
        if (!text.isEmpty())
            offers.texts.append(text);
    }
    return offers;
}

KeywordOffers fetchRelatedSearches(const QString &keyword, const SearchContext &context,
                                   const std::atomic<bool> *abortFlag)
{
    const FetchResult answer = context.fetch(requestAddress(context.endpoints.desktopSearch, keyword),
                                             FetchProfile::RankingDesktop, abortFlag);
    if (isUnusableSearchPage(answer))
        return failedOffers(unusablePageReason(answer));
    const ResultPage page = context.readPage(answer, kCheckName, kKeywordRequest, abortFlag);
    if (page.kind == PageKind::Blocked || page.kind == PageKind::Unreadable ||
        (page.layoutUnknown && page.relatedSearches.isEmpty() && page.alsoSearched.isEmpty()))
        return failedOffers(pageFailure(page));
    KeywordOffers offers;
    offers.ok = true;
    offers.texts = page.relatedSearches;
    offers.alsoTexts = page.alsoSearched;
    return offers;
}

QString keywordKey(const QString &keyword)
{
    QString key = keyword;
    for (QChar &c : key) {
        const ushort unit = c.unicode();
        if (unit >= kFullWidthFirst && unit <= kFullWidthLast)
            c = QChar(ushort(unit - kFullWidthOffset));
        else if (unit == kIdeographicSpace)
            c = QLatin1Char(' ');
    }
    return key.simplified();
}
