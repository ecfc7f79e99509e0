#include "workers/querylines.h"

QStringList prepareQueryLines(const QString &text, QueryKind kind)
{
    QStringList lines = text.split(QLatin1Char('\n'), Qt::KeepEmptyParts);
    if (kind == QueryKind::Keyword) {
        for (QString &line : lines)
            line = line.trimmed();
        lines.removeAll(QString());
        lines.removeDuplicates();
        return lines;
    }
    lines.removeDuplicates();
    // An address is checked as typed: its scheme and its own query string
    // (which may hold "https:" or "http" again) reach Baidu whole.
    for (int i = lines.size() - 1; i >= 0; --i) {
        if (!lines.at(i).contains(QLatin1String("http"), Qt::CaseInsensitive))
            lines.removeAt(i);
    }
    return lines;
}
