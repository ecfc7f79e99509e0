#include "cli/historycommand.h"

#include "cli/resultoutput.h"
#include "history/historystore.h"
#include "history/linechange.h"
#include "history/runsummary.h"
#include "history/tooldescriptor.h"
#include "report/reportwriter.h"

#include <QIODevice>

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

int listRuns(const CliStreams &streams, HistoryStore *store)
{
    const QList<StoredRun> runs = store->runs();
    if (!store->errorMessage().isEmpty()) {
        printError(streams, store->errorMessage());
        return kExitFailed;
    }
    for (const StoredRun &run : runs)
        streams.out->write(ResultOutput::formatRow(listFields(run), OutputFormat::Tsv));
    return kExitOk;
}

int showRun(const CliOptions &options, const CliStreams &streams, HistoryStore *store, const StoredRun &run)
{
    ResultOutput output(streams.out, options.format);
    const ToolDescriptor *tool = toolOfHistoryKey(run.tool);
    if (tool)
        output.writeHeader(tool->writtenHeadings());
    for (const StoredLine &line : store->lines(run.id))
        output.writeRow(tool ? tool->writtenCells(line.cells, line.failure) : line.cells);
    return kExitOk;
}

int showChanges(const CliOptions &options, const CliStreams &streams, HistoryStore *store,
                const StoredRun &run)
{
    const QHash<QString, StoredLine> before = store->previousLines(run.id);
    const QList<StoredLine> lines = store->lines(run.id);
    ResultOutput output(streams.out, options.format);
    output.writeHeader(changeHeadings(run.tool));
    int changed = 0;
    for (const StoredLine &now : lines) {
        const QString change = changeSince(run.tool, before, now);
        if (change.isEmpty())
            continue;
        output.writeRow(keyFields(now.key) << comparedValue(run.tool, before.value(now.key))
                                           << comparedValue(run.tool, now) << change);
        ++changed;
    }
    streams.err->write(kChangedLines.arg(changed).arg(lines.size()).toUtf8());
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
        return listRuns(streams, store);

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
