#include "cli/batchdriver.h"

#include "cli/progressreporter.h"
#include "cli/resultoutput.h"
#include "history/linechange.h"
#include "history/runrecorder.h"
#include "search/resultstrings.h"
#include "workers/slcxthread.h"

#include <QTimer>

BatchDriver::BatchDriver(const CliOptions &options, const QStringList &lines, const SearchContext &context,
                         ResultOutput *output, ProgressReporter *progress, RunRecorder *recorder,
                         QObject *parent)
    : QObject(parent), m_options(options), m_lines(lines), m_context(context), m_progress(progress),
      m_recorder(recorder), m_rows(output, lines.size())
{
}

BatchDriver::~BatchDriver()
{
    if (m_thread) {
        m_thread->stop();
        m_thread->wait();
        delete m_thread;
    }
    m_watcher.disconnect(this);
    m_run.cancelAndWait();
}

void BatchDriver::start()
{
    m_clock.start();
    if (m_lines.isEmpty()) {
        QTimer::singleShot(0, this, &BatchDriver::finishRun);
        return;
    }
    if (m_options.kind == QueryKind::Inclusion) {
        m_thread = new SlcxThread(m_lines, m_options.deviceMode, m_context);
        connect(
            m_thread, &SlcxThread::send, this,
            [this](const InclusionResult &result, int i) {
                acceptResult(storedLine(i, result), result.isIncluded(),
                             result.status == ResultText::kNotIncluded, result.isFailed(), result.failure);
            },
            Qt::QueuedConnection);
        connect(m_thread, &SlcxThread::threadEnd, this, &BatchDriver::finishRun, Qt::QueuedConnection);
        m_thread->start();
        return;
    }
    connect(&m_watcher, &QFutureWatcher<RankingResult>::resultReadyAt, this, [this](int index) {
        const RankingResult result = m_watcher.resultAt(index);
        acceptResult(storedLine(index, result), result.isIncluded(),
                     result.status == ResultText::kNotIncluded, result.isFailed(), result.failure);
    });
    connect(&m_watcher, &QFutureWatcher<RankingResult>::finished, this, &BatchDriver::finishRun);
    m_run = RankingRun::start(m_lines, m_options.deviceMode, m_context);
    m_watcher.setFuture(m_run.future());
}

void BatchDriver::stop()
{
    if (m_finished || m_stopped)
        return;
    m_stopped = true;
    if (m_thread)
        m_thread->stop();
    else
        m_run.cancel();
}

void BatchDriver::acceptResult(const StoredLine &line, bool included, bool notIncluded, bool failed,
                               const QString &failure)
{
    const int index = line.index;
    if (m_finished || !m_rows.accept(index, line.cells))
        return;
    if (m_recorder)
        m_recorder->add(line);
    ++m_received;
    m_hits += included;
    m_notIncluded += notIncluded;
    m_failed += failed;
    m_progress->hideLine();
    if (failed && m_failureListener)
        m_failureListener(failure);
    m_rows.writeReady(false);
    m_progress->update(m_received, m_hits, m_clock.elapsed());
    m_progress->showLine();
}

// After a cancel the watcher no longer reports results, but those stored
// before it are finished lines and belong in the output.
void BatchDriver::collectStoredRankingResults()
{
    const QFuture<RankingResult> future = m_run.future();
    for (int i = 0; i < m_lines.size(); ++i) {
        if (!m_rows.hasArrived(i) && future.isResultReadyAt(i)) {
            const RankingResult result = future.resultAt(i);
            acceptResult(storedLine(i, result), result.isIncluded(),
                         result.status == ResultText::kNotIncluded, result.isFailed(), result.failure);
        }
    }
}

void BatchDriver::finishRun()
{
    if (m_finished)
        return;
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
    }
    if (m_options.kind == QueryKind::Ranking && !m_lines.isEmpty())
        collectStoredRankingResults();
    m_finished = true;
    if (m_recorder)
        m_recorder->finish();
    m_progress->hideLine();
    m_rows.writeReady(true);
    m_progress->showLine();
    m_progress->finish(m_hits, m_notIncluded, m_failed, m_clock.elapsed());
    emit finished();
}
