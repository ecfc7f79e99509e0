#pragma once

#include "report/reportwriter.h"

#include <QByteArray>

// Writes a report table as an Excel 97-2003 workbook (.xls): BIFF8 records
// in the "Workbook" stream of a compound file.
class XlsReportWriter
{
public:
    explicit XlsReportWriter(const ReportTable &table);

    ReportWriteResult write(const QString &path) const;

    // The BIFF8 "Workbook" stream alone, before it goes into the container.
    QByteArray workbookStream() const;

private:
    const ReportTable &m_table;
};
