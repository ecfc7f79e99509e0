#pragma once

#include "reportwriter.h"

#include <QDateTime>
#include <QList>
#include <QString>

// The parts of a report that describe its run, the same from the window and
// the command: the line under the title and the totals below the table.

// "百度排名查询 · 移动端 · 2026-12-08 15:30"
QString reportSubtitle(ReportKind kind, bool mobile, const QDateTime &started);

// 总输入, 共收录, 未收录, 异常 and 收录率 (over the lines that got a yes or no).
QList<ReportTotal> reportTotals(int lines, int included, int notIncluded, int failed);

// The columns whose whole numbers are stored as numbers: the ranking position.
QList<int> reportNumberColumns(ReportKind kind);
