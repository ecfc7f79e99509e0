#pragma once

#include "history/historystore.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

// The lines of one stored run as the 历史记录 page shows them: the run's own
// cells and, last, each line's change since its previous run. Read-only;
// sorted and filtered through a proxy by the roles below.
class HistoryLinesModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int KeyRole = Qt::UserRole + 1;    // the line's key in the store
    static constexpr int ChangeRole = Qt::UserRole + 2; // the change, or nothing when none
    static constexpr int SortRole = Qt::UserRole + 3;   // positions as numbers, the rest as text

    using QAbstractTableModel::QAbstractTableModel;

    // changes[i] belongs to lines[i]; positionColumn sorts as places (-1: none).
    void setLines(const QStringList &headings, const QList<StoredLine> &lines, const QStringList &changes,
                  int positionColumn);
    void clear();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const StoredLine &line(int row) const { return m_lines.at(row); }
    int changeColumn() const { return m_headings.size() - 1; }

private:
    QStringList m_headings; // the run's, then 变化
    QList<StoredLine> m_lines;
    QStringList m_changes;
    int m_positionColumn = -1;
};
