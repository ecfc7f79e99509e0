#include "workers/resultrow.h"

#include "search/resultstrings.h"

int inclusionRate(int included, int notIncluded)
{
    const int verdicts = included + notIncluded;
    // Half a percent and more counts as a whole one: 6 of 7 is 86 %, 2 of 3 is 67 %.
    return verdicts > 0 ? (included * 200 + verdicts) / (2 * verdicts) : 0;
}

void ResultTally::count(const ResultRow &row, int sign)
{
    if (row.verdict == RowVerdict::Unchecked)
        return;
    checked += sign;
    included += row.included ? sign : 0;
    notIncluded += row.verdict == RowVerdict::NotIncluded ? sign : 0;
    failed += row.verdict == RowVerdict::Failed ? sign : 0;
    if (row.position >= 1 && row.position <= 10)
        top10 += sign;
    if (row.position >= 1 && row.position <= 30)
        top30 += sign;
    if (row.position == ResultRow::kBeyond)
        beyond30 += sign;
}

ResultRow rowOf(const InclusionResult &result)
{
    RowVerdict verdict = RowVerdict::Undecided;
    if (result.isIncluded())
        verdict = RowVerdict::Included;
    else if (result.isFailed())
        verdict = RowVerdict::Failed;
    else if (result.status == ResultText::kNotIncluded)
        verdict = RowVerdict::NotIncluded;
    return ResultRow{result.cells(), verdict, 0, result.isIncluded(), QString(), result.failure};
}

ResultRow rowOf(const RankingResult &result)
{
    RowVerdict verdict = RowVerdict::Undecided;
    if (result.isFailed())
        verdict = RowVerdict::Failed;
    else if (result.isIncluded())
        verdict = RowVerdict::Included;
    else if (result.status == ResultText::kNotIncluded)
        verdict = RowVerdict::NotIncluded;
    int position = 0;
    if (result.position == ResultText::kPositionBeyond) {
        position = ResultRow::kBeyond;
    } else {
        bool number = false;
        const int value = result.position.toInt(&number);
        if (number && value > 0)
            position = value;
    }
    return ResultRow{result.cells(), verdict,        position,    result.isIncluded(),
                     QString(),      result.failure, result.serp, QDateTime::currentDateTimeUtc()};
}

ResultRow rowOf(const SiteRankingResult &result)
{
    ResultRow row{result.cells(), RowVerdict::Undecided, 0,           false,
                  QString(),      result.failure,        result.serp, QDateTime::currentDateTimeUtc()};
    bool failed = result.isFailed();
    for (const SiteRankingResult &other : result.otherSites)
        failed = failed || other.isFailed();
    if (failed)
        row.verdict = RowVerdict::Failed;
    else if (result.position == ResultText::kPositionBeyond)
        row.position = ResultRow::kBeyond;
    else
        row.position = result.bestPosition();
    return row;
}

ResultRow rowOf(const MinedKeyword &keyword)
{
    return ResultRow{keyword.cells(), RowVerdict::Undecided, 0, false};
}
