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
// record() gathers each
// result as it arrives; a batch at a time is written, at most every flush
// interval, by a thread of its own with a connection of its own, so neither
// writing nor a locked database ever holds up the window. Once the run is
// open, the latest result of each line in earlier runs of the same tool and
// device is known (previousReady()), and changeOf() says what changed since.
// A history that cannot be used is said once per run through failed(); the
// run goes on without it.
class RunHistory : public QObject
{
    Q_OBJECT

public:
    static constexpr int kFlushIntervalMs = 500;

    RunHistory(Tool tool, const QString &path, QObject *parent = nullptr);
    // Writes what is gathered and waits for the writer.
    ~RunHistory() override;

    void begin(Device device, int lineCount, const SearchContext &context);
    void resume(const StoredRun &run);
    void record(const StoredLine &line);
    // Writes what is gathered and the run's end.
    void end();
    // Waits until everything handed over so far is written.
    void sync();

    bool knowsPrevious() const { return m_previousKnown; }
    QString changeOf(const StoredLine &line) const;

signals:
    void failed(const QString &message);
    void previousReady();

private:
    void flush();
    void opened(int generation, const QHash<QString, StoredLine> &previous);

    const Tool m_tool;
    const QString m_toolKey;
    QThread m_thread;
    HistoryWriter *m_writer;
    QList<StoredLine> m_pending;
    QHash<QString, StoredLine> m_previous;
    bool m_previousKnown = false;
    int m_generation = 0; // the run the answers belong to
    QTimer m_flushTimer;
};
