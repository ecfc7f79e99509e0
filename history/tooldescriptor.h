#pragma once

#include "history/historystore.h"
#include "report/reportwriter.h"
#include "search/searchcontext.h"
#include "workers/batchrunner.h"
#include "workers/querylines.h"
#include "workers/resultrow.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One column of a tool's rows: its heading and first width, as the table
// shows it and the report writes it, and how its cells read.
struct ToolColumn
{
    QString heading;
    int width = 0; // on-screen pixels
    ColumnKind kind = ColumnKind::Text;
};

// What the window and the command know of a tool, in one place: its names,
// the key its runs are kept under, the report it is written as, its columns
// and how its lines are read. Here, on the floor where a tool's runner, its
// report and its history meet, below both front ends.
struct ToolDescriptor
{
    Tool tool = Tool::Inclusion;
    QString name;       // "收录查询": the page, the suggested report file
    QString shortName;  // "收录": the lists of runs
    QString historyKey; // HistoryTool::kInclusion
    ReportKind reportKind = ReportKind::Inclusion;
    QueryKind lineKind = QueryKind::Inclusion; // how input lines are prepared
    // Baidu's desktop or mobile pages; mining asks the desktop search box only and keeps no device.
    bool hasDevice = true;
    // Rows are what the run finds (keywords), not one per line: any number,
    // nothing to check again, not opened from the history again.
    bool rowsFound = false;
    int statusColumn = -1;   // 收录; -1: none
    int positionColumn = -1; // 排名 or 最佳排名; -1: none
    QList<ToolColumn> columns;
    // The column after the cells that says why a line is 异常 ("原因"); empty
    // for a tool whose rows cannot be (mining).
    QString reasonHeading;

    // The cells' columns, as the table shows them.
    QStringList headings() const;
    QList<int> widths() const;
    // A row as it is written out (the command's output, reports, copies):
    // the cells, then the reason where the tool has one.
    QStringList writtenHeadings() const;
    QList<int> writtenWidths() const;
    QStringList writtenCells(const QStringList &cells, const QString &failure) const;
    // Whose whole numbers are numbers in reports: positions, counts, depths.
    QList<int> numberColumns() const;
};

const ToolDescriptor &toolDescriptor(Tool tool);
// The descriptor a stored run is shown and reported with; none for a tool this version does not know.
std::optional<ToolDescriptor> descriptorOfRun(const StoredRun &run);
// A site ranking run's descriptor for its sites: for two or more, the keyword
// and a group of 最佳排名, 排名网址, 数量 per site, headed by the site's host.
ToolDescriptor siteRankingDescriptor(const QStringList &siteHosts);
// The tool whose runs are kept under key; null for a key this version does not know.
const ToolDescriptor *toolOfHistoryKey(const QString &key);

// A run of tool about to start with the context's pacing and proxies, as the history keeps it.
StoredRun runStarting(Tool tool, Device device, int lineCount, const SearchContext &context);
