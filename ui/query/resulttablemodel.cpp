#include "ui/query/resulttablemodel.h"

#include "search/resultstrings.h"

#include <QBrush>
#include <QColor>
#include <QDate>
#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace {

// 异常 rows stand out on the table's blue.
const QColor kFailedTint(0xf4, 0xc7, 0xc7);

const QString kBeyond = QStringLiteral("30+");
const QString kNotSearched = QStringLiteral("--");

// Positions sort 1 < 2 < 10 < 30+ < -- < 异常 < not yet checked.
constexpr double kNotSearchedKey = 32;
constexpr double kFailedKey = 33;
constexpr double kUncheckedKey = 34;
// Cells without a readable date sort after every date.
constexpr double kNoDateKey = std::numeric_limits<double>::max();
// Empty count cells (a failed line) sort last.
constexpr double kNoNumberKey = std::numeric_limits<double>::max();

// The leading number of text, or -1.
int leadingNumber(const QString &text, int *end)
{
    int value = -1;
    int i = 0;
    for (; i < text.size() && text.at(i).isDigit() && i < 9; ++i)
        value = (value < 0 ? 0 : value * 10) + text.at(i).digitValue();
    *end = i;
    return value;
}

// Baidu's snapshot dates: "2019年3月28日", "2019-03-28", "3天前", "5小时前", "昨天".
QDate snapshotDate(const QString &text)
{
    const QString trimmed = text.trimmed();
    const QDate today = QDate::currentDate();
    if (trimmed == QStringLiteral("昨天"))
        return today.addDays(-1);
    if (trimmed == QStringLiteral("前天"))
        return today.addDays(-2);
    int end = 0;
    const int first = leadingNumber(trimmed, &end);
    if (first < 0)
        return QDate();
    const QString rest = trimmed.mid(end);
    if (rest.startsWith(QStringLiteral("天前")))
        return today.addDays(-first);
    if (rest.startsWith(QStringLiteral("小时前")) || rest.startsWith(QStringLiteral("分钟前")) ||
        rest.startsWith(QStringLiteral("秒前")))
        return today;
    // Year, month and day, separated by 年月日 or dashes.
    static const QRegularExpression separators(QStringLiteral("[年月日\\-./]"));
    const QStringList parts = trimmed.split(separators, Qt::SkipEmptyParts);
    if (parts.size() < 3)
        return QDate();
    return QDate(parts.at(0).toInt(), parts.at(1).toInt(), parts.at(2).trimmed().left(2).toInt());
}

QVariant sortKey(const ResultRow &row, const ResultColumn &column, const QString &cell)
{
    switch (column.sort) {
    case SortKind::Text:
        return cell;
    case SortKind::Position:
        if (row.verdict == RowVerdict::Unchecked)
            return kUncheckedKey;
        if (row.position > 0)
            return double(row.position);
        return cell == kNotSearched ? kNotSearchedKey : kFailedKey;
    case SortKind::Date: {
        const QDate date = snapshotDate(cell);
        return date.isValid() ? double(date.toJulianDay()) : kNoDateKey;
    }
    case SortKind::Number: {
        bool number = false;
        const double value = cell.toDouble(&number);
        return number ? value : kNoNumberKey;
    }
    }
    return cell;
}

} // namespace

ResultTableModel::ResultTableModel(const QList<ResultColumn> &columns, QObject *parent)
    : QAbstractTableModel(parent), m_columns(columns)
{
}

int ResultTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

int ResultTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid()
               ? 0
               : m_columns.size() + (m_changeHeading.isEmpty() ? 0 : 1) + (m_reasonHeading.isEmpty() ? 0 : 1);
}

void ResultTableModel::setReasonColumn(const QString &heading)
{
    beginResetModel();
    m_reasonHeading = heading;
    endResetModel();
}

void ResultTableModel::setChangeColumn(const QString &heading)
{
    beginResetModel();
    m_changeHeading = heading;
    endResetModel();
}

void ResultTableModel::setChange(int line, const QString &change)
{
    if (line < 0)
        return;
    const auto waiting = m_pendingIndex.constFind(line);
    if (waiting != m_pendingIndex.cend()) {
        m_pending[waiting.value()].second.change = change;
        return;
    }
    if (line >= m_rows.size() || m_rows.at(line).row.change == change)
        return;
    m_rows[line].row.change = change;
    if (changeColumn() >= 0)
        emit dataChanged(index(line, changeColumn()), index(line, changeColumn()));
}

