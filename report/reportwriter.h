#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One figure of a run's totals, e.g. {"共收录", "812"} or {"收录率", "81%"}.
struct ReportTotal
{
    QString label;
    QString value;
};

// A result table as the spreadsheet report shows it: a merged title row, a
// grey bold heading row, one row per table row, a thin black grid. The
// optional parts, left empty, leave that layout as it is: a subtitle becomes
// a merged line under the title (the headings then move one row down);
// chosen columns keep their whole numbers as numbers so that they sort in
// Excel; totals follow the table after one blank row, a grey label cell and
// its value beside it.
struct ReportTable
{
    QString title;
    QStringList headings;
    QList<int> columnPixelWidths; // on-screen width of each column
    QList<QStringList> rows;      // every cell as text
    // Initialised here so that callers listing only the fields above stay warning-free.
    QString subtitle{};          // e.g. check, device, date and time of the run
    QList<int> numberColumns{};  // whole-number cells of these columns are numbers
    QList<ReportTotal> totals{}; // whole-number values are numbers too
};

enum class ReportKind
{
    Inclusion,
    Ranking,
    SiteRanking,
    Mining
};

// The report title of a page kind; a site ranking's names the site checked (its host).
QString reportTitle(ReportKind kind, const QString &site = QString());

// The result table columns of a page kind as the window first shows them.
QStringList reportHeadings(ReportKind kind);
QList<int> initialColumnWidths(ReportKind kind);

struct ReportWriteResult
{
    bool ok = false;
    QString errorMessage; // why the file could not be written
};

// Writes the report as .xlsx or .xls, chosen by the path's extension in any
// letter case (any other extension is refused). An existing file is replaced
// only once the new one is complete: on failure the path holds what it held
// before, and errorMessage says why (in Chinese, for the message box).
ReportWriteResult writeReport(const QString &path, const ReportTable &table);
