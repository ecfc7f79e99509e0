#pragma once

#include "search/searchcontext.h"
#include "search/siterule.h"
#include "workers/device.h"
#include "workers/miningrun.h"
#include "workers/resultrow.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

// The four tools of the window and the command.
enum class Tool
{
    Inclusion,   // 收录查询
    Ranking,     // 排名查询
    SiteRanking, // 泛排名查询
    Mining       // 关键词挖掘
};

// What a run of a tool needs beside its lines: the sites of 泛排名查询 (up
// to ten, each keyword page read once for all), the depth and limit of
// 关键词挖掘. The other tools need nothing.
struct RunOptions
{
    QList<SiteRule> sites;
    MiningOptions mining;
};

// How a batch of lines is checked, the same for the window's pages and the
// command. One object per batch: start() it once; it reports resultReady()
// per checked line, for the row that line belongs to, and finished() once at
// the end, also after a stop. Deleting it cuts what still runs short and waits.
class BatchRunner : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // rows[i] is the row of lines[i]; a runner whose rows are found (mining)
    // numbers them itself from 0 and ignores rows and device.
    virtual void start(const QStringList &lines, const QVector<int> &rows, Device device,
                       const SearchContext &context) = 0;
    // Cuts the transfers in flight short without waiting; lines cut short
    // report nothing. finished() follows.
    virtual void stop() = 0;
    // Starts no further line and lets the one in progress finish and report,
    // where the lines run one at a time (inclusion); elsewhere as stop().
    virtual void stopAfterCurrentLine() { stop(); }

signals:
    void resultReady(int row, const ResultRow &result);
    // From runners whose rows are found rather than checked lines: how far
    // the run has come, and each request that failed without a row of its
    // own, in words for the user.
    void progressed(int done, int total);
    void requestFailed(const QString &what);
    void finished();
};

// The runner of a tool's next batch.
BatchRunner *newBatchRunner(Tool tool, const RunOptions &options = RunOptions(), QObject *parent = nullptr);
