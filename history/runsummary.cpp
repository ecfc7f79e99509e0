#include "history/runsummary.h"

#include "history/linechange.h"
#include "search/resultcolumns.h"
#include "search/resultstrings.h"

#include "history/tooldescriptor.h"

namespace {
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm");
const QString kSite = QStringLiteral("网站 %1");
} // namespace

RunSummary summarizeRun(const StoredRun &run)
{
    RunSummary summary;
    const ToolDescriptor *tool = toolOfHistoryKey(run.tool);
    const std::optional<Device> device = HistoryDevice::deviceOf(run.device);
    summary.started = run.startedAt.toLocalTime().toString(kTimeFormat);
    summary.tool = tool ? tool->shortName : run.tool;
    summary.device = device ? deviceName(*device) : run.device;
    const bool rowsFound = tool && tool->rowsFound;
    summary.lines = run.stored == run.lineCount || rowsFound
                        ? QString::number(run.stored)
                        : QStringLiteral("%1/%2").arg(run.stored).arg(run.lineCount);
    switch (tool ? tool->tool : Tool::Ranking) {
    case Tool::Mining: {
        const ReportTotal seeds{QStringLiteral("种子词"), QString::number(run.lineCount)};
        summary.figures = {seeds, {QStringLiteral("共挖掘"), QString::number(run.stored)}};
        summary.briefFigures = {seeds};
        break;
    }
    case Tool::Inclusion: {
        const ReportTotal rate{QStringLiteral("收录率"),
                               QString::number(inclusionRate(run.included, run.notIncluded)) +
                                   QLatin1Char('%')};
        summary.figures = {{QStringLiteral("已收录"), QString::number(run.included)}, rate};
        summary.briefFigures = {rate};
        break;
    }
    case Tool::Ranking:
    case Tool::SiteRanking:
        summary.figures = {{QStringLiteral("前10"), QString::number(run.top10)},
                           {QStringLiteral("前30"), QString::number(run.top30)}};
        summary.briefFigures = summary.figures;
        break;
    }
    summary.failed = run.failed;
    summary.unfinished = !run.endedAt.isValid();
    return summary;
}

QList<ReportTotal> siteTotals(const QStringList &hosts, const QList<QStringList> &rows)
{
    QList<ReportTotal> totals;
    if (hosts.size() < 2)
        return totals;
    for (int site = 0; site < hosts.size(); ++site) {
        int top10 = 0, top30 = 0, beyond = 0;
        for (const QStringList &row : rows) {
            const QString cell = row.value(siteGroupColumn(site, SiteGroupColumn::BestPosition));
            const int position = cell.toInt();
            top10 += position >= 1 && position <= 10;
            top30 += position >= 1 && position <= 30;
            beyond += cell == ResultText::kPositionBeyond;
        }
        const QString host = hosts.at(site) + QLatin1Char(' ');
        totals << ReportTotal{host + QStringLiteral("前10"), QString::number(top10)}
               << ReportTotal{host + QStringLiteral("前30"), QString::number(top30)}
               << ReportTotal{host + QStringLiteral("30名外"), QString::number(beyond)};
    }
    return totals;
}

ReportTable storedRunReport(const StoredRun &run, const QList<StoredLine> &lines)
{
    ReportTable table;
    const std::optional<ToolDescriptor> tool = descriptorOfRun(run);
    if (!tool)
        return table;
    // A site ranking's lines are kept under the site checked; a run of several names them all.
    QString site;
    if (tool->tool == Tool::SiteRanking)
        site = !run.sites.isEmpty() ? run.sites.join(QStringLiteral("、"))
               : !lines.isEmpty()   ? siteRankingSite(lines.first().key)
                                    : QString();
    table.title = reportTitle(tool->reportKind, site);
    table.headings = tool->writtenHeadings();
    table.columnPixelWidths = tool->writtenWidths();
    table.numberColumns = tool->numberColumns();
    for (const StoredLine &line : lines)
        table.rows.append(tool->writtenCells(line.cells, line.failure));
    table.totals = siteTotals(run.sites, table.rows);
    const RunSummary summary = summarizeRun(run);
    QStringList about{summary.device, summary.started};
    if (!site.isEmpty())
        about.prepend(kSite.arg(site));
    table.subtitle = about.join(QLatin1Char(' '));
    return table;
}
