#include "history/historywriter.h"

HistoryWriter::HistoryWriter(const QString &tool, const QString &path) : m_tool(tool), m_path(path) {}

HistoryWriter::~HistoryWriter() = default;

bool HistoryWriter::usable()
{
    if (!m_store)
        m_store = std::make_unique<HistoryStore>(m_path);
    if (m_store->isOpen())
        return true;
    fail();
    // Opened again at the next run: the other program may have let go by then.
    m_store.reset();
    return false;
}

void HistoryWriter::fail()
{
    if (m_failed)
        return;
    m_failed = true;
    emit failed(m_store->errorMessage());
}

void HistoryWriter::begin(int generation, const StoredRun &run)
{
    m_failed = false;
    m_ended = false;
    m_runId = 0;
    if (!usable())
        return;
    m_runId = m_store->beginRun(run);
    if (m_runId <= 0) {
        fail();
        return;
    }
    emit opened(generation, m_store->latestLines(m_tool, run.device, m_runId));
}

void HistoryWriter::resume(int generation, const StoredRun &run)
{
    m_failed = false;
    // A stored run keeps its end until lines are added to it.
    m_ended = true;
    m_runId = 0;
    if (!usable())
        return;
    m_runId = run.id;
    emit opened(generation, m_store->latestLines(m_tool, run.device, m_runId));
}

void HistoryWriter::write(const QList<StoredLine> &lines)
{
    if (m_runId > 0 && !m_failed) {
        m_ended = false;
        if (!m_store->addLines(m_runId, lines))
            fail();
    }
    emit wrote();
}

void HistoryWriter::finish(const QDateTime &endedAt)
{
    if (m_runId <= 0 || m_failed || m_ended)
        return;
    m_ended = true;
    if (!m_store->finishRun(m_runId, endedAt))
        fail();
}
