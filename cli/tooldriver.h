#pragma once

#include "cli/cliarguments.h"
#include "cli/rowsinorder.h"
#include "report/reportwriter.h"
#include "search/checkresult.h"
#include "search/searchcontext.h"
#include "workers/siterankingrun.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVector>

class MiningRun;
class ProgressReporter;
class ResultOutput;
class RunRecorder;

// Runs the command's site-ranking or mine batch with the window's workers.
// Site ranking writes its rows in input order (keywords finish in any
// order); mining writes each keyword as it is found.
class ToolDriver : public QObject
{
    Q_OBJECT

public:
    ToolDriver(const CliOptions &options, const QStringList &lines, const SearchContext &context,
               ResultOutput *output, ProgressReporter *progress, RunRecorder *recorder = nullptr,
               QObject *parent = nullptr);
    ~ToolDriver() override;

    void start();
    // Aborts the transfers in flight; finished() follows.
    void stop();

    bool wasStopped() const { return m_stopped; }
    // Site ranking: some keyword is 异常; mining: some request failed.
    bool sawFailure() const { return m_failed > 0; }
    QList<QStringList> rows() const { return m_rows.written(); }
    QList<ReportTotal> totals() const;

signals:
    void finished();

private:
    void acceptSiteResult(int index);
    void finishRun();

    const CliOptions m_options;
    const QStringList m_lines;
    const SearchContext m_context;
    ProgressReporter *m_progress;
    RunRecorder *m_recorder; // null: the run is not kept

    SiteRankingRun m_run;
    QFutureWatcher<SiteRankingResult> m_watcher;
    MiningRun *m_mining = nullptr;

    RowsInOrder m_rows;
    int m_received = 0;
    int m_top10 = 0;
    int m_top30 = 0;
    int m_beyond30 = 0;
    int m_failed = 0;
    bool m_stopped = false;
    bool m_finished = false;
    QElapsedTimer m_clock;
};
