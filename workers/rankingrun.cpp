#include "rankingrun.h"

#include "desktoprankingcheck.h"
#include "mobilerankingcheck.h"

#include <QObject>
#include <QtConcurrent/QtConcurrentMap>

namespace {

const QString kDesktopMode = QStringLiteral("dnd");

// The per-line function handed to QtConcurrent: one check, the run's
// endpoints and the run's own abort flag.
struct RankLine
{
    using result_type = RankingResult;

    bool desktop;
    SearchContext context;
    std::shared_ptr<std::atomic<bool>> abort;

    RankingResult operator()(const QString &line) const
    {
        return desktop ? rankDesktop(line, context, abort.get()) : rankMobile(line, context, abort.get());
    }
};

} // namespace

RankingRun::RankingRun() = default;

RankingRun RankingRun::start(const QStringList &lines, const QString &deviceMode,
                             const SearchContext &context)
{
    RankingRun run;
    run.m_abort = std::make_shared<std::atomic<bool>>(false);
    if (lines.isEmpty()) {
        // Finished without ever starting: a watcher then reports only the end,
        // no progress range that would turn the bar into a busy indicator.
        QFutureInterface<RankingResult> finished;
        finished.reportFinished();
        run.m_future = finished.future();
        return run;
    }
    run.m_future = QtConcurrent::mapped(lines, RankLine{deviceMode == kDesktopMode, context, run.m_abort});
    return run;
}

void RankingRun::cancel()
{
    // A finished run keeps its results; only a running one is stopped.
    if (!m_abort || m_future.isFinished())
        return;
    // Cancel first: a line whose transfer the flag cuts short returns "异常",
    // and that result must find the future already refusing results.
    m_future.cancel();
    m_abort->store(true);
}

void RankingRun::cancelAndWait()
{
    cancel();
    m_future.waitForFinished();
}

bool connectRankingWatcher(QFutureWatcher<RankingResult> *watcher, QObject *window, QObject *progressBar)
{
    bool connected = true;
    connected &= bool(QObject::connect(watcher, SIGNAL(finished()), window, SLOT(pmthreadClose())));
    connected &= bool(QObject::connect(watcher, SIGNAL(resultReadyAt(int)), window, SLOT(pmreceiveResult(int)),
                                       Qt::QueuedConnection));
    connected &= bool(
        QObject::connect(watcher, SIGNAL(progressRangeChanged(int, int)), progressBar, SLOT(setRange(int, int))));
    connected &=
        bool(QObject::connect(watcher, SIGNAL(progressValueChanged(int)), progressBar, SLOT(setValue(int))));
    return connected;
}
