#include "notify/rundigest.h"

#include "history/linechange.h"
#include "history/runsummary.h"
#include "notify/notifysettings.h"
#include "search/resultstrings.h"

#include <algorithm>

namespace {

const QString kBrand = QStringLiteral("Quillane工具");
const QString kDot = QStringLiteral(" · ");
const QString kChanges = QStringLiteral("%1 项变化");
const QString kList = QStringLiteral("列表：%1");
const QString kRun = QStringLiteral("运行 #%1");
const QString kSampleRun = QStringLiteral("示例运行");
const QString kSite = QStringLiteral("站点：%1");
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm");
const QString kChangeLine = QStringLiteral("%1  %2：%3 → %4");
const QString kOmitted = QStringLiteral("… 另有 %1 项变化未列出");
const QString kLines = QStringLiteral("共 %1 行");
const QString kLinesOf = QStringLiteral("共 %1/%2 行");
const QString kIncluded = QStringLiteral("已收录 %1");
const QString kNotIncluded = QStringLiteral("未收录 %1");
const QString kRate = QStringLiteral("收录率 %1%");
const QString kTop10 = QStringLiteral("前10 %1");
const QString kTop30 = QStringLiteral("前30 %1");
const QString kFailedTotal = QStringLiteral("异常 %1");
const QString kFailedLines = QStringLiteral("%1 行异常");
const QString kNoSuchRun = QStringLiteral("历史记录中没有运行 %1");
// What describeChange says of a place entered; 跌出前30 it says as a digest does.
const QString kEnteredTop30 = QStringLiteral("新进前30");
const QChar kDown(0x2193);
const QString kSampleList = QStringLiteral("测试通知");
const QString kSampleSite = QStringLiteral("https://www.example.cn/");

bool isFailed(const StoredLine &line)
{
    return line.status == ResultText::kFailed || line.position == ResultText::kFailed;
}

// Lower is more serious: losses before gains, so a digest cut short keeps them.
int seriousness(const QString &kind)
{
    if (kind == ChangeKind::kNoLongerIncluded)
        return 0;
    if (kind == ChangeKind::kLeftTop30)
        return 1;
    if (kind.startsWith(kDown))
        return 2;
    if (kind == ChangeKind::kNewlyIncluded)
        return 3;
    if (kind == ChangeKind::kEnteredTop10)
        return 4;
    return 5;
}

// The position's alerting kinds: 跌出前30, 新进前10 and a move of at least threshold places.
QStringList positionKinds(const QString &tool, const StoredLine &before, const StoredLine &now, int threshold)
{
    const QString change = describeChange(tool, before, now);
    if (change.isEmpty())
        return {};
    if (change == ChangeKind::kLeftTop30)
        return {change};
    const int place = now.position.toInt();
    if (change == kEnteredTop30)
        return place <= 10 ? QStringList{ChangeKind::kEnteredTop10} : QStringList();
    QStringList kinds;
    if (place <= 10 && before.position.toInt() > 10)
        kinds.append(ChangeKind::kEnteredTop10);
    if (change.mid(1).toInt() >= threshold)
        kinds.append(change);
    return kinds;
}

QString lineText(const QString &tool, const QString &key)
{
    if (tool == HistoryTool::kSiteRanking)
        return siteRankingKeyword(key);
    // A ranking line is known by its keyword and address, joined by a tab.
    return QString(key).replace(QLatin1Char('\t'), QLatin1Char(' '));
}

std::optional<DigestChange> changeOf(const QString &tool, const StoredLine &before, const StoredLine &now,
                                     int threshold)
{
    DigestChange change;
    change.index = now.index;
    change.line = lineText(tool, now.key);
    // The 收录 column: the inclusion check's verdict, and a ranking line's too.
    const QString inclusion =
        tool == HistoryTool::kSiteRanking ? QString() : describeChange(HistoryTool::kInclusion, before, now);
    if (!inclusion.isEmpty())
        change.kinds.append(inclusion);
    if (tool != HistoryTool::kInclusion)
        change.kinds += positionKinds(tool, before, now, threshold);
    if (change.kinds.isEmpty())
        return std::nullopt;
    std::stable_sort(change.kinds.begin(), change.kinds.end(),
                     [](const QString &a, const QString &b) { return seriousness(a) < seriousness(b); });
    if (tool == HistoryTool::kInclusion) {
        change.before = before.status;
        change.after = now.status;
    } else if (!inclusion.isEmpty()) {
        change.before = before.status + QLatin1Char(' ') + before.position;
        change.after = now.status + QLatin1Char(' ') + now.position;
    } else {
        change.before = before.position;
        change.after = now.position;
    }
    return change;
}

StoredLine sampleLine(int index, const QString &keyword, const QString &status, const QString &position)
{
    return {index,     keyword + QLatin1Char('\t') + kSampleSite + QString::number(index),
            status,    position,
            QString(), QStringList()};
}

} // namespace

QString RunDigest::title() const
{
    QStringList parts{kBrand};
    if (!listName.isEmpty())
        parts.append(listName);
    const RunSummary summary = summarizeRun(run);
    QString what = summary.tool;
    if (!summary.device.isEmpty())
        what += QLatin1Char(' ') + summary.device;
    parts << what << kChanges.arg(changes.size());
    return parts.join(kDot);
}

