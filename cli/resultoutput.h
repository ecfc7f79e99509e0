#pragma once

#include "cli/cliarguments.h"

#include <QByteArray>
#include <QStringList>

class QIODevice;

// Writes result rows to standard output: tab-separated text, one line per
// row, or RFC 4180 CSV with a UTF-8 byte-order mark so Excel reads the
// Chinese text. Each row is written whole, so a reader sees complete lines.
class ResultOutput
{
public:
    ResultOutput(QIODevice *device, OutputFormat format);

    // The first row; for CSV preceded by the byte-order mark.
    void writeHeader(const QStringList &headings);
    void writeRow(const QStringList &fields);

    static QByteArray formatRow(const QStringList &fields, OutputFormat format);

private:
    QIODevice *m_device;
    OutputFormat m_format;
};
