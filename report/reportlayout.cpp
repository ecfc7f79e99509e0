#include "report/reportlayout.h"

namespace ReportLayout {

QString storedCellText(const QString &text)
{
    QString stored = text;
    if (text.size() > kMaxCellTextLength) {
        const bool splitsPair =
            text.at(kMaxCellTextLength - 1).isHighSurrogate() && text.at(kMaxCellTextLength).isLowSurrogate();
        stored = text.left(splitsPair ? kMaxCellTextLength - 1 : kMaxCellTextLength);
    }
    const auto unusable = [](const QChar *units, int size, int i) {
        const ushort unit = units[i].unicode();
        if (QChar::isHighSurrogate(unit))
            return i + 1 >= size || !units[i + 1].isLowSurrogate();
        if (QChar::isLowSurrogate(unit))
            return i == 0 || !units[i - 1].isHighSurrogate();
        return unit == 0xFFFE || unit == 0xFFFF;
    };
    const int size = stored.size();
    const QChar *units = stored.constData();
    int first = 0;
    while (first < size && !unusable(units, size, first))
        ++first;
    if (first == size) // the usual case: no copy
        return stored;
    QString mended = stored;
    for (int i = first; i < size; ++i) {
        if (unusable(units, size, i))
            mended[i] = QChar(QChar::ReplacementCharacter);
    }
    return mended;
}

bool wholeNumber(const QString &text, double *value)
{
    if (text.isEmpty() || text.size() > kMaxNumberDigits ||
        (text.size() > 1 && text.at(0) == QLatin1Char('0')))
        return false;
    double number = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        number = number * 10 + (c.unicode() - '0');
    }
    *value = number;
    return true;
}

SheetRows sheetRows(const ReportTable &table)
{
    SheetRows rows;
    int next = 1;
    if (!table.subtitle.isEmpty())
        rows.subtitle = next++;
    rows.headings = next++;
    rows.firstData = next;
    next += table.rows.size();
    if (!table.totals.isEmpty()) {
        rows.firstTotal = next + 1;
        next = rows.firstTotal + table.totals.size();
    }
    rows.count = next;
    rows.columns = table.totals.isEmpty() ? table.headings.size() : qMax(2, table.headings.size());
    return rows;
}
} // namespace ReportLayout
