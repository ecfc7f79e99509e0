#pragma once

#include "reportwriter.h"

// Writes a report table as an Office Open XML workbook (.xlsx) through
// libxlsxwriter.
class XlsxReportWriter
{
public:
    explicit XlsxReportWriter(const ReportTable &table);

    ReportWriteResult write(const QString &path) const;

private:
    const ReportTable &m_table;
};
