#pragma once

#include "cli/cliarguments.h"
#include "history/rowjson.h"
#include "workers/resultrow.h"

#include <QByteArray>
#include <QStringList>

class QIODevice;

// Writes result rows to standard output: tab-separated text, one line per
// row, or RFC 4180 CSV with a UTF-8 byte-order mark so Excel reads the
// Chinese text; or JSON Lines (one object per row, no heading). Each row is
// written whole, so a reader sees complete lines.
class ResultOutput
{
public:
    ResultOutput(QIODevice *device, OutputFormat format);

    // The first row; for CSV preceded by the byte-order mark.
    void writeHeader(const QStringList &headings);
    void writeRow(const QStringList &fields);
    // A result row (index from 0): its cells, or in JSON its object as the context says.
    void writeResult(int index, const ResultRow &row);
    void writeJson(const QJsonObject &object);
    void setJsonContext(const RowJsonContext &context) { m_json = context; }
    bool isJson() const { return m_format == OutputFormat::Json; }

    static QByteArray formatRow(const QStringList &fields, OutputFormat format);

private:
    QIODevice *m_device;
    OutputFormat m_format;
    RowJsonContext m_json;
};
