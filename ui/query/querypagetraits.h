#pragma once

#include "search/siterule.h"
#include "ui/query/resultfiltermodel.h"
#include "ui/query/resulttablemodel.h"
#include "workers/batchrunner.h"
#include "workers/miningrun.h"

#include <QList>
#include <QString>

#include <functional>

// One toggle of the filter row above a result table.
struct ResultFilter
{
    QString objectName; // without the page's suffix
    QString label;
    ResultFilterModel::RowFilter accepts; // empty: every row
};

// One running total beside 总输入.
struct ResultTotalLabel
{
    // The label showing it: one of the page's own, or a new one made after the previous total's label.
    QString labelName;
    QString labelStyle; // style sheet of a new label
    std::function<QString(const ResultTally &tally)> text;
};

// What makes a query page differ from the others: its tool (names, report,
// input lines, history: history/tooldescriptor.h), columns, filters and
// totals. QueryPanel does the rest.
struct QueryPageTraits
{
    Tool tool = Tool::Inclusion;
    QList<ResultColumn> columns;
    // The last column, why a row is 异常 ("原因"); hidden until asked for. Empty: none.
    QString reasonHeading;
    int addressColumn = 1;   // what 复制网址 copies
    QString copyColumnLabel; // that action's text when not 复制网址
    QList<ResultFilter> filters;
    // The label before the totals, e.g. "总输入：%1条 " with the number of lines.
    QString totalInputText;
    QList<ResultTotalLabel> totals;
    // Why a run cannot start with the page's other fields as they are; empty: it can. Optional.
    std::function<QString()> inputProblem;
    // What a run needs beside its lines (the site, the mining depth and
    // limit), asked for when it starts. Optional.
    std::function<RunOptions()> runOptions;
    // A 变化 column beside the kept runs' rows; off where rows have nothing to compare.
    bool showsChanges = true;
};

QueryPageTraits inclusionPageTraits();
QueryPageTraits rankingPageTraits();
// The 泛排名查询 page's: the sites are asked for when a run starts, as typed
// (one per line; each must be a site, at most kMaxRunSites).
QueryPageTraits siteRankingPageTraits(const std::function<QStringList()> &typedSites);
// The 关键词挖掘 page's: options are asked for when a run starts.
QueryPageTraits miningPageTraits(const std::function<MiningOptions()> &options);
