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

RunRecorder::RunRecorder(HistoryStore *store, FailureHandler failed)
    : m_store(store), m_failedHandler(std::move(failed))
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
    return true;
}

void RunRecorder::resume(qint64 runId)
{
    m_runId = runId;
    m_failed = false;
    m_finished = false;
}

void RunRecorder::add(const StoredLine &line)
{
    if (!isRecording())
        return;
    m_finished = false;
    if (!m_store->addLines(m_runId, {line}))
        reportFailure();
}

void RunRecorder::finish()
{
    if (!isRecording() || m_finished)
        return;
    if (!m_store->finishRun(m_runId, QDateTime::currentDateTimeUtc()))
        reportFailure();
    m_finished = true;
}
