#include "history/rowjson.h"

#include "history/linechange.h"
#include "history/runsummary.h"
#include "history/tooldescriptor.h"
#include "search/resultcolumns.h"
#include "search/resultstrings.h"

namespace {

// A position cell as a number, else null beside its text.
void putPosition(QJsonObject *object, const QString &cell)
{
    bool number = false;
    const int place = cell.toInt(&number);
    const bool placed = number && place >= 1;
    object->insert(QStringLiteral("position"), placed ? QJsonValue(place) : QJsonValue());
    object->insert(QStringLiteral("position_status"), placed ? QJsonValue() : QJsonValue(cell));
}

QJsonValue countOf(const QString &cell)
{
    bool number = false;
    const int count = cell.toInt(&number);
    return number ? QJsonValue(count) : QJsonValue();
}

QJsonArray positionsOf(const QString &cell)
{
    QJsonArray positions;
    for (const QString &part : cell.split(QLatin1Char(','), Qt::SkipEmptyParts))
        positions.append(part.trimmed().toInt());
    return positions;
}

QJsonValue textOrNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

QJsonArray siteGroups(const RowJsonContext &context, const QStringList &cells)
{
    QJsonArray sites;
    if (context.sites.size() < 2) {
        QJsonObject site{
            {QStringLiteral("site"), context.sites.value(0)},
            {QStringLiteral("address"), cells.value(SiteRankingColumn::Address)},
            {QStringLiteral("title"), cells.value(SiteRankingColumn::Title)},
            {QStringLiteral("count"), countOf(cells.value(SiteRankingColumn::Entries))},
            {QStringLiteral("other_positions"), positionsOf(cells.value(SiteRankingColumn::OtherPositions))}};
        putPosition(&site, cells.value(SiteRankingColumn::BestPosition));
        sites.append(site);
        return sites;
    }
    for (int i = 0; i < context.sites.size(); ++i) {
        QJsonObject site{
            {QStringLiteral("site"), context.sites.at(i)},
            {QStringLiteral("address"), cells.value(siteGroupColumn(i, SiteGroupColumn::Address))},
            {QStringLiteral("count"), countOf(cells.value(siteGroupColumn(i, SiteGroupColumn::Entries)))}};
        putPosition(&site, cells.value(siteGroupColumn(i, SiteGroupColumn::BestPosition)));
        sites.append(site);
    }
    return sites;
}

} // namespace

QJsonObject rowJson(const RowJsonContext &context, int line, const QStringList &cells, const QString &failure,
                    const SerpList &serp, const QDateTime &readAt)
{
    const ToolDescriptor &tool = toolDescriptor(context.tool);
    QJsonObject row{{QStringLiteral("tool"), tool.historyKey},
                    {QStringLiteral("device"), textOrNull(context.device)},
                    {QStringLiteral("line"), line}};
    switch (context.tool) {
    case Tool::Inclusion:
        row.insert(QStringLiteral("address"), cells.value(InclusionColumn::Address));
        row.insert(QStringLiteral("title"), cells.value(InclusionColumn::Title));
        row.insert(QStringLiteral("status"), cells.value(InclusionColumn::Status));
        row.insert(QStringLiteral("snapshot"), cells.value(InclusionColumn::Snapshot));
        break;
    case Tool::Ranking:
        row.insert(QStringLiteral("keyword"), cells.value(RankingColumn::Keyword));
        row.insert(QStringLiteral("address"), cells.value(RankingColumn::Address));
        row.insert(QStringLiteral("status"), cells.value(RankingColumn::Status));
        // A 异常 line leaves its position cell empty; its status says why there is no position.
        putPosition(&row, cells.value(RankingColumn::Status) == ResultText::kFailed
                              ? ResultText::kFailed
                              : cells.value(RankingColumn::Position));
        row.insert(QStringLiteral("snapshot"), cells.value(RankingColumn::Snapshot));
        break;
    case Tool::SiteRanking:
        row.insert(QStringLiteral("keyword"), cells.value(SiteRankingColumn::Keyword));
        row.insert(QStringLiteral("sites"), siteGroups(context, cells));
        break;
    case Tool::Mining:
        row.insert(QStringLiteral("keyword"), cells.value(MiningColumn::Keyword));
        row.insert(QStringLiteral("source"), cells.value(MiningColumn::Source));
        row.insert(QStringLiteral("seed"), cells.value(MiningColumn::Seed));
        row.insert(QStringLiteral("depth"), countOf(cells.value(MiningColumn::Depth)));
        return row;
    }
    row.insert(QStringLiteral("failure"), textOrNull(failure));
    if (context.withSerp)
        row.insert(QStringLiteral("serp"), serp.isEmpty() ? QJsonValue() : serpJson(context, serp, readAt));
    return row;
}