QVariant ResultTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= columnCount())
        return QVariant();
    const StoredRow &stored = m_rows.at(index.row());
    const bool failed = stored.row.verdict == RowVerdict::Failed;
    if (index.column() == reasonColumn()) {
        if (role == Qt::DisplayRole || role == SortRole)
            return stored.row.failure;
        if (role == Qt::ToolTipRole)
            return stored.row.failure.isEmpty() ? QVariant() : stored.row.failure;
        return role == Qt::BackgroundRole && failed ? QBrush(kFailedTint) : QVariant();
    }
    if (index.column() == changeColumn()) {
        if (role == Qt::DisplayRole || role == SortRole)
            return stored.row.change;
        return role == Qt::BackgroundRole && stored.row.verdict == RowVerdict::Failed ? QBrush(kFailedTint)
                                                                                      : QVariant();
    }
    switch (role) {
    case Qt::DisplayRole:
        return stored.row.cells.value(index.column());
    case Qt::ToolTipRole: {
        // Cells never wrap: a long text is elided and shows whole here; a 异常 says why.
        const QString text = stored.row.cells.value(index.column());
        if (failed && text == ResultText::kFailed && !stored.row.failure.isEmpty())
            return stored.row.failure;
        return text.isEmpty() ? QVariant() : text;
    }
    case Qt::BackgroundRole:
        return stored.row.verdict == RowVerdict::Failed ? QBrush(kFailedTint) : QVariant();
    case SortRole:
        return stored.keys.value(index.column());
    default:
        return QVariant();
    }
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal && section == changeColumn())
        return m_changeHeading;
    if (orientation == Qt::Horizontal && section == reasonColumn())
        return m_reasonHeading;
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_columns.size() ? m_columns.at(section).heading : QVariant();
    // Row numbers are line numbers, also when sorted or filtered.
    return section + 1;
}

QStringList ResultTableModel::headings() const
{
    QStringList headings;
    for (const ResultColumn &column : m_columns)
        headings.append(column.heading);
    return headings;
}

ResultTableModel::StoredRow ResultTableModel::stored(const ResultRow &row) const
{
    StoredRow stored{row, {}};
    stored.keys.reserve(m_columns.size());
    for (int column = 0; column < m_columns.size(); ++column)
        stored.keys.append(sortKey(row, m_columns.at(column), row.cells.value(column)));
    return stored;
}

const ResultRow *ResultTableModel::latest(int line) const
{
    const auto waiting = m_pendingIndex.constFind(line);
    if (waiting != m_pendingIndex.cend())
        return &m_pending.at(waiting.value()).second;
    return line < m_rows.size() ? &m_rows.at(line).row : nullptr;
}

void ResultTableModel::setResult(int line, const ResultRow &row)
{
    if (line < 0)
        return;
    if (const ResultRow *previous = latest(line))
        m_tally.count(*previous, -1);
    m_tally.count(row, +1);
    const auto waiting = m_pendingIndex.constFind(line);
    if (waiting != m_pendingIndex.cend()) {
        m_pending[waiting.value()].second = row;
        return;
    }
    m_pendingIndex.insert(line, m_pending.size());
    m_pending.append({line, row});
}

void ResultTableModel::flush()
{
    if (m_pending.isEmpty())
        return;
    int lastLine = -1;
    int firstChanged = std::numeric_limits<int>::max();
    int lastChanged = -1;
    for (const auto &entry : qAsConst(m_pending)) {
        lastLine = qMax(lastLine, entry.first);
        if (entry.first < m_rows.size()) {
            firstChanged = qMin(firstChanged, entry.first);
            lastChanged = qMax(lastChanged, entry.first);
        }
    }
    const int oldCount = m_rows.size();
    if (lastChanged >= 0) {
        for (const auto &entry : qAsConst(m_pending)) {
            if (entry.first < oldCount)
                m_rows[entry.first] = stored(entry.second);
        }
        emit dataChanged(index(firstChanged, 0), index(lastChanged, columnCount() - 1));
    }
    if (lastLine >= oldCount) {
        beginInsertRows(QModelIndex(), oldCount, lastLine);
        m_rows.resize(lastLine + 1);
        for (const auto &entry : qAsConst(m_pending)) {
            if (entry.first >= oldCount)
                m_rows[entry.first] = stored(entry.second);
        }
        for (int line = oldCount; line <= lastLine; ++line) {
            if (m_rows.at(line).keys.isEmpty())
                m_rows[line] = stored(ResultRow());
        }
        endInsertRows();
    }
    m_pending.clear();
    m_pendingIndex.clear();
}

void ResultTableModel::setColumns(const QList<ResultColumn> &columns)
{
    beginResetModel();
    m_columns = columns;
    m_rows.clear();
    m_pending.clear();
    m_pendingIndex.clear();
    m_tally = ResultTally();
    endResetModel();
}

void ResultTableModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_pending.clear();
    m_pendingIndex.clear();
    m_tally = ResultTally();
    endResetModel();
}
