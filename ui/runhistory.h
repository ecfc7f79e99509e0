#pragma once

#include "historystore.h"
#include "runrecorder.h"

#include <QFutureWatcher>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

// Keeps one query page's runs in the history. begin() opens a run (resume()
// goes on with one opened from the history), record() stores each result as
// it arrives, a batch at most every flush interval, and changeOf() says what
// changed since the line's previous run of the same tool and device. Those
// previous results are read on a worker thread with a connection of its own,
// so the page never waits for them; previousReady() says when rows shown
// before can get their change. A history that cannot be used is said once
// through failed(); the run goes on without it.
class RunHistory : public QObject
{
    Q_OBJECT

public:
    using StoreAccess = std::function<HistoryStore *()>;

    RunHistory(const QString &tool, StoreAccess store, QObject *parent = nullptr);
    // Waits for a lookup still under way.
    ~RunHistory() override;

    void begin(const QString &device, int lineCount);
    void resume(const StoredRun &run);
    void record(const StoredLine &line);
    // Writes what waits and the run's end.
    void end();

    bool knowsPrevious() const { return m_previousKnown; }
    QString changeOf(const StoredLine &line) const;
    qint64 runId() const { return m_recorder ? m_recorder->runId() : 0; }

signals:
    void failed(const QString &message);
    void previousReady();

private:
    void lookUpPrevious(const QString &device, qint64 runId);

    const QString m_tool;
    StoreAccess m_store;
    std::unique_ptr<RunRecorder> m_recorder;
    QFutureWatcher<QHash<QString, StoredLine>> m_lookup;
    QHash<QString, StoredLine> m_previous;
    bool m_previousKnown = false;
    QTimer m_flushTimer;
};
