#include "history/linechange.h"

#include "search/resultcolumns.h"
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

StoredLine storedLine(Tool tool, int index, const ResultRow &row, const QString &siteHost)
{
    const QStringList &cells = row.cells;
    StoredLine line{index, QString(), QString(), QString(), row.failure, cells, row.serp, row.readAt};
    switch (tool) {
    case Tool::Inclusion:
        line.key = cells.value(InclusionColumn::Address);
        line.status = cells.value(InclusionColumn::Status);
        break;
    case Tool::Ranking:
        line.key = cells.value(RankingColumn::Keyword) + kKeySeparator + cells.value(RankingColumn::Address);
        line.status = cells.value(RankingColumn::Status);
        line.position = cells.value(RankingColumn::Position);
        break;
    case Tool::SiteRanking:
        line.key = siteRankingKey(siteHost, cells.value(SiteRankingColumn::Keyword));
        line.position = cells.value(SiteRankingColumn::BestPosition);
        break;
    case Tool::Mining:
        line.key = cells.value(MiningColumn::Keyword);
        break;
    }
    return line;
}

ResultRow rowOfStored(Tool tool, const StoredLine &line)
{
    const QStringList &c = line.cells;
    ResultRow row;
    switch (tool) {
    case Tool::Inclusion:
        row = rowOf(InclusionResult{c.value(InclusionColumn::Title), c.value(InclusionColumn::Address),
                                    c.value(InclusionColumn::Status), c.value(InclusionColumn::Snapshot),
                                    line.failure});
        break;
    case Tool::Ranking:
        row = rowOf(RankingResult{c.value(RankingColumn::Keyword), c.value(RankingColumn::Address),
                                  c.value(RankingColumn::Status), c.value(RankingColumn::Position),
                                  c.value(RankingColumn::Snapshot), line.failure, SerpList()});
        break;
    case Tool::SiteRanking: {
        SiteRankingResult result;
        result.keyword = c.value(SiteRankingColumn::Keyword);
        result.position = line.position;
        result.failure = line.failure;
        row = rowOf(result);
        break;
    }
    case Tool::Mining:
        row = ResultRow{c, RowVerdict::Undecided, 0, false};
        break;
    }
    // The cells as they were shown, whatever a result rebuilt from them would show.
    row.cells = c;
    row.failure = line.failure;
    return row;
}

QList<StoredLine> storedLines(Tool tool, int index, const ResultRow &row, const QStringList &siteHosts)
{
    QList<StoredLine> lines{storedLine(tool, index, row, siteHosts.value(0))};
    if (tool != Tool::SiteRanking || siteHosts.size() < 2)
        return lines;
    const QString keyword = row.cells.value(SiteRankingColumn::Keyword);
    lines.first().position = row.cells.value(siteGroupColumn(0, SiteGroupColumn::BestPosition));
    for (int site = 1; site < siteHosts.size(); ++site) {
        StoredLine further{HistoryStore::siteLineIndex(index, site),
                           siteRankingKey(siteHosts.at(site), keyword),
                           QString(),
                           row.cells.value(siteGroupColumn(site, SiteGroupColumn::BestPosition)),
                           QString(),
                           QStringList(),
                           SerpList(),
                           QDateTime()};
        lines.append(further);
    }
    return lines;
}

QString queryLineOfStored(Tool tool, const StoredLine &line)
{
    if (tool == Tool::SiteRanking)
        return siteRankingKeyword(line.key);
    return keyFields(line.key).join(QLatin1Char(' '));
}

QStringList keyFields(const QString &key)
{
    return key.split(kKeySeparator);
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

QString changeSince(const QString &tool, const QHash<QString, StoredLine> &before, const StoredLine &now)
{
    const auto earlier = before.constFind(now.key);
    return earlier == before.cend() ? QString() : describeChange(tool, *earlier, now);
}
