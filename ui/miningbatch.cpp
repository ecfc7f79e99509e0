#include "ui/miningbatch.h"

MiningBatch::MiningBatch(const MiningOptions &options, QObject *parent)
    : BatchRunner(parent), m_options(options)
{
}

MiningBatch::~MiningBatch()
{
    delete m_run;
}

void MiningBatch::start(const QStringList &lines, const QVector<int> &, const QString &,
                        const SearchContext &context)
{
    m_run = new MiningRun(lines, m_options, context);
    connect(
        m_run, &MiningRun::found, this,
        [this](const MinedKeyword &keyword, int row) { emit resultReady(row, rowOf(keyword)); },
        Qt::QueuedConnection);
    connect(
        m_run, &MiningRun::failed, this, [this] { emit requestsFailed(1); }, Qt::QueuedConnection);
    connect(m_run, &MiningRun::progressed, this, &BatchRunner::progressed, Qt::QueuedConnection);
    connect(m_run, &MiningRun::threadEnd, this, &BatchRunner::finished, Qt::QueuedConnection);
    m_run->start();
}

void MiningBatch::stop()
{
    if (m_run)
        m_run->stop();
}

ResultRow MiningBatch::rowOf(const MinedKeyword &keyword)
{
    return ResultRow{keyword.cells(), RowVerdict::Undecided, 0, false};
}
