#include "querypagespec.h"

#include "inclusionbatch.h"
#include "rankingbatch.h"

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

QList<ResultFilterSpec> verdictFilters()
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

// Rate over the lines that got a yes or no: a failed fetch says nothing about inclusion.
QList<ResultTotalSpec> verdictTotals()
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

} // namespace

QueryPageSpec inclusionPageSpec()
{
    QueryPageSpec spec;
    spec.name = QStringLiteral("收录查询");
    spec.reportKind = ReportKind::Inclusion;
    spec.lineKind = QueryKind::Inclusion;
    const QStringList headings = reportHeadings(ReportKind::Inclusion);
    const QList<int> widths = initialColumnWidths(ReportKind::Inclusion);
    for (int column = 0; column < headings.size(); ++column)
        spec.columns.append({headings.at(column), widths.value(column), SortKind::Text});
    spec.columns[3].sort = SortKind::Date;
    spec.addressColumn = 1;
    spec.filters = verdictFilters();
    spec.totals = verdictTotals();
    spec.makeRunner = [](QObject *parent) -> BatchRunner * { return new InclusionBatch(parent); };
    return spec;
}

QueryPageSpec rankingPageSpec()
{
    QueryPageSpec spec;
    spec.name = QStringLiteral("排名查询");
    spec.reportKind = ReportKind::Ranking;
    spec.lineKind = QueryKind::Ranking;
    const QStringList headings = reportHeadings(ReportKind::Ranking);
    const QList<int> widths = initialColumnWidths(ReportKind::Ranking);
    for (int column = 0; column < headings.size(); ++column)
        spec.columns.append({headings.at(column), widths.value(column), SortKind::Text});
    spec.columns[3].sort = SortKind::Position;
    spec.columns[4].sort = SortKind::Date;
    spec.addressColumn = 1;
    spec.filters = verdictFilters();
    spec.filters.append({QStringLiteral("filterTop10"), translated(kTop10),
                         [](const ResultRow &row) { return row.position >= 1 && row.position <= 10; }});
    spec.filters.append({QStringLiteral("filterTop30"), translated(kTop30),
                         [](const ResultRow &row) { return row.position >= 1 && row.position <= 30; }});
    spec.filters.append({QStringLiteral("filterBeyond30"), translated(kBeyond30),
                         [](const ResultRow &row) { return row.position == ResultRow::kBeyond; }});
    spec.totals = verdictTotals();
    spec.makeRunner = [](QObject *parent) -> BatchRunner * { return new RankingBatch(parent); };
    return spec;
}
