#pragma once

#include "cli/cliarguments.h"
#include "cli/rowsinorder.h"
#include "search/checkresult.h"
#include "search/searchcontext.h"
#include "workers/rankingrun.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVector>

#include <functional>

class ProgressReporter;
class ResultOutput;
class RunRecorder;
class SlcxThread;
struct StoredLine;

// Runs one command-line batch with the window's workers: SlcxThread for
// inclusion, RankingRun for ranking. Ranking results arrive in any order, so
// each result waits until every earlier line's result has been written.
// With a recorder, every result is also stored in the history as it arrives.
class BatchDriver : public QObject
{
    Q_OBJECT

public:
    BatchDriver(const CliOptions &options, const QStringList &lines, const SearchContext &context,
                ResultOutput *output, ProgressReporter *progress, RunRecorder *recorder = nullptr,
                QObject *parent = nullptr);
    ~BatchDriver() override;

    // Called on this object's thread with each failed line's reason, as it arrives.
    void setFailureListener(std::function<void(const QString &)> listener)
    {
        m_failureListener = std::move(listener);
    }

    void start();
    // As the window's stop button: inclusion finishes the line in progress,
    // ranking aborts the transfers in flight. finished() follows.
    void stop();

    bool wasStopped() const { return m_stopped; }
    // Some line's status or position is "异常".
    bool sawFailure() const { return m_failed > 0; }
    int failed() const { return m_failed; }
    int notIncluded() const { return m_notIncluded; }
    int received() const { return m_received; }
    int hits() const { return m_hits; }
    // The rows written, in input order.
    QList<QStringList> rows() const { return m_rows.written(); }

signals:
    void finished();

private:
    // Line index's result as stored; failed: the line got no verdict.
    void acceptResult(const StoredLine &line, bool included, bool notIncluded, bool failed,
                      const QString &failure = QString());
    void collectStoredRankingResults();
    void finishRun();

    const CliOptions m_options;
    const QStringList m_lines;
    const SearchContext m_context;
    ProgressReporter *m_progress;
    RunRecorder *m_recorder;

    SlcxThread *m_thread = nullptr;
    RankingRun m_run;
    QFutureWatcher<RankingResult> m_watcher;

    RowsInOrder m_rows;
    int m_received = 0;
    int m_hits = 0;
    int m_notIncluded = 0;
    int m_failed = 0;
    bool m_stopped = false;
    bool m_finished = false;
    QElapsedTimer m_clock;
    std::function<void(const QString &)> m_failureListener;
};
