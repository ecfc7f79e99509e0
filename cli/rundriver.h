#pragma once

#include "cli/rowsinorder.h"
#include "history/tooldescriptor.h"
#include "report/reportwriter.h"
#include "search/searchcontext.h"
#include "workers/batchrunner.h"
#include "workers/resultrow.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class ProgressReporter;
class ResultOutput;
class RunRecorder;

// Runs one command-line batch of any tool through its BatchRunner, as the
// window's pages do: rows are written in input order (a row waits until the
// rows of every earlier line are out; found rows go out at once), progress
// goes to standard error, each row is kept in the history as it arrives, and
// the totals are counted by the tally of the window's tables.
class RunDriver : public QObject
{
    Q_OBJECT

public:
    // Takes the runner; siteHosts are the sites of a site ranking run, whose lines are kept under them.
    RunDriver(Tool tool, BatchRunner *runner, const QStringList &lines, Device device,
              const SearchContext &context, const QStringList &siteHosts, ResultOutput *output,
              ProgressReporter *progress, RunRecorder *recorder = nullptr, QObject *parent = nullptr);
    ~RunDriver() override;

    // Called with each failed line's reason, as it arrives.
    void setFailureListener(std::function<void(const QString &)> listener)
    {
        m_failureListener = std::move(listener);
    }

    void start();
    // As Ctrl-C asks: an inclusion run finishes the line in progress, the
    // others abort their transfers in flight. finished() follows.
    void stop();

    bool wasStopped() const { return m_stopped; }
    // Some line is "异常", or (mining) some request failed.
    bool sawFailure() const { return m_tally.failed > 0 || m_tally.failedRequests > 0; }
    const ResultTally &tally() const { return m_tally; }
    // The rows written, in input order.
    QList<QStringList> rows() const { return m_rows.written(); }
    // The totals under the report and on standard error.
    QList<ReportTotal> totals() const;

signals:
    void finished();

private:
    void accept(int row, const ResultRow &result);
    void finishRun();

    const ToolDescriptor m_tool;
    QPointer<BatchRunner> m_runner;
    const QStringList m_lines;
    const Device m_device;
    const SearchContext m_context;
    const QStringList m_siteHosts;
    ProgressReporter *m_progress;
    RunRecorder *m_recorder; // null: the run is not kept

    RowsInOrder m_rows;
    ResultTally m_tally;
    bool m_stopped = false;
    bool m_finished = false;
    QElapsedTimer m_clock;
    std::function<void(const QString &)> m_failureListener;
};
