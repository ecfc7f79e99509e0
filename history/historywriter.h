#pragma once

#include "history/historystore.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>

#include <memory>

// The writing side of RunHistory, living on its thread: opens the store there
// at first use, opens or resumes a run and reads what its lines compare
// with, and writes the batches it is handed. A run's end is written once,
// with the time the page saw it end; again only after more lines came (a
// re-check goes on with the run). After a failure it writes nothing more
// until the next run.
class HistoryWriter : public QObject
{
    Q_OBJECT

public:
    HistoryWriter(const QString &tool, const QString &path);
    ~HistoryWriter() override;

public slots:
    void begin(int generation, const StoredRun &run);
    void resume(int generation, const StoredRun &run);
    void write(const QList<StoredLine> &lines);
    void finish(const QDateTime &endedAt);

signals:
    void opened(int generation, const QHash<QString, StoredLine> &previous);
    void failed(const QString &message);
    // A batch handed to write() is done with: committed, or given up after failed().
    void wrote();

private:
    bool usable();
    void fail();

    const QString m_tool;
    const QString m_path;
    std::unique_ptr<HistoryStore> m_store;
    qint64 m_runId = 0;
    bool m_failed = false;
    bool m_ended = false; // the run's end is written and no line came since
};
