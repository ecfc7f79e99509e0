#pragma once

#include "history/historystore.h"
#include "search/searchcontext.h"

#include <QElapsedTimer>

#include <functional>

// A run of tool about to start on device ("pc", "mobile", or empty for a tool
// without one) with the context's pacing and proxies.
StoredRun runStarting(const QString &tool, const QString &device, int lineCount,
                      const SearchContext &context);

// Stores one run in the history while it progresses. Lines are gathered and
// written a batch per transaction, once the flush interval has passed since
// the last write (or the batch is full), so the thread that receives results
// pays one short write now and then rather than one per line. finish() writes
// the rest and the run's end.
//
// The first failure (a locked, corrupt or full database) is handed to the
// failure handler once; the recorder then stops writing and the run it
// serves goes on without history.
class RunRecorder
{
public:
    using FailureHandler = std::function<void(const QString &message)>;

    static constexpr int kFlushIntervalMs = 500;
    static constexpr int kMaxBatch = 2000;

    explicit RunRecorder(HistoryStore *store, FailureHandler failed = FailureHandler(),
                         int flushIntervalMs = kFlushIntervalMs);
    ~RunRecorder();
    RunRecorder(const RunRecorder &) = delete;
    RunRecorder &operator=(const RunRecorder &) = delete;

    // Opens the run in the store; false when it could not be stored.
    bool start(const StoredRun &run);
    // Goes on with a run stored before: lines added replace those of the same index.
    void resume(qint64 runId);
    bool isRecording() const { return m_runId > 0 && !m_failed; }
    qint64 runId() const { return m_runId; }

    void add(const StoredLine &line);
    // Writes what was gathered now, whatever the interval says.
    void flush();
    // Writes the rest and the run's end; again after more lines were added.
    void finish();

private:
    void reportFailure();

    HistoryStore *m_store;
    FailureHandler m_failedHandler;
    const int m_flushIntervalMs;
    qint64 m_runId = 0;
    bool m_failed = false;
    bool m_finished = false;
    QList<StoredLine> m_pending;
    QElapsedTimer m_sinceFlush;
};
