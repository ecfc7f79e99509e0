#include "cli/rowsinorder.h"

#include "cli/resultoutput.h"

#include <utility>

RowsInOrder::RowsInOrder(ResultOutput *output, int lineCount)
    : m_output(output), m_pending(lineCount), m_arrived(lineCount, false)
{
}

bool RowsInOrder::accept(int index, const QStringList &cells)
{
    if (index < 0 || m_arrived.value(index, false))
        return false;
    if (index >= m_arrived.size()) {
        m_arrived.resize(index + 1);
        m_pending.resize(index + 1);
    }
    m_arrived[index] = true;
    m_pending[index] = cells;
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
        writeNow(std::exchange(m_pending[index], QStringList()));
        ++m_next;
    }
}

void RowsInOrder::writeNow(const QStringList &cells)
{
    m_output->writeRow(cells);
    m_written.append(cells);
}
