#pragma once

#include "workers/batchrunner.h"

class SlcxThread;

// An inclusion batch on its own SlcxThread, in line order.
class InclusionBatch : public BatchRunner
{
    Q_OBJECT

public:
    using BatchRunner::BatchRunner;
    // Cuts the line in flight short and waits, boundedly, for the thread.
    ~InclusionBatch() override;

    void start(const QStringList &lines, const QVector<int> &rows, Device device,
               const SearchContext &context) override;
    void stop() override;
    void stopAfterCurrentLine() override;

private:
    void end();

    SlcxThread *m_worker = nullptr;
    QVector<int> m_rows;
};
