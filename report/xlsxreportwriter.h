#pragma once

#include "report/reportwriter.h"

// Writes a report table as an Office Open XML workbook (.xlsx) through
// libxlsxwriter.
class XlsxReportWriter
{
public:
    explicit XlsxReportWriter(const ReportTable &table);

    ReportWriteResult write(const QString &path) const;

private:
    // The library's error code of writing the workbook to fileName.
    int writeWorkbook(const QString &fileName) const;

    const ReportTable &m_table;
};
