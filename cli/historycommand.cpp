#include "cli/historycommand.h"

#include "cli/resultoutput.h"
#include "history/historystore.h"
#include "history/linechange.h"
#include "report/reportwriter.h"
#include "report/runreport.h"

#include <QIODevice>
#include <QLocale>

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
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm");

const QString kLines = QStringLiteral("%1行");
const QString kLinesOf = QStringLiteral("%1/%2行");
const QString kIncluded = QStringLiteral("已收录 %1");
const QString kRate = QStringLiteral("收录率 %1%");
const QString kTop10 = QStringLiteral("前10 %1");
const QString kTop30 = QStringLiteral("前30 %1");
const QString kSeeds = QStringLiteral("种子词 %1");
const QString kFound = QStringLiteral("共挖掘 %1");
const QString kFailed = QStringLiteral("异常 %1");
const QString kUnfinished = QStringLiteral("未完成");
const QLatin1Char kKeySeparator('\t');

void printError(const CliStreams &streams, const QString &message)
{
    streams.err->write((kMessagePrefix + message + QLatin1Char('\n')).toUtf8());
}

QString startText(const StoredRun &run)
{
    return run.startedAt.toLocalTime().toString(kTimeFormat);
}

// id, start, tool, device, lines, the tool's totals, 异常, and 未完成 for a run
// that never ended (stopped hard, or still going on).
QStringList listFields(const StoredRun &run)
{
    // A mining run's lines are the keywords it found, not its seeds.
    const bool mining = run.tool == HistoryTool::kMining;
    QStringList fields{QString::number(run.id), startText(run), HistoryTool::displayName(run.tool),
                       HistoryDevice::displayName(run.device),
                       run.stored == run.lineCount || mining ? kLines.arg(run.stored)
                                                             : kLinesOf.arg(run.stored).arg(run.lineCount)};
    if (mining) {
        fields << kSeeds.arg(run.lineCount) << kFound.arg(run.stored);
    } else if (run.tool == HistoryTool::kInclusion) {
        const int verdicts = run.included + run.notIncluded;
        fields << kIncluded.arg(run.included) << kRate.arg(verdicts > 0 ? run.included * 100 / verdicts : 0);
    } else {
        fields << kTop10.arg(run.top10) << kTop30.arg(run.top30);
    }
    fields << kFailed.arg(run.failed);
    if (!run.endedAt.isValid())
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
    if (const auto kind = HistoryTool::reportKind(run.tool))
        output.writeHeader(reportHeadings(*kind));
    for (const StoredLine &line : store->lines(run.id))
        output.writeRow(line.cells);
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
        const auto earlier = before.constFind(now.key);
        if (earlier == before.constEnd())
            continue;
        const QString change = describeChange(run.tool, *earlier, now);
        if (change.isEmpty())
            continue;
        output.writeRow(now.key.split(kKeySeparator)
                        << comparedValue(run.tool, *earlier) << comparedValue(run.tool, now) << change);
        ++changed;
    }
    streams.err->write(kChangedLines.arg(changed).arg(lines.size()).toUtf8());
    return kExitOk;
}

int exportRun(const CliOptions &options, const CliStreams &streams, HistoryStore *store, const StoredRun &run)
{
    const auto kind = HistoryTool::reportKind(run.tool);
    if (!kind) {
        printError(streams, kNoReport.arg(run.id).arg(HistoryTool::displayName(run.tool)));
        return kExitFailed;
    }
    ReportTable table;
    table.title = reportTitle(*kind);
    table.headings = reportHeadings(*kind);
    table.columnPixelWidths = initialColumnWidths(*kind);
    for (const StoredLine &line : store->lines(run.id))
        table.rows.append(line.cells);
    table.subtitle =
        QStringList{HistoryDevice::displayName(run.device), startText(run)}.join(QLatin1Char(' '));
    table.numberColumns = reportNumberColumns(*kind);
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
