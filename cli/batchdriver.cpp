#include "batchdriver.h"

#include "progressreporter.h"
#include "reportwriter.h"
#include "resultoutput.h"
#include "resultstrings.h"
#include "slcxthread.h"

#include <QTimer>

namespace {
const int kStatusField = 2;
const int kPositionField = 3;

ReportKind reportKindOf(QueryKind kind)
{
    return kind == QueryKind::Ranking ? ReportKind::Ranking : ReportKind::Inclusion;
}
} // namespace

BatchDriver::BatchDriver(const CliOptions &options, const QStringList &lines,
                         const SearchEndpoints &endpoints, ResultOutput *output, ProgressReporter *progress,
                         QObject *parent)
    : QObject(parent), m_options(options), m_lines(lines), m_endpoints(endpoints),
      m_columns(reportHeadings(reportKindOf(options.kind)).size()), m_output(output), m_progress(progress),
      m_pending(lines.size()), m_arrived(lines.size(), false)
{
}

BatchDriver::~BatchDriver()
{
    if (m_thread) {
        m_thread->requestInterruption();
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
        m_thread = new SlcxThread(m_lines, m_options.deviceMode, m_endpoints);
        connect(
            m_thread, &SlcxThread::send, this,
            [this](const QString &result, int i) { acceptResult(i, result); }, Qt::QueuedConnection);
        connect(m_thread, &SlcxThread::threadEnd, this, &BatchDriver::finishRun, Qt::QueuedConnection);
        m_thread->start();
        return;
    }
    connect(&m_watcher, &QFutureWatcher<QString>::resultReadyAt, this,
            [this](int index) { acceptResult(index, m_watcher.resultAt(index)); });
    connect(&m_watcher, &QFutureWatcher<QString>::finished, this, &BatchDriver::finishRun);
    m_run = RankingRun::start(m_lines, m_options.deviceMode, m_endpoints);
    m_watcher.setFuture(m_run.future());
}

void BatchDriver::stop()
{
    if (m_finished || m_stopped)
        return;
    m_stopped = true;
    if (m_thread)
        m_thread->requestInterruption();
    else
        m_run.cancel();
}

void BatchDriver::acceptResult(int index, const QString &result)
{
    if (index < 0 || index >= m_lines.size() || m_arrived.at(index) || m_finished)
        return;
    m_arrived[index] = true;
    m_pending[index] = result;
    ++m_received;
    const QStringList fields = splitResult(result);
    if (isIncludedResult(fields))
        ++m_hits;
    m_progress->hideLine();
    writeReadyRows(false);
    m_progress->update(m_received, m_hits, m_clock.elapsed());
    m_progress->showLine();
}

void BatchDriver::writeReadyRows(bool skipGaps)
{
    while (m_nextToWrite < m_lines.size()) {
        const int index = m_nextToWrite;
        if (!m_arrived.at(index)) {
            if (!skipGaps)
                return;
            ++m_nextToWrite;
            continue;
        }
        // The window fills exactly its columns from the first pieces and ignores the rest.
        QStringList fields = splitResult(m_pending.at(index)).mid(0, m_columns);
        while (fields.size() < m_columns)
            fields.append(QString());
        m_pending[index].clear();
        if (fields.at(kStatusField) == ResultText::kFailed ||
            (m_options.kind == QueryKind::Ranking && fields.at(kPositionField).contains(ResultText::kFailed)))
            m_failure = true;
        m_output->writeRow(fields);
        m_rows.append(fields);
        ++m_nextToWrite;
    }
}

// After a cancel the watcher no longer reports results, but those stored
// before it are finished lines and belong in the output.
void BatchDriver::collectStoredRankingResults()
{
    const QFuture<QString> future = m_run.future();
    for (int i = 0; i < m_lines.size(); ++i) {
        if (!m_arrived.at(i) && future.isResultReadyAt(i))
            acceptResult(i, future.resultAt(i));
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
    m_progress->hideLine();
    writeReadyRows(true);
    m_progress->showLine();
    m_progress->finish(m_received, m_hits, m_clock.elapsed());
    emit finished();
}