QStringList RunDigest::headLines() const
{
    QStringList lines;
    if (!listName.isEmpty())
        lines.append(kList.arg(listName));
    const RunSummary summary = summarizeRun(run);
    QStringList what{run.id > 0 ? kRun.arg(run.id) : kSampleRun, summary.tool};
    if (!summary.device.isEmpty())
        what.append(summary.device);
    what.append(run.startedAt.toLocalTime().toString(kTimeFormat));
    lines.append(what.join(kDot));
    if (!site.isEmpty())
        lines.append(kSite.arg(site));
    return lines;
}

QString RunDigest::changeLine(const DigestChange &change)
{
    return kChangeLine.arg(change.kinds.join(QStringLiteral("、")), change.line, change.before, change.after);
}

QString RunDigest::omittedLine(int omitted)
{
    return kOmitted.arg(omitted);
}

QStringList RunDigest::totalLines() const
{
    QStringList totals{run.stored == run.lineCount ? kLines.arg(run.stored)
                                                   : kLinesOf.arg(run.stored).arg(run.lineCount)};
    if (run.tool == HistoryTool::kInclusion) {
        const int verdicts = run.included + run.notIncluded;
        totals << kIncluded.arg(run.included) << kNotIncluded.arg(run.notIncluded)
               << kRate.arg(verdicts > 0 ? run.included * 100 / verdicts : 0);
    } else {
        totals << kTop10.arg(run.top10) << kTop30.arg(run.top30);
    }
    totals << kFailedTotal.arg(run.failed);
    QStringList lines{totals.join(kDot)};
    if (run.failed > 0)
        lines.append(kFailedLines.arg(run.failed));
    return lines;
}

std::optional<RunDigest> buildDigest(const StoredRun &run, const QList<StoredLine> &lines,
                                     const QHash<QString, StoredLine> &previous, int moveThreshold,
                                     const QString &listName)
{
    // Mined keywords have no verdict that could change.
    if (run.tool == HistoryTool::kMining)
        return std::nullopt;
    RunDigest digest;
    digest.listName = listName;
    digest.run = run;
    for (const StoredLine &line : lines) {
        if (run.tool == HistoryTool::kSiteRanking && digest.site.isEmpty())
            digest.site = siteRankingSite(line.key);
        const auto before = previous.constFind(line.key);
        // A line without a verdict, now or before, tells nothing of a change.
        if (before == previous.constEnd() || isFailed(line) || isFailed(*before))
            continue;
        if (const std::optional<DigestChange> change = changeOf(run.tool, *before, line, moveThreshold))
            digest.changes.append(*change);
    }
    if (digest.changes.isEmpty())
        return std::nullopt;
    std::stable_sort(digest.changes.begin(), digest.changes.end(),
                     [](const DigestChange &a, const DigestChange &b) {
                         return seriousness(a.kinds.first()) < seriousness(b.kinds.first());
                     });
    return digest;
}

std::optional<RunDigest> digestOfStoredRun(HistoryStore &store, qint64 runId, int moveThreshold,
                                           const QString &listName, QString *error)
{
    const std::optional<StoredRun> run = store.run(runId);
    if (!run) {
        if (error)
            *error = store.errorMessage().isEmpty() ? kNoSuchRun.arg(runId) : store.errorMessage();
        return std::nullopt;
    }
    return buildDigest(*run, store.lines(runId), store.previousLines(runId), moveThreshold, listName);
}

RunDigest sampleDigest()
{
    StoredRun run;
    run.tool = HistoryTool::kRanking;
    run.device = HistoryDevice::kDesktop;
    run.startedAt = QDateTime::currentDateTimeUtc();
    run.lineCount = run.stored = 6;
    run.included = 4;
    run.notIncluded = 1;
    run.top10 = 2;
    run.top30 = 3;
    run.failed = 1;
    const QString included = ResultText::kIncluded;
    const QString notIncluded = ResultText::kNotIncluded;
    const QList<StoredLine> before = {
        sampleLine(1, QStringLiteral("seo工具"), included, QStringLiteral("3")),
        sampleLine(2, QStringLiteral("收录查询"), included, QStringLiteral("12")),
        sampleLine(3, QStringLiteral("排名查询"), included, QStringLiteral("15")),
        sampleLine(4, QStringLiteral("网站优化"), included, QStringLiteral("20")),
        sampleLine(5, QStringLiteral("site查询"), notIncluded, ResultText::kPositionNotSearched)};
    const QList<StoredLine> now = {
        sampleLine(1, QStringLiteral("seo工具"), notIncluded, ResultText::kPositionNotSearched),
        sampleLine(2, QStringLiteral("收录查询"), included, ResultText::kPositionBeyond),
        sampleLine(3, QStringLiteral("排名查询"), included, QStringLiteral("4")),
        sampleLine(4, QStringLiteral("网站优化"), included, QStringLiteral("13")),
        sampleLine(5, QStringLiteral("site查询"), included, QStringLiteral("8")),
        sampleLine(6, QStringLiteral("关键词挖掘"), ResultText::kFailed, QString())};
    QHash<QString, StoredLine> previous;
    for (const StoredLine &line : before)
        previous.insert(line.key, line);
    return *buildDigest(run, now, previous, NotifySettings().moveThreshold, kSampleList);
}
