#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A result table as the spreadsheet report shows it: a merged title row, a
// grey bold heading row, one row per table row, a thin black grid.
struct ReportTable
{
    QString title;
    QStringList headings;
    QList<int> columnPixelWidths; // on-screen width of each column
    QList<QStringList> rows;      // every cell as text
};

enum class ReportKind
{
    Inclusion,
    Ranking
};

// The report title of a page kind.
QString reportTitle(ReportKind kind);

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
