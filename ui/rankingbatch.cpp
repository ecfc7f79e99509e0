#include "ui/rankingbatch.h"

#include "search/resultstrings.h"

RankingBatch::RankingBatch(QObject *parent)
    : BatchRunner(parent), m_watcher(new QFutureWatcher<RankingResult>(this))
{
    connect(m_watcher, &QFutureWatcher<RankingResult>::resultReadyAt, this, &RankingBatch::deliver);
    connect(m_watcher, &QFutureWatcher<RankingResult>::finished, this, &RankingBatch::end);
}

RankingBatch::~RankingBatch()
{
    m_watcher->disconnect(this);
    m_run.cancelAndWait();
}

void RankingBatch::start(const QStringList &lines, const QVector<int> &rows, const QString &deviceMode,
                         const SearchContext &context)
{
    m_rows = rows;
    m_delivered = QVector<bool>(lines.size(), false);
    m_run = RankingRun::start(lines, deviceMode, context);
    m_watcher->setFuture(m_run.future());
}

void RankingBatch::stop()
{
    m_run.cancel();
}

void RankingBatch::deliver(int i)
{
    const QFuture<RankingResult> future = m_watcher->future();
    if (i < 0 || i >= m_delivered.size() || m_delivered.at(i) || !future.isResultReadyAt(i))
        return;
    m_delivered[i] = true;
    emit resultReady(m_rows.value(i, i), rowOf(future.resultAt(i)));
}

void RankingBatch::end()
{
    // After a stop the watcher reports no more results, but those stored
    // before it are finished lines.
    for (int i = 0; i < m_delivered.size(); ++i)
        deliver(i);
    emit finished();
}

ResultRow RankingBatch::rowOf(const RankingResult &result)
{
    RowVerdict verdict = RowVerdict::Undecided;
    if (result.isFailed())
        verdict = RowVerdict::Failed;
    else if (result.isIncluded())
        verdict = RowVerdict::Included;
    else if (result.status == ResultText::kNotIncluded)
        verdict = RowVerdict::NotIncluded;
    int position = 0;
    if (result.position == ResultText::kPositionBeyond) {
        position = ResultRow::kBeyond;
    } else {
        bool number = false;
        const int value = result.position.toInt(&number);
        if (number && value > 0)
            position = value;
    }
    return ResultRow{result.cells(), verdict, position, result.isIncluded()};
}