QJsonObject serpJson(const RowJsonContext &context, const SerpList &serp, const QDateTime &readAt)
{
    QJsonArray entries;
    for (const SerpEntry &entry : serp) {
        QJsonObject object{{QStringLiteral("position"), entry.position},
                           {QStringLiteral("title"), entry.title},
                           {QStringLiteral("shown"), entry.shown},
                           {QStringLiteral("address"), textOrNull(entry.address)}};
        if (context.tool == Tool::SiteRanking) {
            QJsonArray sites;
            for (int i = 0; i < context.sites.size(); ++i) {
                if (entry.isMatch(i))
                    sites.append(context.sites.at(i));
            }
            object.insert(QStringLiteral("sites"), sites);
        } else {
            object.insert(QStringLiteral("asked"), entry.isMatch(0));
        }
        entries.append(object);
    }
    return {{QStringLiteral("read_at"),
             readAt.isValid() ? QJsonValue(readAt.toUTC().toString(Qt::ISODate)) : QJsonValue()},
            {QStringLiteral("entries"), entries}};
}

QJsonObject runJson(const StoredRun &run)
{
    const RunSummary summary = summarizeRun(run);
    QJsonObject object{{QStringLiteral("run"), run.id},
                       {QStringLiteral("tool"), run.tool},
                       {QStringLiteral("device"), textOrNull(run.device)},
                       {QStringLiteral("started"), summary.started},
                       {QStringLiteral("lines"), run.stored},
                       {QStringLiteral("line_count"), run.lineCount},
                       {QStringLiteral("failed"), summary.failed},
                       {QStringLiteral("finished"), !summary.unfinished}};
    QJsonObject figures;
    for (const ReportTotal &figure : summary.figures)
        figures.insert(figure.label, figure.value);
    object.insert(QStringLiteral("figures"), figures);
    if (!run.sites.isEmpty())
        object.insert(QStringLiteral("sites"), QJsonArray::fromStringList(run.sites));
    return object;
}

QJsonObject changeJson(const StoredRun &run, const StoredLine &before, const StoredLine &now,
                       const QString &change)
{
    const QStringList fields = keyFields(now.key);
    QJsonObject object{{QStringLiteral("run"), run.id},
                       {QStringLiteral("tool"), run.tool},
                       {QStringLiteral("device"), textOrNull(run.device)},
                       {QStringLiteral("change"), change}};
    if (run.tool == HistoryTool::kInclusion) {
        object.insert(QStringLiteral("address"), fields.value(0));
        object.insert(QStringLiteral("before"), before.status);
        object.insert(QStringLiteral("now"), now.status);
        return object;
    }
    if (run.tool == HistoryTool::kSiteRanking) {
        object.insert(QStringLiteral("site"), siteRankingSite(now.key));
        object.insert(QStringLiteral("keyword"), siteRankingKeyword(now.key));
    } else {
        object.insert(QStringLiteral("keyword"), fields.value(0));
        object.insert(QStringLiteral("address"), fields.value(1));
    }
    QJsonObject was, is;
    putPosition(&was, before.position);
    putPosition(&is, now.position);
    object.insert(QStringLiteral("before"), was);
    object.insert(QStringLiteral("now"), is);
    return object;
}
