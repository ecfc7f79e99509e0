#include "ui/querypagetraits.h"

#include "history/linechange.h"
#include "search/resultstrings.h"
#include "ui/inclusionbatch.h"
#include "ui/miningbatch.h"
#include "ui/rankingbatch.h"
#include "ui/siterankingbatch.h"

#include <QCoreApplication>

namespace {

const char kContext[] = "UIDemo08";
const char kIncluded[] = QT_TRANSLATE_NOOP("UIDemo08", "共收录：%1条 ");
const char kNotIncluded[] = QT_TRANSLATE_NOOP("UIDemo08", "未收录：%1条 ");
const char kFailed[] = QT_TRANSLATE_NOOP("UIDemo08", "异常：%1条 ");
const char kRate[] = QT_TRANSLATE_NOOP("UIDemo08", "收录率：%1%");
const char kAll[] = QT_TRANSLATE_NOOP("UIDemo08", "全部");
const char kFilterIncluded[] = QT_TRANSLATE_NOOP("UIDemo08", "已收录");
const char kFilterNotIncluded[] = QT_TRANSLATE_NOOP("UIDemo08", "未收录");
const char kFilterFailed[] = QT_TRANSLATE_NOOP("UIDemo08", "异常");
const char kTop10[] = QT_TRANSLATE_NOOP("UIDemo08", "前10");
const char kTop30[] = QT_TRANSLATE_NOOP("UIDemo08", "前30");
const char kBeyond30[] = QT_TRANSLATE_NOOP("UIDemo08", "30+");
const char kTotalInput[] = QT_TRANSLATE_NOOP("UIDemo08", "总输入：%1条 ");
const char kTotalKeywords[] = QT_TRANSLATE_NOOP("UIDemo08", "总关键词：%1个 ");
const char kTop10Total[] = QT_TRANSLATE_NOOP("UIDemo08", "前10：%1个 ");
const char kTop30Total[] = QT_TRANSLATE_NOOP("UIDemo08", "前30：%1个 ");
const char kBeyond30Total[] = QT_TRANSLATE_NOOP("UIDemo08", "30名外：%1个 ");
const char kFailedKeywords[] = QT_TRANSLATE_NOOP("UIDemo08", "异常：%1个 ");
const char kBeyond30Filter[] = QT_TRANSLATE_NOOP("UIDemo08", "30名外");
const char kSeeds[] = QT_TRANSLATE_NOOP("UIDemo08", "种子词：%1个 ");
const char kFound[] = QT_TRANSLATE_NOOP("UIDemo08", "共挖掘：%1个 ");
const char kFailedRequests[] = QT_TRANSLATE_NOOP("UIDemo08", "失败：%1次 ");
const char kCopyKeywords[] = QT_TRANSLATE_NOOP("UIDemo08", "复制关键词");
const char kNoSite[] = QT_TRANSLATE_NOOP("UIDemo08", "请先填写要查询的网站，例如 qa-site.cn");
const char kChanged[] = QT_TRANSLATE_NOOP("UIDemo08", "只看变化");

// 异常 shows in red, beside the other totals in their own colours.
const QString kFailedStyle = QStringLiteral("color:#e00000");

QString translated(const char *text)
{
    return QCoreApplication::translate(kContext, text);
}

bool hasVerdict(const ResultRow &row, RowVerdict verdict)
{
    return row.verdict == verdict;
}

QList<ResultFilter> verdictFilters()
{
    using std::placeholders::_1;
    return {{QStringLiteral("filterAll"), translated(kAll), {}},
            {QStringLiteral("filterIncluded"), translated(kFilterIncluded),
             [](const ResultRow &row) { return row.included; }},
            {QStringLiteral("filterNotIncluded"), translated(kFilterNotIncluded),
             std::bind(hasVerdict, _1, RowVerdict::NotIncluded)},
            {QStringLiteral("filterFailed"), translated(kFilterFailed),
             std::bind(hasVerdict, _1, RowVerdict::Failed)}};
}

ResultFilter changedFilter()
{
    return {QStringLiteral("filterChanged"), translated(kChanged),
            [](const ResultRow &row) { return !row.change.isEmpty(); }};
}

// The key a line is known by across runs: the address; for ranking, the keyword and the address.
StoredLine storedInclusionLine(int line, const ResultRow &row)
{
    return {line, row.cells.value(1), row.cells.value(2), QString(), QString(), row.cells};
}

StoredLine storedRankingLine(int line, const ResultRow &row)
{
    return {line,
            row.cells.value(0) + QLatin1Char('\t') + row.cells.value(1),
            row.cells.value(2),
            row.cells.value(3),
            QString(),
            row.cells};
}

ResultRow inclusionRowOfStored(const StoredLine &line)
{
    const QStringList &c = line.cells;
    return InclusionBatch::rowOf({c.value(0), c.value(1), c.value(2), c.value(3), line.failure});
}

ResultRow rankingRowOfStored(const StoredLine &line)
{
    const QStringList &c = line.cells;
    return RankingBatch::rowOf({c.value(0), c.value(1), c.value(2), c.value(3), c.value(4), line.failure});
}

// A mined keyword is known by itself.
StoredLine storedMinedLine(int line, const ResultRow &row)
{
    return {line, row.cells.value(0), QString(), QString(), QString(), row.cells};
}

ResultRow siteRankingRowOfStored(const StoredLine &line)
{
    ResultRow row{line.cells, RowVerdict::Undecided, 0, false};
    if (line.position == ResultText::kFailed)
        row.verdict = RowVerdict::Failed;
    else if (line.position == ResultText::kPositionBeyond)
        row.position = ResultRow::kBeyond;
    else
        row.position = line.position.toInt();
    return row;
}

// Rate over the lines that got a yes or no: a failed fetch says nothing about inclusion.
QList<ResultTotalLabel> verdictTotals()
{
    return {{QStringLiteral("tShoulu"), QString(),
             [](const ResultTally &t) { return translated(kIncluded).arg(t.included); }},
            {QStringLiteral("twuShoulu"), QString(),
             [](const ResultTally &t) { return translated(kNotIncluded).arg(t.notIncluded); }},
            {QStringLiteral("tYichang"), kFailedStyle,
             [](const ResultTally &t) { return translated(kFailed).arg(t.failed); }},
            {QStringLiteral("tShoululv"), QString(), [](const ResultTally &t) {
                 return translated(kRate).arg(t.verdicts() > 0 ? t.included * 100 / t.verdicts() : 0);
             }}};
}

QList<ReportTotal> verdictReportTotals(int lines, const ResultTally &tally)
{
    return reportTotals(lines, tally.included, tally.notIncluded, tally.failed);
}

QList<ResultColumn> columnsOf(ReportKind kind)
{
    QList<ResultColumn> columns;
    const QStringList headings = reportHeadings(kind);
    const QList<int> widths = initialColumnWidths(kind);
    for (int column = 0; column < headings.size(); ++column)
        columns.append({headings.at(column), widths.value(column), SortKind::Text});
    return columns;
}

QList<ResultFilter> positionFilters()
{
    using std::placeholders::_1;
    return {{QStringLiteral("filterAll"), translated(kAll), {}},
            {QStringLiteral("filterTop10"), translated(kTop10),
             [](const ResultRow &row) { return row.position >= 1 && row.position <= 10; }},
            {QStringLiteral("filterTop30"), translated(kTop30),
             [](const ResultRow &row) { return row.position >= 1 && row.position <= 30; }},
            {QStringLiteral("filterBeyond30"), translated(kBeyond30Filter),
             [](const ResultRow &row) { return row.position == ResultRow::kBeyond; }},
            {QStringLiteral("filterFailed"), translated(kFilterFailed),
             std::bind(hasVerdict, _1, RowVerdict::Failed)}};
}

} // namespace

