#include "ui/pages/historylinesmodel.h"

#include "ui/pages/positionchart.h"

namespace {
const QString kChangeHeading = QStringLiteral("变化");
} // namespace

void HistoryLinesModel::setLines(const QStringList &headings, const QList<StoredLine> &lines,
                                 const QStringList &changes, int positionColumn)
{
    beginResetModel();
    m_headings = headings;
    m_headings.append(kChangeHeading);
    m_lines = lines;
    m_changes = changes;
    m_positionColumn = positionColumn;
    endResetModel();
}

void HistoryLinesModel::clear()
{
    setLines({}, {}, {}, -1);
}

int HistoryLinesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_lines.size();
}

int HistoryLinesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_headings.size();
}

QVariant HistoryLinesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size())
        return QVariant();
    const StoredLine &line = m_lines.at(index.row());
    const QString &change = m_changes.at(index.row());
    const bool isChange = index.column() == changeColumn();
    const QString text = isChange ? change : line.cells.value(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return text;
    case KeyRole:
        return line.key;
    case ChangeRole:
        return change.isEmpty() ? QVariant() : QVariant(change);
    case SortRole:
        if (index.column() == m_positionColumn) {
            // 30+ and -- after 30, 异常 last.
            const std::optional<int> place = PositionChart::placeOf(text);
            return place ? *place : PositionChart::kBottomEdge + 1;
        }
        return text;
    default:
        return QVariant();
    }
}

QVariant HistoryLinesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    return m_headings.value(section);
}
