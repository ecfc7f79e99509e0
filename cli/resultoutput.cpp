#include "cli/resultoutput.h"

#include <QIODevice>
#include <QJsonDocument>

namespace {
const char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";
const QLatin1Char kTab('\t');
const QLatin1Char kComma(',');
const QLatin1Char kQuote('"');
const QLatin1String kDoubledQuote("\"\"");
const char kTsvLineEnd[] = "\n";
const char kCsvLineEnd[] = "\r\n";

// Plain tab-separated text cannot quote, so a tab or line break inside a
// field (a title taken from a page) becomes a blank: one line per result.
QString tsvField(QString field)
{
    for (QChar &c : field) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return field;
}

QString csvField(const QString &field)
{
    const bool needsQuotes = field.contains(kComma) || field.contains(kQuote) ||
                             field.contains(QLatin1Char('\r')) || field.contains(QLatin1Char('\n'));
    if (!needsQuotes)
        return field;
    QString quoted = field;
    quoted.replace(kQuote, kDoubledQuote);
    return kQuote + quoted + kQuote;
}
} // namespace

ResultOutput::ResultOutput(QIODevice *device, OutputFormat format) : m_device(device), m_format(format) {}

QByteArray ResultOutput::formatRow(const QStringList &fields, OutputFormat format)
{
    QStringList cells;
    cells.reserve(fields.size());
    for (const QString &field : fields)
        cells.append(format == OutputFormat::Csv ? csvField(field) : tsvField(field));
    const QString line = cells.join(format == OutputFormat::Csv ? kComma : kTab);
    return line.toUtf8() + (format == OutputFormat::Csv ? kCsvLineEnd : kTsvLineEnd);
}

void ResultOutput::writeHeader(const QStringList &headings)
{
    if (m_format == OutputFormat::Json)
        return;
    QByteArray bytes;
    if (m_format == OutputFormat::Csv)
        bytes = kUtf8ByteOrderMark;
    bytes += formatRow(headings, m_format);
    m_device->write(bytes);
}

void ResultOutput::writeResult(int index, const ResultRow &row)
{
    if (m_format != OutputFormat::Json)
        return writeRow(row.cells);
    writeJson(rowJson(m_json, index + 1, row.cells, row.failure, row.serp, row.readAt));
}

void ResultOutput::writeJson(const QJsonObject &object)
{
    m_device->write(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
}

void ResultOutput::writeRow(const QStringList &fields)
{
    m_device->write(formatRow(fields, m_format));
}
