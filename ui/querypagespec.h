#pragma once

#include "querylines.h"
#include "reportwriter.h"
#include "resultfiltermodel.h"
#include "resulttablemodel.h"

#include <QList>
#include <QString>

#include <functional>

class BatchRunner;
class QObject;

// One toggle of the filter row above a result table.
struct ResultFilterSpec
{
    QString objectName; // without the page's suffix
    QString label;
    ResultFilterModel::RowFilter accepts; // empty: every row
};

// One running total beside 总输入.
struct ResultTotalSpec
{
    // The label showing it: one of the page's own, or a new one made after the previous total's label.
    QString labelName;
    QString labelStyle; // style sheet of a new label
    std::function<QString(const ResultTally &tally)> text;
};

// What makes a query page differ from the others: its columns, filters and
// totals, and how it checks a batch of lines. QueryPanel does the rest.
struct QueryPageSpec
{
    QString name; // "收录查询": names the suggested report file
    ReportKind reportKind = ReportKind::Inclusion;
    QueryKind lineKind = QueryKind::Inclusion;
    QList<ResultColumn> columns;
    int addressColumn = 1; // what 复制网址 copies
    QList<ResultFilterSpec> filters;
    QList<ResultTotalSpec> totals;
    std::function<BatchRunner *(QObject *parent)> makeRunner;
};

QueryPageSpec inclusionPageSpec();
QueryPageSpec rankingPageSpec();
