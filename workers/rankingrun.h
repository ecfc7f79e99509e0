#pragma once

#include "searchendpoints.h"

#include <QFuture>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

// One ranking batch: rankDesktop ("dnd") or rankMobile (any other mode)
// mapped over the prepared lines on the global thread pool. Result i of the
// future belongs to line i. Copies share the same run.
class RankingRun
{
public:
    // An empty, finished run: cancelling it does nothing.
    RankingRun();

    static RankingRun start(const QStringList &lines, const QString &deviceMode,
                            const SearchEndpoints &endpoints = SearchEndpoints());

    QFuture<QString> future() const { return m_future; }

    // No further line starts, and transfers in flight for this run (only) are
    // aborted, so the lines in progress return at once; their results are dropped.
    void cancel();
    // cancel(), then wait until the lines in progress have returned.
    void cancelAndWait();

private:
    QFuture<QString> m_future;
    std::shared_ptr<std::atomic<bool>> m_abort;
};
