#include "history/linechange.h"

#include "search/resultstrings.h"

namespace {

const QString kUp = QStringLiteral("↑%1");
const QString kDown = QStringLiteral("↓%1");
const QString kEnteredTop = QStringLiteral("新进前30");
const QString kLeftTop = QStringLiteral("跌出前30");
const QString kNewlyIncluded = QStringLiteral("新收录");
const QString kNoLongerIncluded = QStringLiteral("掉收录");
const QLatin1Char kKeySeparator('\t');

// 1 to 30 for a place on the pages read, 0 for a known absence ("30+", "--"),
// -1 when the position is not known.
int placeOf(const QString &position)
{
    bool number = false;
    const int place = position.toInt(&number);
    if (number && place >= 1)
        return place;
    if (position == ResultText::kPositionBeyond || position == ResultText::kPositionNotSearched)
        return 0;
    return -1;
}

QString positionChange(const QString &before, const QString &now)
{
    const int was = placeOf(before);
    const int is = placeOf(now);
    if (was < 0 || is < 0 || was == is)
        return QString();
    if (was == 0)
        return kEnteredTop;
    if (is == 0)
        return kLeftTop;
    return was > is ? kUp.arg(was - is) : kDown.arg(is - was);
}

} // namespace

StoredLine storedLine(int index, const InclusionResult &result)
{
    return {index, result.address, result.status, QString(), result.failure, result.cells()};
}

StoredLine storedLine(int index, const RankingResult &result)
{
    return {index,          result.keyword + kKeySeparator + result.address,
            result.status,  result.position,
            result.failure, result.cells()};
}

QString siteRankingKey(const QString &siteHost, const QString &keyword)
{
    return siteHost + kKeySeparator + keyword;
}

QString siteRankingSite(const QString &key)
{
    return key.section(kKeySeparator, 0, 0);
}

QString siteRankingKeyword(const QString &key)
{
    return key.section(kKeySeparator, 1);
}

StoredLine storedLine(int index, const SiteRankingResult &result, const QString &siteHost)
{
    return {index,          siteRankingKey(siteHost, result.keyword),
            QString(),      result.position,
            result.failure, result.cells()};
}

// A mined keyword is known by itself.

StoredLine storedLine(int index, const MinedKeyword &keyword)
{
    return {index, keyword.keyword, QString(), QString(), QString(), keyword.cells()};
}

QString describeChange(const QString &tool, const StoredLine &before, const StoredLine &now)
{
    if (tool != HistoryTool::kInclusion)
        return positionChange(before.position, now.position);
    if (before.status == ResultText::kNotIncluded && now.status == ResultText::kIncluded)
        return kNewlyIncluded;
    if (before.status == ResultText::kIncluded && now.status == ResultText::kNotIncluded)
        return kNoLongerIncluded;
    return QString();
}
