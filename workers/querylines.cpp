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
    for (int i = lines.size() - 1; i >= 0; --i) {
        if (kind == QueryKind::Ranking)
            lines[i].replace(QLatin1String("https:"), QLatin1String("http:"), Qt::CaseSensitive);
        if (!lines.at(i).contains(QLatin1String("http"), Qt::CaseInsensitive))
            lines.removeAt(i);
    }
    return lines;
}
