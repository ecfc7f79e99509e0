#include "history/runrecorder.h"

#include <utility>

StoredRun runStarting(const QString &tool, const QString &device, int lineCount, const SearchContext &context)
{
    StoredRun run;
    run.tool = tool;
    run.device = device;
    run.lineCount = lineCount;
    run.startedAt = QDateTime::currentDateTimeUtc();
    run.intervalMs = context.intervalMs();
    run.proxyUsed = context.usesProxy();
    return run;
}

RunRecorder::RunRecorder(HistoryStore *store, FailureHandler failed, int flushIntervalMs)
    : m_store(store), m_failedHandler(std::move(failed)), m_flushIntervalMs(flushIntervalMs)
{
}

RunRecorder::~RunRecorder()
{
    finish();
}

void RunRecorder::reportFailure()
{
    if (m_failed)
        return;
    m_failed = true;
    m_pending.clear();
    if (m_failedHandler)
        m_failedHandler(m_store->errorMessage());
}

bool RunRecorder::start(const StoredRun &run)
{
    if (!m_store->isOpen()) {
        reportFailure();
        return false;
    }
    m_runId = m_store->beginRun(run);
    if (m_runId <= 0) {
        reportFailure();
        return false;
    }
    m_sinceFlush.start();
    return true;
}

void RunRecorder::resume(qint64 runId)
{
    m_runId = runId;
    m_failed = false;
    m_finished = false;
    m_pending.clear();
    m_sinceFlush.start();
}

void RunRecorder::add(const StoredLine &line)
{
    if (!isRecording())
        return;
    m_finished = false;
    m_pending.append(line);
    if (m_pending.size() >= kMaxBatch || m_sinceFlush.elapsed() >= m_flushIntervalMs)
        flush();
}

void RunRecorder::flush()
{
    m_sinceFlush.restart();
    if (!isRecording() || m_pending.isEmpty())
        return;
    if (m_store->addLines(m_runId, m_pending))
        m_pending.clear();
    else
        reportFailure();
}

void RunRecorder::finish()
{
    if (!isRecording() || m_finished)
        return;
    flush();
    if (isRecording() && !m_store->finishRun(m_runId, QDateTime::currentDateTimeUtc()))
        reportFailure();
    m_finished = true;
}
