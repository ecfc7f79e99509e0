#include "ui/siterankingbatch.h"

#include "search/resultstrings.h"

SiteRankingBatch::SiteRankingBatch(const SiteRule &site, QObject *parent)
    : BatchRunner(parent), m_site(site), m_watcher(new QFutureWatcher<SiteRankingResult>(this))
{
    connect(m_watcher, &QFutureWatcher<SiteRankingResult>::resultReadyAt, this, &SiteRankingBatch::deliver);
    connect(m_watcher, &QFutureWatcher<SiteRankingResult>::finished, this, &SiteRankingBatch::end);
}

SiteRankingBatch::~SiteRankingBatch()
{
    m_watcher->disconnect(this);
    m_run.cancelAndWait();
}

void SiteRankingBatch::start(const QStringList &lines, const QVector<int> &rows, const QString &deviceMode,
                             const SearchContext &context)
{
    m_rows = rows;
    m_delivered = QVector<bool>(lines.size(), false);
    m_run = SiteRankingRun::start(lines, m_site, deviceMode, context);
    m_watcher->setFuture(m_run.future());
}

void SiteRankingBatch::stop()
{
    m_run.cancel();
}

void SiteRankingBatch::deliver(int i)
{
    const QFuture<SiteRankingResult> future = m_watcher->future();
    if (i < 0 || i >= m_delivered.size() || m_delivered.at(i) || !future.isResultReadyAt(i))
        return;
    m_delivered[i] = true;
    emit resultReady(m_rows.value(i, i), rowOf(future.resultAt(i)));
}

void SiteRankingBatch::end()
{
    // Results stored before a stop are finished keywords.
    for (int i = 0; i < m_delivered.size(); ++i)
        deliver(i);
    emit finished();
}

ResultRow SiteRankingBatch::rowOf(const SiteRankingResult &result)
{
    ResultRow row{result.cells(), RowVerdict::Undecided, 0, false};
    if (result.isFailed())
        row.verdict = RowVerdict::Failed;
    else if (result.position == ResultText::kPositionBeyond)
        row.position = ResultRow::kBeyond;
    else
        row.position = result.bestPosition();
    return row;
}
