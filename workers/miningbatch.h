#pragma once

#include "workers/batchrunner.h"
#include "workers/miningrun.h"

// A keyword mining run (MiningRun) over the lines as seeds. Its rows are the
// keywords found, row r for the r-th; failed requests and progress are
// reported as they happen.
class MiningBatch : public BatchRunner
{
    Q_OBJECT

public:
    MiningBatch(const MiningOptions &options, QObject *parent = nullptr);
    // Cuts the transfer in flight short and waits for the thread.
    ~MiningBatch() override;

    void start(const QStringList &lines, const QVector<int> &rows, Device device,
               const SearchContext &context) override;
    void stop() override;

private:
    const MiningOptions m_options;
    MiningRun *m_run = nullptr;
};
