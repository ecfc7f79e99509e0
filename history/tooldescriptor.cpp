#include "history/tooldescriptor.h"

#include "history/runrecorder.h"
#include "search/resultcolumns.h"

#include <array>

namespace {

const QString kReasonHeading = QStringLiteral("原因");
// Room for the usual reasons ("服务器错误 502", "第一条结果是其他网址").
constexpr int kReasonWidth = 140;

// How each tool's columns read, in the order of its headings.
QList<ColumnKind> columnKinds(Tool tool)
{
    using K = ColumnKind;
    switch (tool) {
    case Tool::Ranking:
        return {K::Text, K::Text, K::Text, K::Position, K::Date};
    case Tool::SiteRanking:
        return {K::Text, K::Position, K::Text, K::Text, K::Number, K::Text};
    case Tool::Mining:
        return {K::Text, K::Text, K::Text, K::Number};
    case Tool::Inclusion:
        break;
    }
    return {K::Text, K::Text, K::Text, K::Date};
}

ToolDescriptor describe(Tool tool, const QString &name, const QString &shortName, const QString &historyKey,
                        ReportKind reportKind, QueryKind lineKind)
{
    ToolDescriptor descriptor;
    descriptor.tool = tool;
    descriptor.name = name;
    descriptor.shortName = shortName;
    descriptor.historyKey = historyKey;
    descriptor.reportKind = reportKind;
    descriptor.lineKind = lineKind;
    descriptor.reasonHeading = kReasonHeading;
    const QStringList headings = reportHeadings(reportKind);
    const QList<int> widths = initialColumnWidths(reportKind);
    const QList<ColumnKind> kinds = columnKinds(tool);
    for (int column = 0; column < headings.size(); ++column)
        descriptor.columns.append({headings.at(column), widths.value(column), kinds.value(column)});
    return descriptor;
}

std::array<ToolDescriptor, 4> makeDescriptors()
{
    ToolDescriptor inclusion = describe(Tool::Inclusion, QStringLiteral("收录查询"), QStringLiteral("收录"),
                                        HistoryTool::kInclusion, ReportKind::Inclusion, QueryKind::Inclusion);
    inclusion.statusColumn = InclusionColumn::Status;
    ToolDescriptor ranking = describe(Tool::Ranking, QStringLiteral("排名查询"), QStringLiteral("排名"),
                                      HistoryTool::kRanking, ReportKind::Ranking, QueryKind::Ranking);
    ranking.statusColumn = RankingColumn::Status;
    ranking.positionColumn = RankingColumn::Position;
    ToolDescriptor siteRanking =
        describe(Tool::SiteRanking, QStringLiteral("泛排名查询"), QStringLiteral("泛排名"),
                 HistoryTool::kSiteRanking, ReportKind::SiteRanking, QueryKind::Keyword);
    siteRanking.positionColumn = SiteRankingColumn::BestPosition;
    ToolDescriptor mining = describe(Tool::Mining, QStringLiteral("关键词挖掘"), QStringLiteral("挖掘"),
                                     HistoryTool::kMining, ReportKind::Mining, QueryKind::Keyword);
    mining.hasDevice = false;
    mining.reasonHeading.clear();
    mining.rowsFound = true;
    return {inclusion, ranking, siteRanking, mining};
}

const std::array<ToolDescriptor, 4> &descriptors()
{
    static const std::array<ToolDescriptor, 4> all = makeDescriptors();
    return all;
}

} // namespace

QStringList ToolDescriptor::headings() const
{
    QStringList headings;
    for (const ToolColumn &column : columns)
        headings.append(column.heading);
    return headings;
}

QList<int> ToolDescriptor::widths() const
{
    QList<int> widths;
    for (const ToolColumn &column : columns)
        widths.append(column.width);
    return widths;
}

QStringList ToolDescriptor::writtenHeadings() const
{
    QStringList written = headings();
    if (!reasonHeading.isEmpty())
        written.append(reasonHeading);
    return written;
}

QList<int> ToolDescriptor::writtenWidths() const
{
    QList<int> written = widths();
    if (!reasonHeading.isEmpty())
        written.append(kReasonWidth);
    return written;
}

QStringList ToolDescriptor::writtenCells(const QStringList &cells, const QString &failure) const
{
    if (reasonHeading.isEmpty())
        return cells;
    // Short rows (a line never checked) still put the reason under its heading.
    QStringList written = cells;
    while (written.size() < columns.size())
        written.append(QString());
    written.append(failure);
    return written;
}

QList<int> ToolDescriptor::numberColumns() const
{
    QList<int> numbers;
    for (int column = 0; column < columns.size(); ++column) {
        const ColumnKind kind = columns.at(column).kind;
        if (kind == ColumnKind::Position || kind == ColumnKind::Number)
            numbers.append(column);
    }
    return numbers;
}

const ToolDescriptor &toolDescriptor(Tool tool)
{
    for (const ToolDescriptor &descriptor : descriptors()) {
        if (descriptor.tool == tool)
            return descriptor;
    }
    return descriptors().front();
}

std::optional<ToolDescriptor> descriptorOfRun(const StoredRun &run)
{
    const ToolDescriptor *tool = toolOfHistoryKey(run.tool);
    if (!tool)
        return std::nullopt;
    return tool->tool == Tool::SiteRanking ? siteRankingDescriptor(run.sites) : *tool;
}

ToolDescriptor siteRankingDescriptor(const QStringList &siteHosts)
{
    ToolDescriptor descriptor = toolDescriptor(Tool::SiteRanking);
    if (siteHosts.size() < 2)
        return descriptor;
    const QList<ToolColumn> one = descriptor.columns;
    descriptor.columns = {one.at(SiteRankingColumn::Keyword)};
    const QString grouped = QStringLiteral("%1 %2");
    for (const QString &host : siteHosts) {
        for (int column :
             {SiteRankingColumn::BestPosition, SiteRankingColumn::Address, SiteRankingColumn::Entries}) {
            ToolColumn kept = one.at(column);
            kept.heading = grouped.arg(host, kept.heading);
            descriptor.columns.append(kept);
        }
    }
    descriptor.positionColumn = siteGroupColumn(0, SiteGroupColumn::BestPosition);
    return descriptor;
}

const ToolDescriptor *toolOfHistoryKey(const QString &key)
{
    for (const ToolDescriptor &descriptor : descriptors()) {
        if (descriptor.historyKey == key)
            return &descriptor;
    }
    return nullptr;
}

StoredRun runStarting(Tool tool, Device device, int lineCount, const SearchContext &context)
{
    const ToolDescriptor &descriptor = toolDescriptor(tool);
    return runStarting(descriptor.historyKey, descriptor.hasDevice ? HistoryDevice::key(device) : QString(),
                       lineCount, context);
}
