#pragma once

#include "search/checkresult.h"
#include "ui/batchrunner.h"
#include "workers/rankingrun.h"

#include <QFutureWatcher>
#include <QVector>

// A ranking batch on the global thread pool (RankingRun); lines finish in any order.
class RankingBatch : public BatchRunner
{
    Q_OBJECT

public:
    explicit RankingBatch(QObject *parent = nullptr);
    // Aborts the transfers in flight and waits for the lines in progress.
    ~RankingBatch() override;

    void start(const QStringList &lines, const QVector<int> &rows, const QString &deviceMode,
               const SearchContext &context) override;
    void stop() override;

    // Reports the result of line i of this batch, if it is ready and not reported yet.
    void deliver(int i);

    static ResultRow rowOf(const RankingResult &result);

private:
    void end();

    RankingRun m_run;
    QFutureWatcher<RankingResult> *m_watcher;
    QVector<int> m_rows;
    QVector<bool> m_delivered;
};
