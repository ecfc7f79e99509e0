#include "workers/inclusionbatch.h"

#include "workers/slcxthread.h"

#include <utility>

namespace {
// The worker's thread returns at once after threadEnd(); after an abort it
// returns within the fetch's abort polling.
constexpr unsigned long kWorkerEndWaitMs = 2000;
} // namespace

InclusionBatch::~InclusionBatch()
{
    if (SlcxThread *worker = std::exchange(m_worker, nullptr)) {
        worker->disconnect(this);
        worker->abortCurrentLine();
        if (worker->wait(kWorkerEndWaitMs))
            delete worker;
    }
}

void InclusionBatch::start(const QStringList &lines, const QVector<int> &rows, Device device,
                           const SearchContext &context)
{
    m_rows = rows;
    m_worker = new SlcxThread(lines, device, context);
    connect(
        m_worker, &SlcxThread::send, this,
        [this](const InclusionResult &result, int i) { emit resultReady(m_rows.value(i, i), rowOf(result)); },
        Qt::QueuedConnection);
    connect(m_worker, &SlcxThread::threadEnd, this, &InclusionBatch::end, Qt::QueuedConnection);
    m_worker->start();
}

void InclusionBatch::stop()
{
    if (m_worker)
        m_worker->abortCurrentLine();
}

void InclusionBatch::stopAfterCurrentLine()
{
    if (m_worker)
        m_worker->stop();
}

void InclusionBatch::end()
{
    if (SlcxThread *worker = std::exchange(m_worker, nullptr)) {
        worker->disconnect(this);
        if (worker->wait(kWorkerEndWaitMs)) {
            delete worker;
        } else {
            connect(worker, &QThread::finished, worker, &QObject::deleteLater);
        }
    }
    emit finished();
}
