#pragma once

#include "history/historystore.h"
#include "search/searchcontext.h"
#include "workers/batchrunner.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QThread>
#include <QTimer>

class HistoryWriter;

// Keeps the runs of one tool that a page of the window makes in the history.
// begin() opens a run (resume() goes on with one opened from the history) and
// record() hands each result on as it arrives: the results of one turn of the
// event loop go together, before the page shows them, to a thread of its own
// with a connection of its own, which commits them at once; so the history
// holds every row the window shows however the process ends, and neither
// writing nor a locked database ever holds up the window. Once the run is
// open, the latest result of each line in earlier runs of the same tool and
// device is known (previousReady()), and changeOf() says what changed since.
// A history that cannot be used is said once per run through failed(); the
// run goes on without it.
class RunHistory : public QObject
{
    Q_OBJECT

public:
    RunHistory(Tool tool, const QString &path, QObject *parent = nullptr);
    // Writes what is gathered and waits for the writer.
    ~RunHistory() override;

    // sites: a site ranking run's hosts, in its order; pagesFolder: where its 异常 pages are kept.
    void begin(Device device, int lineCount, const SearchContext &context,
               const QStringList &sites = QStringList(), const QString &pagesFolder = QString());
    void resume(const StoredRun &run);
    void record(const StoredLine &line);
    // Writes what is gathered and the run's end, now: call it when the run
    // finishes or has stopped. Beginning the next run ends none.
    void end();
    // Waits until everything handed over so far is written.
    void sync();

    // Hands what is gathered to the writer now.
    void flush();
    // Some result recorded is not committed yet; written() follows once all are.
    bool isWriting() const { return !m_pending.isEmpty() || m_batchesInFlight > 0; }

    bool knowsPrevious() const { return m_previousKnown; }
    QString changeOf(const StoredLine &line) const;

signals:
    void failed(const QString &message);
    void previousReady();
    void written();
    // A run's end is kept (after end()): the id it is stored under.
    void ended(qint64 runId);

private:
    void opened(int generation, const QHash<QString, StoredLine> &previous);

    const Tool m_tool;
    const QString m_toolKey;
    QThread m_thread;
    HistoryWriter *m_writer;
    QList<StoredLine> m_pending;
    QHash<QString, StoredLine> m_previous;
    bool m_previousKnown = false;
    int m_generation = 0; // the run the answers belong to
    int m_batchesInFlight = 0;
    QTimer m_flushTimer;
};