QueryPageTraits inclusionPageTraits()
{
    QueryPageTraits traits;
    traits.name = QStringLiteral("收录查询");
    traits.reportKind = ReportKind::Inclusion;
    traits.lineKind = QueryKind::Inclusion;
    const QStringList headings = reportHeadings(ReportKind::Inclusion);
    const QList<int> widths = initialColumnWidths(ReportKind::Inclusion);
    for (int column = 0; column < headings.size(); ++column)
        traits.columns.append({headings.at(column), widths.value(column), SortKind::Text});
    traits.columns[3].sort = SortKind::Date;
    traits.addressColumn = 1;
    traits.filters = verdictFilters();
    traits.totalInputText = translated(kTotalInput);
    traits.totals = verdictTotals();
    traits.reportTotals = verdictReportTotals;
    traits.filters.append(changedFilter());
    traits.makeRunner = [](QObject *parent) -> BatchRunner * { return new InclusionBatch(parent); };
    traits.historyTool = HistoryTool::kInclusion;
    traits.storedLine = storedInclusionLine;
    traits.rowOfStored = inclusionRowOfStored;
    return traits;
}

QueryPageTraits rankingPageTraits()
{
    QueryPageTraits traits;
    traits.name = QStringLiteral("排名查询");
    traits.reportKind = ReportKind::Ranking;
    traits.lineKind = QueryKind::Ranking;
    const QStringList headings = reportHeadings(ReportKind::Ranking);
    const QList<int> widths = initialColumnWidths(ReportKind::Ranking);
    for (int column = 0; column < headings.size(); ++column)
        traits.columns.append({headings.at(column), widths.value(column), SortKind::Text});
    traits.columns[3].sort = SortKind::Position;
    traits.columns[4].sort = SortKind::Date;
    traits.addressColumn = 1;
    traits.filters = verdictFilters();
    traits.filters.append({QStringLiteral("filterTop10"), translated(kTop10),
                           [](const ResultRow &row) { return row.position >= 1 && row.position <= 10; }});
    traits.filters.append({QStringLiteral("filterTop30"), translated(kTop30),
                           [](const ResultRow &row) { return row.position >= 1 && row.position <= 30; }});
    traits.filters.append({QStringLiteral("filterBeyond30"), translated(kBeyond30),
                           [](const ResultRow &row) { return row.position == ResultRow::kBeyond; }});
    traits.totalInputText = translated(kTotalInput);
    traits.totals = verdictTotals();
    traits.reportTotals = verdictReportTotals;
    traits.filters.append(changedFilter());
    traits.makeRunner = [](QObject *parent) -> BatchRunner * { return new RankingBatch(parent); };
    traits.historyTool = HistoryTool::kRanking;
    traits.storedLine = storedRankingLine;
    traits.rowOfStored = rankingRowOfStored;
    return traits;
}

