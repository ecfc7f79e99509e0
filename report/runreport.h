#pragma once

#include "report/reportwriter.h"
#include "workers/device.h"
#include "workers/resultrow.h"

#include <QDateTime>
#include <QList>
#include <QString>

// The parts of a report that describe its run, the same from the window and
// the command: the line under the title and the totals below the table.

// "百度排名查询 · 移动端 · 2026-12-08 15:30"; a site ranking's names the
// site checked: "泛排名查询 · 网站 qa-site.cn · 电脑端 · 2026-12-08 15:30".
QString reportSubtitle(ReportKind kind, Device device, const QDateTime &started,
                       const QString &site = QString());

// The run's totals, counted by the tally that the window's table and the
// command keep: 总输入, 共收录, 未收录, 异常 and 收录率 of inclusion and
// ranking; 总关键词, 前10, 前30, 30名外 and 异常 of site ranking; 种子词,
// 共挖掘 and 失败 (requests that got no answer) of keyword mining.
QList<ReportTotal> runTotals(ReportKind kind, int lines, const ResultTally &tally);
