#include "cli/rundriver.h"

#include "cli/progressreporter.h"
#include "history/linechange.h"
#include "history/runrecorder.h"
#include "history/runsummary.h"
#include "report/runreport.h"

#include <QTimer>

#include <numeric>

namespace {
// The site ranking progress counts the keywords the site ranks for.
const QString kRanked = QStringLiteral("前30");
} // namespace

RunDriver::RunDriver(Tool tool, BatchRunner *runner, const QStringList &lines, Device device,
                     const SearchContext &context, const QStringList &siteHosts, ResultOutput *output,
                     ProgressReporter *progress, RunRecorder *recorder, QObject *parent)
    : QObject(parent),
      m_tool(tool == Tool::SiteRanking ? siteRankingDescriptor(siteHosts) : toolDescriptor(tool)),
      m_runner(runner), m_lines(lines), m_device(device), m_context(context), m_siteHosts(siteHosts),
      m_progress(progress), m_recorder(recorder), m_rows(output, lines.size())
{
    m_runner->setParent(this);
    connect(m_runner, &BatchRunner::resultReady, this, &RunDriver::accept);
    connect(m_runner, &BatchRunner::requestFailed, this, [this](const QString &what) {
        ++m_tally.failedRequests;
        m_progress->message(what);
    });
    connect(m_runner, &BatchRunner::finished, this, &RunDriver::finishRun);
}

RunDriver::~RunDriver()
{
    // The runner's destructor cuts what still runs short and waits for it.
    delete m_runner.data();
}

void RunDriver::start()
{
    m_clock.start();
    if (m_lines.isEmpty()) {
        QTimer::singleShot(0, this, &RunDriver::finishRun);
        return;
    }
    if (m_tool.statusColumn < 0)
        m_progress->setHitsLabel(kRanked);
    QVector<int> rows(m_lines.size());
    std::iota(rows.begin(), rows.end(), 0);
    m_runner->start(m_lines, rows, m_device, m_context);
}

void RunDriver::stop()
{
    if (m_finished || m_stopped)
        return;
    m_stopped = true;
    m_runner->stopAfterCurrentLine();
}

void RunDriver::accept(int row, const ResultRow &result)
{
    // Rows go out as written: the cells, then why a line is 异常.
    ResultRow written = result;
    written.cells = m_tool.writtenCells(result.cells, result.failure);
    if (m_finished || !m_rows.accept(row, written))
        return;
    if (m_recorder) {
        for (const StoredLine &line : storedLines(m_tool.tool, row, result, m_siteHosts))
            m_recorder->add(line);
    }
    m_tally.count(result);
    m_progress->hideLine();
    if (result.verdict == RowVerdict::Failed && m_failureListener)
        m_failureListener(result.failure);
    m_rows.writeReady(false);
    if (!m_tool.rowsFound) {
        const int hits = m_tool.statusColumn >= 0 ? m_tally.included : m_tally.top30;
        m_progress->update(m_tally.checked, hits, m_clock.elapsed());
    }
    m_progress->showLine();
}

QList<ReportTotal> RunDriver::totals() const
{
    // Several sites: each site's own figures after the first site's.
    return runTotals(m_tool.reportKind, m_lines.size(), m_tally) + siteTotals(m_siteHosts, m_rows.written());
}

void RunDriver::finishRun()
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_recorder)
        m_recorder->finish();
    m_progress->hideLine();
    m_rows.writeReady(true);
    m_progress->showLine();
    if (m_tool.statusColumn >= 0) {
        m_progress->finish(m_tally.included, m_tally.notIncluded, m_tally.failed, m_clock.elapsed());
    } else {
        QStringList figures;
        for (const ReportTotal &total : totals())
            figures.append(total.label + QStringLiteral("：") + total.value);
        m_progress->finishWith(figures.join(QLatin1Char(' ')), m_clock.elapsed(), !m_tool.rowsFound);
    }
    emit finished();
}
