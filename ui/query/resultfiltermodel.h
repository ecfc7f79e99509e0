#pragma once

#include "ui/query/resulttablemodel.h"

#include <QSortFilterProxyModel>

#include <functional>

// The result table as the view shows it: sorted by the model's sort keys
// (positions and dates as numbers) and narrowed to the rows a filter accepts.
class ResultFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    using RowFilter = std::function<bool(const ResultRow &row)>;

    explicit ResultFilterModel(ResultTableModel *source, QObject *parent = nullptr);

    // An empty filter shows every row.
    void setRowFilter(const RowFilter &filter);
    // Source rows in the order shown.
    QList<int> shownRows() const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    ResultTableModel *m_source;
    RowFilter m_filter;
};
