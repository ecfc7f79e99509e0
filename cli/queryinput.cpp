#include "cli/queryinput.h"

#include "workers/inputtext.h"

QueryInput QueryInput::fromBytes(const QByteArray &bytes, QueryKind kind)
{
    QueryInput input;
    const InputText decoded = decodeInputText(bytes);
    input.m_encoding = decoded.encoding;
    const QString &text = decoded.text;

    QStringList rawLines;
    if (!text.isEmpty())
        rawLines = text.split(QLatin1Char('\n'), Qt::KeepEmptyParts);
    // The line feed that ends the last line does not start another one.
    if (text.endsWith(QLatin1Char('\n')))
        rawLines.removeLast();
    for (QString &line : rawLines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        // A keyword is counted as the run reads it: a line of blanks is empty, "a " repeats "a".
        if (kind == QueryKind::Keyword)
            line = line.trimmed();
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
