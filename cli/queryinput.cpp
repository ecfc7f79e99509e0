#include "queryinput.h"

#include <QTextCodec>

namespace {
const QChar kByteOrderMark(0xFEFF);
const char kFallbackCodec[] = "GB18030";

// UTF-8 unless the bytes are not valid UTF-8; then Windows' Chinese code page,
// in which such files are usually saved.
QString decodeInput(const QByteArray &bytes, bool *fallback)
{
    QTextCodec::ConverterState state;
    QString text = QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), bytes.size(), &state);
    *fallback = state.invalidChars > 0;
    if (*fallback) {
        if (QTextCodec *codec = QTextCodec::codecForName(kFallbackCodec))
            text = codec->toUnicode(bytes);
    }
    if (text.startsWith(kByteOrderMark))
        text.remove(0, 1);
    return text;
}
} // namespace

QueryInput QueryInput::fromBytes(const QByteArray &bytes, QueryKind kind)
{
    QueryInput input;
    const QString text = decodeInput(bytes, &input.m_decodedAsGb18030);

    QStringList rawLines;
    if (!text.isEmpty())
        rawLines = text.split(QLatin1Char('\n'), Qt::KeepEmptyParts);
    // The line feed that ends the last line does not start another one.
    if (text.endsWith(QLatin1Char('\n')))
        rawLines.removeLast();
    for (QString &line : rawLines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    input.m_lines = prepareQueryLines(rawLines.join(QLatin1Char('\n')), kind);

    QStringList distinct;
    for (const QString &line : qAsConst(rawLines)) {
        if (line.isEmpty())
            ++input.m_dropped.empty;
        else
            distinct.append(line);
    }
    const int nonEmpty = distinct.size();
    distinct.removeDuplicates();
    input.m_dropped.duplicate = nonEmpty - distinct.size();
    input.m_dropped.withoutHttp = distinct.size() - input.m_lines.size();
    return input;
}
