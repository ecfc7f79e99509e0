#pragma once

#include "workers/resultrow.h"

#include <QList>
#include <QStringList>
#include <QVector>

class ResultOutput;

// Writes a batch's rows in input order while the results arrive in any: a
// row waits until the rows of every earlier line are out, or those lines
// were given up (a stopped run). Rows that are found rather than checked
// (mining) arrive in order and go out at once.
class RowsInOrder
{
public:
    RowsInOrder(ResultOutput *output, int lineCount);

    // Takes row index (beyond the lines: a found row); false when its row came already.
    bool accept(int index, const ResultRow &row);
    bool hasArrived(int index) const { return m_arrived.value(index, false); }
    // Writes what is ready; skipGaps also passes lines whose row never came.
    void writeReady(bool skipGaps);
    const QList<QStringList> &written() const { return m_written; }

private:
    void writeNow(int index, const ResultRow &row);

    ResultOutput *m_output;
    QVector<ResultRow> m_pending; // rows waiting for an earlier line, by index
    QVector<bool> m_arrived;
    int m_next = 0;
    QList<QStringList> m_written;
};
