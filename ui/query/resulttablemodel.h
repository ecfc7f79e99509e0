#pragma once

#include "workers/resultrow.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <utility>

// How a column sorts: as text, as a ranking position, as a date, or as a
// whole number (a count, a depth): as its cells read.
using SortKind = ColumnKind;

struct ResultColumn
{
    QString heading;
    int width = 0; // initial on-screen width in pixels
    SortKind sort = SortKind::Text;
};

// The rows of a result table, row r for line r of the run. Results are set
// by line in any order and become visible when flush() runs, so a burst of
// results costs one insertion and one repaint instead of one per result.
// Lines between shown rows that have no result yet are Unchecked rows.
class ResultTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Sort key of a cell: text, or a number for positions and dates.
    static constexpr int SortRole = Qt::UserRole + 1;

    explicit ResultTableModel(const QList<ResultColumn> &columns, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const QList<ResultColumn> &columns() const { return m_columns; }
    // Other columns for the next rows (a site ranking run of several sites); the rows go.
    void setColumns(const QList<ResultColumn> &columns);
    // The columns' headings; the change column is the table's, never the report's.
    QStringList headings() const;
    // Shows each row's change in a column after the others.
    void setChangeColumn(const QString &heading);
    int changeColumn() const
    {
        return m_changeHeading.isEmpty() ? -1 : m_columns.size() + (m_reasonHeading.isEmpty() ? 0 : 1);
    }
    // Shows why a row is 异常 in a column after the cells (before 变化); the
    // cells saying 异常 tell it as their tooltip.
    void setReasonColumn(const QString &heading);
    int reasonColumn() const { return m_reasonHeading.isEmpty() ? -1 : m_columns.size(); }
    // Row line's change, as found once the line's previous results are known.
    void setChange(int line, const QString &change);
    const ResultRow &row(int r) const { return m_rows.at(r).row; }
    // Counts over the shown rows and those waiting for flush().
    const ResultTally &tally() const { return m_tally; }

    // Row line's result, shown at the next flush(). A later result for the same line replaces it.
    void setResult(int line, const ResultRow &row);
    // Counts requests that failed without a row of their own.
    void countFailedRequests(int count) { m_tally.failedRequests += count; }
    bool hasPendingResults() const { return !m_pending.isEmpty(); }
    void flush();
    void clear();

private:
    struct StoredRow
    {
        ResultRow row;
        QVector<QVariant> keys; // sort key per column
    };
    StoredRow stored(const ResultRow &row) const;
    const ResultRow *latest(int line) const;

    QList<ResultColumn> m_columns;
    QString m_changeHeading;
    QString m_reasonHeading;
    QVector<StoredRow> m_rows;
    QVector<std::pair<int, ResultRow>> m_pending;
    QHash<int, int> m_pendingIndex; // line -> its entry in m_pending
    ResultTally m_tally;
};
