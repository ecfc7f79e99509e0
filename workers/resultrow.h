#pragma once

#include "search/checkresult.h"

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QStringList>

// What a row of a result says about its line.
enum class RowVerdict
{
    Unchecked,   // no result yet: the line was never checked (or its check was cut short)
    Included,    // 已收录
    NotIncluded, // 未收录
    Failed,      // 异常: the line got no verdict
    Undecided    // answered, but neither included nor not included
};

// One line's result as the window's tables and the command's output have it.
// position is the ranking position as a number: 1..30, kBeyond for "30+", 0
// when the row has none. included: the 收录 cell says 已收录, also on a
// ranking row whose position failed.
struct ResultRow
{
    static constexpr int kBeyond = 31;

    QStringList cells;
    RowVerdict verdict = RowVerdict::Unchecked;
    int position = 0;
    bool included = false;
    // Since the line's previous run of the same check and device: "↑3", "新收录"…; empty: none known.
    QString change{};
    // Why the row is 异常, kept with the run; never shown in a cell.
    QString failure{};
    // The first 30 entries the row was judged on (ranking, site ranking), and when they were read.
    SerpList serp{};
    QDateTime readAt{};
};

// How a column's cells read: as text, as a ranking position, as a date, or
// as a whole number (a count, a depth). Tables sort by it; reports keep the
// whole numbers of position and number columns as numbers.
enum class ColumnKind
{
    Text,
    Position,
    Date,
    Number
};

// 收录率 in whole percent rounded half up, over the lines that got a yes or
// no: a failed fetch says nothing about inclusion. Every total that shows it
// asks here.
int inclusionRate(int included, int notIncluded);

// Counts over the rows of a run, kept as rows come and change: the window's
// tables and the command count with the same rules.
struct ResultTally
{
    int checked = 0; // rows with a result
    int included = 0;
    int notIncluded = 0;
    int failed = 0;
    int top10 = 0;
    int top30 = 0;
    int beyond30 = 0;
    int failedRequests = 0; // requests of a run that produces rows of its own, not per line

    // Lines whose inclusion got a yes or no.
    int verdicts() const { return included + notIncluded; }
    int rate() const { return inclusionRate(included, notIncluded); }
    // Adds a row (sign +1) or takes back one that is replaced (sign -1); Unchecked rows count nothing.
    void count(const ResultRow &row, int sign = 1);
};

// A check's result, or a keyword found, as its row.
ResultRow rowOf(const InclusionResult &result);
ResultRow rowOf(const RankingResult &result);
ResultRow rowOf(const SiteRankingResult &result);
ResultRow rowOf(const MinedKeyword &keyword);

Q_DECLARE_METATYPE(ResultRow)
