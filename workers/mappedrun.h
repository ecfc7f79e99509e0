#pragma once

#include "search/layoutdriftguard.h"
#include "search/requestgate.h"
#include "search/searchcontext.h"

#include <QFuture>
#include <QFutureInterface>
#include <QStringList>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <atomic>
#include <memory>

// A batch whose lines are checked by one function mapped on the global thread
// pool: result i of the future belongs to line i. Copies share the same run.
// It cancels itself when the context's drift guard trips.
// Stop it through cancel()/cancelAndWait(), not through the future's own
// cancel(): only these abort the run's transfers in flight.
template <typename Result> class MappedRun
{
public:
    QFuture<Result> future() const { return m_future; }

    // No further line starts, and transfers in flight for this run (only) are
    // aborted, so the lines in progress return at once; their results are dropped.
    // Harmless on a finished run: its results stay readable.
    void cancel()
    {
        if (!m_abort || m_future.isFinished())
            return;
        // Cancel first: a line whose transfer the flag cuts short returns "异常",
        // and that result must find the future already refusing results.
        m_future.cancel();
        m_abort->store(true);
    }

    // cancel(), then wait until the lines in progress have returned.
    void cancelAndWait()
    {
        cancel();
        m_future.waitForFinished();
    }

protected:
    // Maps makeCheck(abortFlag) over lines; the check reads the flag the run's cancel() sets.
    template <typename MakeCheck>
    void begin(const QStringList &lines, const SearchContext &context, MakeCheck makeCheck)
    {
        m_abort = std::make_shared<std::atomic<bool>>(false);
        if (lines.isEmpty()) {
            // Finished without ever starting: a watcher then reports only the end,
            // no progress range that would turn the bar into a busy indicator.
            QFutureInterface<Result> finished;
            finished.reportFinished();
            m_future = finished.future();
            return;
        }
        if (context.gate) {
            // Enough pool threads for the lines the gate lets run at once; those
            // beyond wait in the gate, not in the pool's queue.
            QThreadPool *pool = QThreadPool::globalInstance();
            pool->setMaxThreadCount(
                std::max(pool->maxThreadCount(), context.gate->settings().maxLinesInFlight));
        }
        m_future = QtConcurrent::mapped(lines, makeCheck(m_abort));
        // A change of Baidu's markup stops the run as cancel() does.
        if (context.driftGuard) {
            QFuture<Result> future = m_future;
            const std::shared_ptr<std::atomic<bool>> abort = m_abort;
            context.driftGuard->addTripHandler([future, abort]() mutable {
                future.cancel();
                abort->store(true);
            });
        }
    }

private:
    QFuture<Result> m_future;
    std::shared_ptr<std::atomic<bool>> m_abort;
};