QueryPageTraits siteRankingPageTraits(const std::function<SiteRule()> &site)
{
    QueryPageTraits traits;
    traits.name = QStringLiteral("泛排名查询");
    traits.reportKind = ReportKind::SiteRanking;
    traits.lineKind = QueryKind::Keyword;
    traits.columns = columnsOf(ReportKind::SiteRanking);
    traits.columns[1].sort = SortKind::Position;
    traits.columns[4].sort = SortKind::Number;
    traits.addressColumn = 2;
    traits.filters = positionFilters();
    traits.totalInputText = translated(kTotalKeywords);
    traits.totals = {{QStringLiteral("tTop10"), QString(),
                      [](const ResultTally &t) { return translated(kTop10Total).arg(t.top10); }},
                     {QStringLiteral("tTop30"), QString(),
                      [](const ResultTally &t) { return translated(kTop30Total).arg(t.top30); }},
                     {QStringLiteral("tBeyond30"), QString(),
                      [](const ResultTally &t) { return translated(kBeyond30Total).arg(t.beyond30); }},
                     {QStringLiteral("tYichang"), kFailedStyle,
                      [](const ResultTally &t) { return translated(kFailedKeywords).arg(t.failed); }}};
    traits.reportTotals = [](int lines, const ResultTally &t) {
        return siteRankingTotals(lines, t.top10, t.top30, t.beyond30, t.failed);
    };
    traits.filters.append(changedFilter());
    traits.historyTool = HistoryTool::kSiteRanking;
    // A keyword is known together with the site it was checked for.
    traits.storedLine = [site](int line, const ResultRow &row) {
        return StoredLine{line,      siteRankingKey(site().host(), row.cells.value(0)),
                          QString(), row.cells.value(1),
                          QString(), row.cells};
    };
    traits.rowOfStored = siteRankingRowOfStored;
    traits.lineOfStored = [](const StoredLine &line) { return siteRankingKeyword(line.key); };
    traits.inputProblem = [site] { return site().isValid() ? QString() : translated(kNoSite); };
    traits.makeRunner = [site](QObject *parent) -> BatchRunner * {
        return new SiteRankingBatch(site(), parent);
    };
    return traits;
}

QueryPageTraits miningPageTraits(const std::function<MiningOptions()> &options)
{
    QueryPageTraits traits;
    traits.name = QStringLiteral("关键词挖掘");
    traits.reportKind = ReportKind::Mining;
    traits.lineKind = QueryKind::Keyword;
    traits.columns = columnsOf(ReportKind::Mining);
    traits.columns[3].sort = SortKind::Number;
    traits.addressColumn = 0;
    traits.copyColumnLabel = translated(kCopyKeywords);
    traits.filters = {{QStringLiteral("filterAll"), translated(kAll), {}}};
    for (const MiningSource source :
         {MiningSource::Suggestion, MiningSource::Related, MiningSource::AlsoSearched}) {
        const QString text = MinedKeyword::sourceText(source);
        traits.filters.append({QStringLiteral("filterSource%1").arg(int(source)), text,
                               [text](const ResultRow &row) { return row.cells.value(1) == text; }});
    }
    traits.totalInputText = translated(kSeeds);
    traits.totals = {{QStringLiteral("tFound"), QString(),
                      [](const ResultTally &t) { return translated(kFound).arg(t.checked); }},
                     {QStringLiteral("tYichang"), kFailedStyle, [](const ResultTally &t) {
                          return translated(kFailedRequests).arg(t.failedRequests);
                      }}};
    traits.reportTotals = [](int lines, const ResultTally &t) {
        return miningTotals(lines, t.checked, t.failedRequests);
    };
    traits.rowsFound = true;
    // Kept for the history's list and export; the rows are found keywords, not the seeds, so a
    // stored run is not opened in the page again.
    traits.historyTool = HistoryTool::kMining;
    traits.showsChanges = false;
    traits.storedLine = storedMinedLine;
    traits.makeRunner = [options](QObject *parent) -> BatchRunner * {
        return new MiningBatch(options(), parent);
    };
    return traits;
}
