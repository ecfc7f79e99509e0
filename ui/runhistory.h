#pragma once

#include "history/historystore.h"
#include "search/searchcontext.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QThread>
#include <QTimer>

class HistoryWriter;

// Keeps one query page's runs in the history. begin() opens a run (resume()
// goes on with one opened from the history) and record() hands each result
// on as it arrives: the results of one turn of the event loop go together,
// before the page shows them, to a thread of its own with a connection of its
// own, which commits them at once; so the history holds every row the window
// shows however the process ends, and neither writing nor a locked database
// ever holds up the window. Once the run is
// open, the latest result of each line in earlier runs of the same tool and
// device is known (previousReady()), and changeOf() says what changed since.
// A history that cannot be used is said once per run through failed(); the
// run goes on without it.
class RunHistory : public QObject
{
    Q_OBJECT

public:
    RunHistory(const QString &tool, const QString &path, QObject *parent = nullptr);
    // Writes what is gathered and waits for the writer.
    ~RunHistory() override;

    void begin(const QString &device, int lineCount, const SearchContext &context);
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

    const QString m_tool;
    QThread m_thread;
    HistoryWriter *m_writer;
    QList<StoredLine> m_pending;
    QHash<QString, StoredLine> m_previous;
    bool m_previousKnown = false;
    int m_generation = 0; // the run the answers belong to
    QTimer m_flushTimer;
};
