#include "cli/tooldriver.h"

#include "cli/progressreporter.h"
#include "cli/resultoutput.h"
#include "history/linechange.h"
#include "history/runrecorder.h"
#include "report/runreport.h"
#include "search/resultstrings.h"
#include "workers/miningrun.h"

#include <QCoreApplication>
#include <QTimer>

namespace {
const QString kFailedRequest = QStringLiteral("「%1」%2失败：%3");
const QString kRanked = QStringLiteral("前30");
} // namespace

ToolDriver::ToolDriver(const CliOptions &options, const QStringList &lines, const SearchContext &context,
                       ResultOutput *output, ProgressReporter *progress, RunRecorder *recorder,
                       QObject *parent)
    : QObject(parent), m_options(options), m_lines(lines), m_context(context), m_progress(progress),
      m_recorder(recorder), m_rows(output, lines.size())
{
}

ToolDriver::~ToolDriver()
{
    delete m_mining;
    m_watcher.disconnect(this);
    m_run.cancelAndWait();
}

void ToolDriver::start()
{
    m_clock.start();
    if (m_lines.isEmpty()) {
        QTimer::singleShot(0, this, &ToolDriver::finishRun);
        return;
    }
    if (m_options.command == CliCommand::Mine) {
        MiningOptions mining;
        mining.depth = m_options.depth;
        mining.limit = m_options.limit;
        m_mining = new MiningRun(m_lines, mining, m_context);
        connect(
            m_mining, &MiningRun::found, this,
            [this](const MinedKeyword &keyword) {
                if (m_recorder)
                    m_recorder->add(storedLine(m_rows.written().size(), keyword));
                m_rows.writeNow(keyword.cells());
            },
            Qt::QueuedConnection);
        connect(
            m_mining, &MiningRun::failed, this,
            [this](const QString &keyword, const QString &source, const QString &why) {
                ++m_failed;
                m_progress->message(kFailedRequest.arg(keyword, source, why));
            },
            Qt::QueuedConnection);
        connect(m_mining, &MiningRun::threadEnd, this, &ToolDriver::finishRun, Qt::QueuedConnection);
        m_mining->start();
        return;
    }
    m_progress->setHitsLabel(kRanked);
    connect(&m_watcher, &QFutureWatcher<SiteRankingResult>::resultReadyAt, this,
            &ToolDriver::acceptSiteResult);
    connect(&m_watcher, &QFutureWatcher<SiteRankingResult>::finished, this, &ToolDriver::finishRun);
    m_run = SiteRankingRun::start(m_lines, SiteRule::parse(m_options.site), m_options.deviceMode, m_context);
    m_watcher.setFuture(m_run.future());
}

void ToolDriver::stop()
{
    if (m_finished || m_stopped)
        return;
    m_stopped = true;
    if (m_mining)
        m_mining->stop();
    else
        m_run.cancel();
}

void ToolDriver::acceptSiteResult(int index)
{
    const QFuture<SiteRankingResult> future = m_run.future();
    if (m_finished || index < 0 || index >= m_lines.size() || m_rows.hasArrived(index) ||
        !future.isResultReadyAt(index))
        return;
    const SiteRankingResult result = future.resultAt(index);
    m_rows.accept(index, result.cells());
    if (m_recorder)
        m_recorder->add(storedLine(index, result, SiteRule::parse(m_options.site).host()));
    ++m_received;
    const int best = result.bestPosition();
    m_top10 += best >= 1 && best <= 10;
    m_top30 += best >= 1;
    m_beyond30 += result.position == ResultText::kPositionBeyond;
    m_failed += result.isFailed();
    m_progress->hideLine();
    m_rows.writeReady(false);
    m_progress->update(m_received, m_top30, m_clock.elapsed());
    m_progress->showLine();
}

QList<ReportTotal> ToolDriver::totals() const
{
    if (m_options.command == CliCommand::Mine)
        return miningTotals(m_lines.size(), m_rows.written().size(), m_failed);
    return siteRankingTotals(m_lines.size(), m_top10, m_top30, m_beyond30, m_failed);
}

void ToolDriver::finishRun()
{
    if (m_finished)
        return;
    if (m_mining) {
        m_mining->wait();
        // Keywords found before the end are still queued to this object.
        QCoreApplication::sendPostedEvents(this);
    } else {
        // After a cancel the watcher reports no more, but the stored results are finished keywords.
        for (int i = 0; i < m_lines.size(); ++i)
            acceptSiteResult(i);
    }
    m_finished = true;
    if (m_recorder)
        m_recorder->finish();
    m_progress->hideLine();
    m_rows.writeReady(true);
    m_progress->showLine();
    QStringList figures;
    for (const ReportTotal &total : totals())
        figures.append(total.label + QStringLiteral("：") + total.value);
    m_progress->finishWith(figures.join(QLatin1Char(' ')), m_clock.elapsed(),
                           m_options.command != CliCommand::Mine);
    emit finished();
}
