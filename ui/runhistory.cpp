#include "runhistory.h"

#include "linechange.h"

#include <QtConcurrent>

RunHistory::RunHistory(const QString &tool, StoreAccess store, QObject *parent)
    : QObject(parent), m_tool(tool), m_store(std::move(store))
{
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(RunRecorder::kFlushIntervalMs);
    connect(&m_flushTimer, &QTimer::timeout, this, [this] {
        if (m_recorder)
            m_recorder->flush();
    });
    connect(&m_lookup, &QFutureWatcher<QHash<QString, StoredLine>>::finished, this, [this] {
        m_previous = m_lookup.result();
        m_previousKnown = true;
        emit previousReady();
    });
}

RunHistory::~RunHistory()
{
    m_lookup.disconnect(this);
    m_lookup.waitForFinished();
}

void RunHistory::begin(const QString &device, int lineCount)
{
    HistoryStore *store = m_store();
    m_recorder = std::make_unique<RunRecorder>(store, [this](const QString &why) { emit failed(why); });
    StoredRun run;
    run.tool = m_tool;
    run.device = device;
    run.lineCount = lineCount;
    if (m_recorder->start(run))
        lookUpPrevious(device, m_recorder->runId());
}

void RunHistory::resume(const StoredRun &run)
{
    m_recorder = std::make_unique<RunRecorder>(m_store(), [this](const QString &why) { emit failed(why); });
    m_recorder->resume(run.id);
    lookUpPrevious(run.device, run.id);
}

void RunHistory::lookUpPrevious(const QString &device, qint64 runId)
{
    m_previousKnown = false;
    m_previous.clear();
    m_lookup.waitForFinished();
    const QString path = m_store()->path();
    const QString tool = m_tool;
    m_lookup.setFuture(QtConcurrent::run([path, tool, device, runId] {
        HistoryStore store(path);
        return store.latestLines(tool, device, runId);
    }));
}

void RunHistory::record(const StoredLine &line)
{
    if (!m_recorder || !m_recorder->isRecording())
        return;
    m_recorder->add(line);
    // Lines gathered while results pause are written all the same.
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void RunHistory::end()
{
    m_flushTimer.stop();
    if (m_recorder)
        m_recorder->finish();
}

QString RunHistory::changeOf(const StoredLine &line) const
{
    const auto before = m_previous.constFind(line.key);
    return before == m_previous.cend() ? QString() : describeChange(m_tool, *before, line);
}
