#pragma once

#include "history/historystore.h"
#include "report/reportwriter.h"
#include "report/runreport.h"
#include "search/siterule.h"
#include "ui/resultfiltermodel.h"
#include "ui/resulttablemodel.h"
#include "workers/miningrun.h"
#include "workers/querylines.h"

#include <QList>
#include <QString>

#include <functional>

class BatchRunner;
class QObject;

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

// What makes a query page differ from the others: its columns, filters and
// totals, and how it checks a batch of lines. QueryPanel does the rest.
struct QueryPageTraits
{
    QString name; // "收录查询": names the suggested report file
    ReportKind reportKind = ReportKind::Inclusion;
    QueryKind lineKind = QueryKind::Inclusion;
    QList<ResultColumn> columns;
    int addressColumn = 1;   // what 复制网址 copies
    QString copyColumnLabel; // that action's text when not 复制网址
    QList<ResultFilter> filters;
    // The label before the totals, e.g. "总输入：%1条 " with the number of lines.
    QString totalInputText;
    QList<ResultTotalLabel> totals;
    // The totals under the report's table: lines of the run, the table's tally.
    std::function<QList<ReportTotal>(int lines, const ResultTally &tally)> reportTotals;
    // Why a run cannot start with the page's other fields as they are; empty: it can. Optional.
    std::function<QString()> inputProblem;
    // Rows are what the run finds (keyword mining), not one per line: they
    // come in any number, progress is the runner's word, and there is nothing to check again.
    bool rowsFound = false;
    std::function<BatchRunner *(QObject *parent)> makeRunner;

    // The page's runs in the history: the tool they are kept under, a row as
    // it is stored, and a stored line as the table shows it again.
    QString historyTool;
    // A 变化 column beside the kept runs' rows; off where rows have nothing to compare.
    bool showsChanges = true;
    std::function<StoredLine(int line, const ResultRow &row)> storedLine;
    std::function<ResultRow(const StoredLine &line)> rowOfStored;
    // The editor line a stored line came from; empty: its key, fields joined by a blank.
    std::function<QString(const StoredLine &line)> lineOfStored;
};

QueryPageTraits inclusionPageTraits();
QueryPageTraits rankingPageTraits();
// The 泛排名查询 page's: site is asked for when a run starts.
QueryPageTraits siteRankingPageTraits(const std::function<SiteRule()> &site);
// The 关键词挖掘 page's: options are asked for when a run starts.
QueryPageTraits miningPageTraits(const std::function<MiningOptions()> &options);
