#pragma once

#include "report/reportwriter.h"

#include <QDateTime>
#include <QList>
#include <QString>

// The parts of a report that describe its run, the same from the window and
// the command: the line under the title and the totals below the table.

// "百度排名查询 · 移动端 · 2026-12-08 15:30"
QString reportSubtitle(ReportKind kind, bool mobile, const QDateTime &started);

// 总输入, 共收录, 未收录, 异常 and 收录率 (over the lines that got a yes or no).
QList<ReportTotal> reportTotals(int lines, int included, int notIncluded, int failed);

// 总关键词, 前10, 前30, 30名外 and 异常 of a site ranking run.
QList<ReportTotal> siteRankingTotals(int keywords, int top10, int top30, int beyond30, int failed);

// 种子词, 共挖掘 and 失败 (requests that got no answer) of a keyword mining run.
QList<ReportTotal> miningTotals(int seeds, int found, int failedRequests);

// The columns whose whole numbers are stored as numbers: positions, counts, depths.
QList<int> reportNumberColumns(ReportKind kind);
