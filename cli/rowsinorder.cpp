#include "cli/rowsinorder.h"

#include "cli/resultoutput.h"

#include <utility>

RowsInOrder::RowsInOrder(ResultOutput *output, int lineCount)
    : m_output(output), m_pending(lineCount), m_arrived(lineCount, false)
{
}

bool RowsInOrder::accept(int index, const ResultRow &row)
{
    if (index < 0 || m_arrived.value(index, false))
        return false;
    if (index >= m_arrived.size()) {
        m_arrived.resize(index + 1);
        m_pending.resize(index + 1);
    }
    m_arrived[index] = true;
    m_pending[index] = row;
    return true;
}

void RowsInOrder::writeReady(bool skipGaps)
{
    while (m_next < m_arrived.size()) {
        const int index = m_next;
        if (!m_arrived.at(index)) {
            if (!skipGaps)
                return;
            ++m_next;
            continue;
        }
        writeNow(index, std::exchange(m_pending[index], ResultRow()));
        ++m_next;
    }
}

void RowsInOrder::writeNow(int index, const ResultRow &row)
{
    m_output->writeResult(index, row);
    m_written.append(row.cells);
}
