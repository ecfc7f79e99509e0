#include "workers/rankingrun.h"

#include "search/desktoprankingcheck.h"
#include "search/mobilerankingcheck.h"
#include "workers/linecheck.h"

#include <QObject>

namespace {

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
        const std::optional<RankingResult> result =
            checkLine<RankingResult>(line, context, abort.get(), desktop ? rankDesktop : rankMobile);
        // Only a cancelled run cuts a line short, and its results are dropped.
        if (!result) {
            const RankingLine parts = splitRankingLine(line);
            return rankingFailure(parts, QString());
        }
        return *result;
    }
};

} // namespace

RankingRun::RankingRun() = default;

RankingRun RankingRun::start(const QStringList &lines, Device device, const SearchContext &context)
{
    RankingRun run;
    run.begin(lines, context, [&](const std::shared_ptr<std::atomic<bool>> &abort) {
        return RankLine{device == Device::Desktop, context, abort};
    });
    return run;
}

bool connectRankingWatcher(QFutureWatcher<RankingResult> *watcher, QObject *window, QObject *progressBar)
{
    bool connected = true;
    connected &= bool(QObject::connect(watcher, SIGNAL(finished()), window, SLOT(pmthreadClose())));
    connected &= bool(QObject::connect(watcher, SIGNAL(resultReadyAt(int)), window,
                                       SLOT(pmreceiveResult(int)), Qt::QueuedConnection));
    connected &= bool(QObject::connect(watcher, SIGNAL(progressRangeChanged(int, int)), progressBar,
                                       SLOT(setRange(int, int))));
    connected &=
        bool(QObject::connect(watcher, SIGNAL(progressValueChanged(int)), progressBar, SLOT(setValue(int))));
    return connected;
}
