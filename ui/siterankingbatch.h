#pragma once

#include "search/checkresult.h"
#include "search/siterule.h"
#include "ui/batchrunner.h"
#include "workers/siterankingrun.h"

#include <QFutureWatcher>
#include <QVector>

// A site ranking batch on the global thread pool (SiteRankingRun) for one
// site; keywords finish in any order.
class SiteRankingBatch : public BatchRunner
{
    Q_OBJECT

public:
    SiteRankingBatch(const SiteRule &site, QObject *parent = nullptr);
    // Aborts the transfers in flight and waits for the keywords in progress.
    ~SiteRankingBatch() override;

    void start(const QStringList &lines, const QVector<int> &rows, const QString &deviceMode,
               const SearchContext &context) override;
    void stop() override;

    static ResultRow rowOf(const SiteRankingResult &result);

private:
    void deliver(int i);
    void end();

    const SiteRule m_site;
    SiteRankingRun m_run;
    QFutureWatcher<SiteRankingResult> *m_watcher;
    QVector<int> m_rows;
    QVector<bool> m_delivered;
};
