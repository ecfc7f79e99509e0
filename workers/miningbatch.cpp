#include "workers/miningbatch.h"

namespace {
// A request that got no answer: the keyword asked for, the source and why.
const QString kFailedRequest = QStringLiteral("「%1」%2失败：%3");
} // namespace

MiningBatch::MiningBatch(const MiningOptions &options, QObject *parent)
    : BatchRunner(parent), m_options(options)
{
}

MiningBatch::~MiningBatch()
{
    delete m_run;
}

void MiningBatch::start(const QStringList &lines, const QVector<int> &, Device, const SearchContext &context)
{
    m_run = new MiningRun(lines, m_options, context);
    connect(
        m_run, &MiningRun::found, this,
        [this](const MinedKeyword &keyword, int row) { emit resultReady(row, rowOf(keyword)); },
        Qt::QueuedConnection);
    connect(
        m_run, &MiningRun::failed, this,
        [this](const QString &keyword, const QString &source, const QString &why) {
            emit requestFailed(kFailedRequest.arg(keyword, source, why));
        },
        Qt::QueuedConnection);
    connect(m_run, &MiningRun::progressed, this, &BatchRunner::progressed, Qt::QueuedConnection);
    connect(m_run, &MiningRun::threadEnd, this, &BatchRunner::finished, Qt::QueuedConnection);
    m_run->start();
}

void MiningBatch::stop()
{
    if (m_run)
        m_run->stop();
}
