#pragma once

#include "history/historystore.h"
#include "report/reportwriter.h"

#include <QList>
#include <QString>

// A stored run as the lists of runs show it, in the window's 历史记录 page
// and `quillane-cli history list` alike; each formats the figures its own way.
struct RunSummary
{
    QString started; // local time, "2026-12-08 15:30"
    QString tool;    // 收录, 排名, 泛排名, 挖掘 (an unknown tool: its key)
    QString device;  // 电脑端 or 移动端; empty for a run without one (mining)
    // The lines stored, "12", or "9/12" when the run did not get to every
    // line it started with; a mining run's lines are the keywords it found.
    QString lines;
    // What the tool counts: 已收录 and 收录率 (inclusion), 前10 and 前30
    // (ranking, site ranking), 种子词 and 共挖掘 (mining).
    QList<ReportTotal> figures;
    // Those a list with a column of lines beside them shows: 收录率, 前10 and 前30, 种子词.
    QList<ReportTotal> briefFigures;
    int failed = 0;          // lines that are 异常
    bool unfinished = false; // stopped hard, or still going on
};

RunSummary summarizeRun(const StoredRun &run);

// A site ranking run's totals per site (hosts in the run's order), for two
// or more: "host 前10", "host 前30", "host 30名外" over the rows' groups.
QList<ReportTotal> siteTotals(const QStringList &hosts, const QList<QStringList> &rows);

// The spreadsheet report of a stored run, its lines in line order: the same
// from the 历史记录 page and `quillane-cli history export`. Empty headings
// for a tool this version does not know (writeReport refuses it).
ReportTable storedRunReport(const StoredRun &run, const QList<StoredLine> &lines);
