#include "ui/query/resultfiltermodel.h"

ResultFilterModel::ResultFilterModel(ResultTableModel *source, QObject *parent)
    : QSortFilterProxyModel(parent), m_source(source)
{
    setSourceModel(source);
    setSortRole(ResultTableModel::SortRole);
    setDynamicSortFilter(true);
}

void ResultFilterModel::setRowFilter(const RowFilter &filter)
{
    m_filter = filter;
    invalidateFilter();
}

QList<int> ResultFilterModel::shownRows() const
{
    QList<int> rows;
    const int count = rowCount();
    rows.reserve(count);
    for (int r = 0; r < count; ++r)
        rows.append(mapToSource(index(r, 0)).row());
    return rows;
}

bool ResultFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    return !m_filter || m_filter(m_source->row(sourceRow));
}
