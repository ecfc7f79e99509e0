#include "ui/query/querypagetraits.h"

#include "search/siterankingcheck.h"

#include "history/tooldescriptor.h"
#include "search/resultcolumns.h"

#include <QCoreApplication>

namespace {

const char kContext[] = "QueryPageTraits";
const char kIncluded[] = QT_TRANSLATE_NOOP("QueryPageTraits", "共收录：%1条 ");
const char kNotIncluded[] = QT_TRANSLATE_NOOP("QueryPageTraits", "未收录：%1条 ");
const char kFailed[] = QT_TRANSLATE_NOOP("QueryPageTraits", "异常：%1条 ");
const char kRate[] = QT_TRANSLATE_NOOP("QueryPageTraits", "收录率：%1%");
const char kAll[] = QT_TRANSLATE_NOOP("QueryPageTraits", "全部");
const char kFilterIncluded[] = QT_TRANSLATE_NOOP("QueryPageTraits", "已收录");
const char kFilterNotIncluded[] = QT_TRANSLATE_NOOP("QueryPageTraits", "未收录");
const char kFilterFailed[] = QT_TRANSLATE_NOOP("QueryPageTraits", "异常");
const char kTop10[] = QT_TRANSLATE_NOOP("QueryPageTraits", "前10");
const char kTop30[] = QT_TRANSLATE_NOOP("QueryPageTraits", "前30");
const char kBeyond30[] = QT_TRANSLATE_NOOP("QueryPageTraits", "30+");
const char kTotalInput[] = QT_TRANSLATE_NOOP("QueryPageTraits", "总输入：%1条 ");
const char kTotalKeywords[] = QT_TRANSLATE_NOOP("QueryPageTraits", "总关键词：%1个 ");
const char kTop10Total[] = QT_TRANSLATE_NOOP("QueryPageTraits", "前10：%1个 ");
const char kTop30Total[] = QT_TRANSLATE_NOOP("QueryPageTraits", "前30：%1个 ");
const char kBeyond30Total[] = QT_TRANSLATE_NOOP("QueryPageTraits", "30名外：%1个 ");
const char kFailedKeywords[] = QT_TRANSLATE_NOOP("QueryPageTraits", "异常：%1个 ");
const char kBeyond30Filter[] = QT_TRANSLATE_NOOP("QueryPageTraits", "30名外");
const char kSeeds[] = QT_TRANSLATE_NOOP("QueryPageTraits", "种子词：%1个 ");
const char kFound[] = QT_TRANSLATE_NOOP("QueryPageTraits", "共挖掘：%1个 ");
const char kFailedRequests[] = QT_TRANSLATE_NOOP("QueryPageTraits", "失败：%1次 ");
const char kCopyKeywords[] = QT_TRANSLATE_NOOP("QueryPageTraits", "复制关键词");
const char kNoSite[] = QT_TRANSLATE_NOOP("QueryPageTraits", "请先填写要查询的网站，例如 qa-site.cn");
const char kBadSite[] = QT_TRANSLATE_NOOP("QueryPageTraits", "“%1”不是网站，请填写域名，例如 qa-site.cn");
const char kTooManySites[] = QT_TRANSLATE_NOOP("QueryPageTraits", "一次最多查询 %1 个网站，每行一个");
const char kChanged[] = QT_TRANSLATE_NOOP("QueryPageTraits", "只看变化");

// 异常 shows in red, beside the other totals in their own colours.
const QString kFailedStyle = QStringLiteral("color:#b00000");

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

QList<ResultTotalLabel> verdictTotals()
{
    return {{QStringLiteral("tShoulu"), QString(),
             [](const ResultTally &t) { return translated(kIncluded).arg(t.included); }},
            {QStringLiteral("twuShoulu"), QString(),
             [](const ResultTally &t) { return translated(kNotIncluded).arg(t.notIncluded); }},
            {QStringLiteral("tYichang"), kFailedStyle,
             [](const ResultTally &t) { return translated(kFailed).arg(t.failed); }},
            {QStringLiteral("tShoululv"), QString(),
             [](const ResultTally &t) { return translated(kRate).arg(t.rate()); }}};
}

// A page of tool, its columns as the table first shows them, sorted as their cells read.
QueryPageTraits traitsOf(Tool tool, int addressColumn)
{
    QueryPageTraits traits;
    traits.tool = tool;
    for (const ToolColumn &column : toolDescriptor(tool).columns)
        traits.columns.append({column.heading, column.width, column.kind});
    traits.reasonHeading = toolDescriptor(tool).reasonHeading;
    traits.addressColumn = addressColumn;
    return traits;
}

// 收录查询 and 排名查询: the verdicts' filters (then the page's own) and totals.
QueryPageTraits verdictPageTraits(Tool tool, int addressColumn, const QList<ResultFilter> &pageFilters)
{
    QueryPageTraits traits = traitsOf(tool, addressColumn);
    traits.filters = verdictFilters() + pageFilters;
    traits.filters.append(changedFilter());
    traits.totalInputText = translated(kTotalInput);
    traits.totals = verdictTotals();
    return traits;
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
    return verdictPageTraits(Tool::Inclusion, InclusionColumn::Address, {});
}

QueryPageTraits rankingPageTraits()
{
    return verdictPageTraits(Tool::Ranking, RankingColumn::Address,
                             {{QStringLiteral("filterTop10"), translated(kTop10),
                               [](const ResultRow &row) { return row.position >= 1 && row.position <= 10; }},
                              {QStringLiteral("filterTop30"), translated(kTop30),
                               [](const ResultRow &row) { return row.position >= 1 && row.position <= 30; }},
                              {QStringLiteral("filterBeyond30"), translated(kBeyond30),
                               [](const ResultRow &row) { return row.position == ResultRow::kBeyond; }}});
}

QueryPageTraits siteRankingPageTraits(const std::function<QStringList()> &typedSites)
{
    QueryPageTraits traits = traitsOf(Tool::SiteRanking, SiteRankingColumn::Address);
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
    traits.filters.append(changedFilter());
    traits.inputProblem = [typedSites] {
        const QStringList typed = typedSites();
        if (typed.isEmpty())
            return translated(kNoSite);
        for (const QString &site : typed) {
            if (!SiteRule::parse(site).isValid())
                return translated(kBadSite).arg(site);
        }
        return typed.size() > kMaxRunSites ? translated(kTooManySites).arg(kMaxRunSites) : QString();
    };
    // A keyword is checked, and kept, for the sites typed when its run starts;
    // a site typed twice is asked once.
    traits.runOptions = [typedSites] {
        RunOptions options;
        QStringList hosts;
        for (const QString &typed : typedSites()) {
            const SiteRule site = SiteRule::parse(typed);
            if (site.isValid() && !hosts.contains(site.host()) && hosts.size() < kMaxRunSites) {
                hosts.append(site.host());
                options.sites.append(site);
            }
        }
        return options;
    };
    return traits;
}

QueryPageTraits miningPageTraits(const std::function<MiningOptions()> &options)
{
    QueryPageTraits traits = traitsOf(Tool::Mining, MiningColumn::Keyword);
    traits.copyColumnLabel = translated(kCopyKeywords);
    traits.filters = {{QStringLiteral("filterAll"), translated(kAll), {}}};
    for (const MiningSource source :
         {MiningSource::Suggestion, MiningSource::Related, MiningSource::AlsoSearched}) {
        const QString text = MinedKeyword::sourceText(source);
        traits.filters.append(
            {QStringLiteral("filterSource%1").arg(int(source)), text,
             [text](const ResultRow &row) { return row.cells.value(MiningColumn::Source) == text; }});
    }
    traits.totalInputText = translated(kSeeds);
    traits.totals = {{QStringLiteral("tFound"), QString(),
                      [](const ResultTally &t) { return translated(kFound).arg(t.checked); }},
                     {QStringLiteral("tYichang"), kFailedStyle, [](const ResultTally &t) {
                          return translated(kFailedRequests).arg(t.failedRequests);
                      }}};
    // Kept for the history's list and export; the rows are found keywords, not
    // the seeds, so there is nothing to compare them with.
    traits.showsChanges = false;
    traits.runOptions = [options] {
        RunOptions run;
        run.mining = options();
        return run;
    };
    return traits;
}
