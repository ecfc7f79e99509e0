#pragma once

#include "history/historystore.h"
#include "search/searchcontext.h"

#include <functional>

// A run of tool about to start on device ("pc", "mobile", or empty for a tool
// without one) with the context's pacing and proxies.
StoredRun runStarting(const QString &tool, const QString &device, int lineCount,
                      const SearchContext &context);

// Stores one run in the history while it progresses. Every line added is
// committed before add() returns, so whatever the caller shows or prints
// after it survives the process however it ends (a kill, a crash); finish()
// writes the run's end.
//
// The first failure (a locked, corrupt or full database) is handed to the
// failure handler once; the recorder then stops writing and the run it
// serves goes on without history.
class RunRecorder
{
public:
    using FailureHandler = std::function<void(const QString &message)>;

    explicit RunRecorder(HistoryStore *store, FailureHandler failed = FailureHandler());
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
    // Writes the run's end; again after more lines were added.
    void finish();

private:
    void reportFailure();

    HistoryStore *m_store;
    FailureHandler m_failedHandler;
    qint64 m_runId = 0;
    bool m_failed = false;
    bool m_finished = false;
};
