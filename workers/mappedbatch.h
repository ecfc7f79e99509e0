#pragma once

#include "search/checkresult.h"
#include "workers/batchrunner.h"
#include "workers/rankingrun.h"
#include "workers/siterankingrun.h"

#include <QFutureWatcher>
#include <QVector>

#include <functional>

// A batch whose lines are checked on the global thread pool (a MappedRun:
// ranking, site ranking); lines finish in any order. Its watcher is a child,
// so the window and the benchmarks find it among the window's objects.
template <typename Result> class MappedBatch : public BatchRunner
{
public:
    using Run = MappedRun<Result>;
    using StartRun =
        std::function<Run(const QStringList &lines, Device device, const SearchContext &context)>;

    explicit MappedBatch(StartRun startRun, QObject *parent = nullptr)
        : BatchRunner(parent), m_startRun(std::move(startRun)), m_watcher(new QFutureWatcher<Result>(this))
    {
        connect(m_watcher, &QFutureWatcher<Result>::resultReadyAt, this, &MappedBatch::deliver);
        connect(m_watcher, &QFutureWatcher<Result>::finished, this, &MappedBatch::end);
    }

    // Aborts the transfers in flight and waits for the lines in progress.
    ~MappedBatch() override
    {
        m_watcher->disconnect(this);
        m_run.cancelAndWait();
    }

    void start(const QStringList &lines, const QVector<int> &rows, Device device,
               const SearchContext &context) override
    {
        m_rows = rows;
        m_delivered = QVector<bool>(lines.size(), false);
        m_run = m_startRun(lines, device, context);
        m_watcher->setFuture(m_run.future());
    }

    void stop() override { m_run.cancel(); }

    // Reports the result of line i of this batch, if it is ready and not reported yet.
    void deliver(int i)
    {
        const QFuture<Result> future = m_watcher->future();
        if (i < 0 || i >= m_delivered.size() || m_delivered.at(i) || !future.isResultReadyAt(i))
            return;
        m_delivered[i] = true;
        emit resultReady(m_rows.value(i, i), rowOf(future.resultAt(i)));
    }

private:
    void end()
    {
        // After a stop the watcher reports no more results, but those stored
        // before it are finished lines.
        for (int i = 0; i < m_delivered.size(); ++i)
            deliver(i);
        emit finished();
    }

    const StartRun m_startRun;
    Run m_run;
    QFutureWatcher<Result> *m_watcher;
    QVector<int> m_rows;
    QVector<bool> m_delivered;
};

using RankingBatch = MappedBatch<RankingResult>;
using SiteRankingBatch = MappedBatch<SiteRankingResult>;
