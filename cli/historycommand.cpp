#include "cli/historycommand.h"

#include "cli/resultoutput.h"
#include "history/historystore.h"
#include "history/linechange.h"
#include "history/rowjson.h"
#include "history/runsummary.h"
#include "history/tooldescriptor.h"
#include "report/reportwriter.h"

#include <QIODevice>
#include <QJsonObject>

#include <algorithm>

#include <optional>

namespace {
const int kExitOk = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;

const QLatin1String kMessagePrefix("quillane-cli: ");
const QString kNoSuchRun = QStringLiteral("no run %1 in the history (see history list)");
const QString kNoReport = QStringLiteral("run %1 (%2) has no report");
const QString kReportFailed = QStringLiteral("cannot write report '%1': %2");
const QString kChangedLines = QStringLiteral("与上次相比有变化：%1 行（共 %2 行）\n");
const QString kLines = QStringLiteral("%1行");
const QString kFigure = QStringLiteral("%1 %2");
const QString kFailed = QStringLiteral("异常 %1");
const QString kUnfinished = QStringLiteral("未完成");
const QString kNoSuchLine = QStringLiteral("run %1 has no line %2");
const QString kNoSerp = QStringLiteral("line %1 of run %2 kept no list of results");
const QString kReadAt = QStringLiteral("%1 %2 %3 %4\n");

void printError(const CliStreams &streams, const QString &message)
{
    streams.err->write((kMessagePrefix + message + QLatin1Char('\n')).toUtf8());
}

// id, start, tool, device, lines, the tool's figures, 异常, and 未完成 for a run
// that never ended (stopped hard, or still going on).
QStringList listFields(const StoredRun &run)
{
    const RunSummary summary = summarizeRun(run);
    QStringList fields{QString::number(run.id), summary.started, summary.tool, summary.device,
                       kLines.arg(summary.lines)};
    for (const ReportTotal &figure : summary.figures)
        fields << kFigure.arg(figure.label, figure.value);
    fields << kFailed.arg(summary.failed);
    if (summary.unfinished)
        fields << kUnfinished;
    return fields;
}

QStringList changeHeadings(const QString &tool)
{
    if (tool == HistoryTool::kInclusion)
        return {QStringLiteral("网址"), QStringLiteral("上次收录"), QStringLiteral("本次收录"),
                QStringLiteral("变化")};
    if (tool == HistoryTool::kSiteRanking)
        return {QStringLiteral("站点"), QStringLiteral("关键词"), QStringLiteral("上次排名"),
                QStringLiteral("本次排名"), QStringLiteral("变化")};
    return {QStringLiteral("关键词"), QStringLiteral("网址"), QStringLiteral("上次排名"),
            QStringLiteral("本次排名"), QStringLiteral("变化")};
}

QString comparedValue(const QString &tool, const StoredLine &line)
{
    return tool == HistoryTool::kInclusion ? line.status : line.position;
}

int listRuns(const CliOptions &options, const CliStreams &streams, HistoryStore *store)
{
    const QList<StoredRun> runs = store->runs();
    if (!store->errorMessage().isEmpty()) {
        printError(streams, store->errorMessage());
        return kExitFailed;
    }
    ResultOutput output(streams.out, options.format);
    for (const StoredRun &run : runs) {
        if (output.isJson())
            output.writeJson(runJson(run));
        else
            streams.out->write(ResultOutput::formatRow(listFields(run), OutputFormat::Tsv));
    }
    return kExitOk;
}

RowJsonContext jsonContextOf(const CliOptions &options, const StoredRun &run, const ToolDescriptor &tool)
{
    // A site ranking run kept before runs named their sites: the caller reads it from a line's key.
    return {tool.tool, run.device, run.sites, options.withSerp};
}

// The first-30 list a line was judged on: a line saying what was asked, on
// which device and when, then one row per entry (position, title, shown
// address, address, and * for the asked address's or site's entries).
int showSerp(const CliOptions &options, const CliStreams &streams, HistoryStore *store, const StoredRun &run,
             const ToolDescriptor &tool)
{
    const QList<StoredLine> lines = store->lines(run.id);
    const int index = options.serpLine - 1;
    const auto line = std::find_if(lines.cbegin(), lines.cend(),
                                   [index](const StoredLine &stored) { return stored.index == index; });
    if (line == lines.cend()) {
        printError(streams, kNoSuchLine.arg(run.id).arg(options.serpLine));
        return kExitUsage;
    }
    const std::optional<StoredSerp> serp = store->serp(run.id, index);
    if (!serp) {
        printError(streams, kNoSerp.arg(options.serpLine).arg(run.id));
        return kExitFailed;
    }
    RowJsonContext context = jsonContextOf(options, run, tool);
    if (context.sites.isEmpty() && tool.tool == Tool::SiteRanking)
        context.sites = QStringList{siteRankingSite(line->key)};
    ResultOutput output(streams.out, options.format);
    if (output.isJson()) {
        QJsonObject object = serpJson(context, serp->entries, serp->readAt);
        object.insert(QStringLiteral("line"), options.serpLine);
        object.insert(QStringLiteral("run"), run.id);
        object.insert(QStringLiteral("tool"), run.tool);
        object.insert(QStringLiteral("device"), run.device);
        object.insert(QStringLiteral("query"), queryLineOfStored(tool.tool, *line));
        output.writeJson(object);
        return kExitOk;
    }
    const RunSummary summary = summarizeRun(run);
    streams.err->write(kReadAt
                           .arg(queryLineOfStored(tool.tool, *line), summary.device,
                                serp->readAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                context.sites.join(QLatin1Char(' ')))
                           .trimmed()
                           .append(QLatin1Char('\n'))
                           .toUtf8());
    output.writeHeader({QStringLiteral("排名"), QStringLiteral("标题"), QStringLiteral("显示网址"),
                        QStringLiteral("网址"), QStringLiteral("命中")});
    for (const SerpEntry &entry : serp->entries) {
        QStringList hits;
        for (int site = 0; site < qMax(1, context.sites.size()); ++site) {
            if (entry.isMatch(site))
                hits.append(context.sites.isEmpty() ? QStringLiteral("*") : context.sites.at(site));
        }
        output.writeRow({QString::number(entry.position), entry.title, entry.shown, entry.address,
                         hits.join(QLatin1Char(' '))});
    }
    return kExitOk;
}

int showRun(const CliOptions &options, const CliStreams &streams, HistoryStore *store, const StoredRun &run)
{
    const std::optional<ToolDescriptor> tool = descriptorOfRun(run);
    if (tool && options.serpLine > 0)
        return showSerp(options, streams, store, run, *tool);
    ResultOutput output(streams.out, options.format);
    if (tool)
        output.writeHeader(tool->writtenHeadings());
    const QList<StoredLine> lines = store->lines(run.id);
    if (!output.isJson() || !tool) {
        for (const StoredLine &line : lines)
            output.writeRow(tool ? tool->writtenCells(line.cells, line.failure) : line.cells);
        return kExitOk;
    }
    RowJsonContext context = jsonContextOf(options, run, *tool);
    if (context.sites.isEmpty() && tool->tool == Tool::SiteRanking && !lines.isEmpty())
        context.sites = QStringList{siteRankingSite(lines.first().key)};
    const QHash<int, StoredSerp> serps = options.withSerp ? store->serps(run.id) : QHash<int, StoredSerp>();
    for (const StoredLine &line : lines) {
        const StoredSerp serp = serps.value(line.index);
        output.writeJson(
            rowJson(context, line.index + 1, line.cells, line.failure, serp.entries, serp.readAt));
    }
    return kExitOk;
}

int showChanges(const CliOptions &options, const CliStreams &streams, HistoryStore *store,
                const StoredRun &run)
{
    const QHash<QString, StoredLine> before = store->previousLines(run.id);
    // Each site of a run of several is compared with its own past, after the keyword's first site.
    QList<StoredLine> lines = store->lines(run.id);
    const int lineCount = lines.size();
    QHash<int, StoredLine> further;
    for (const StoredLine &other : store->siteLines(run.id))
        further.insert(other.index, other);
    QList<StoredLine> ordered;
    for (const StoredLine &line : qAsConst(lines)) {
        ordered.append(line);
        for (int site = 1; site < run.sites.size(); ++site) {
            const auto other = further.constFind(HistoryStore::siteLineIndex(line.index, site));
            if (other != further.cend())
                ordered.append(*other);
        }
    }
    ResultOutput output(streams.out, options.format);
    output.writeHeader(changeHeadings(run.tool));
    int changed = 0;
    for (const StoredLine &now : qAsConst(ordered)) {
        const QString change = changeSince(run.tool, before, now);
        if (change.isEmpty())
            continue;
        if (output.isJson())
            output.writeJson(changeJson(run, before.value(now.key), now, change));
        else
            output.writeRow(keyFields(now.key) << comparedValue(run.tool, before.value(now.key))
                                               << comparedValue(run.tool, now) << change);
        ++changed;
    }
    streams.err->write(kChangedLines.arg(changed).arg(lineCount).toUtf8());
    return kExitOk;
}

int exportRun(const CliOptions &options, const CliStreams &streams, HistoryStore *store, const StoredRun &run)
{
    const ReportTable table = storedRunReport(run, store->lines(run.id));
    if (table.headings.isEmpty()) {
        printError(streams, kNoReport.arg(run.id).arg(summarizeRun(run).tool));
        return kExitFailed;
    }
    const ReportWriteResult written = writeReport(options.exportPath, table);
    if (!written.ok) {
        printError(streams, kReportFailed.arg(options.exportPath, written.errorMessage));
        return kExitFailed;
    }
    return kExitOk;
}
} // namespace

int runHistoryCommand(const CliOptions &options, const CliStreams &streams, HistoryStore *store)
{
    if (!store->isOpen()) {
        printError(streams, store->errorMessage());
        return kExitFailed;
    }
    if (options.historyAction == HistoryAction::List)
        return listRuns(options, streams, store);

    const std::optional<StoredRun> run = store->run(options.runId);
    if (!run) {
        if (!store->errorMessage().isEmpty()) {
            printError(streams, store->errorMessage());
            return kExitFailed;
        }
        printError(streams, kNoSuchRun.arg(options.runId));
        return kExitUsage;
    }
    switch (options.historyAction) {
    case HistoryAction::Show:
        return showRun(options, streams, store, *run);
    case HistoryAction::Changes:
        return showChanges(options, streams, store, *run);
    case HistoryAction::Export:
        return exportRun(options, streams, store, *run);
    case HistoryAction::List:
        break;
    }
    return kExitOk;
}
