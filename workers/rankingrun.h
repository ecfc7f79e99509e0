#pragma once

#include "search/checkresult.h"
#include "search/searchcontext.h"
#include "workers/device.h"
#include "workers/mappedrun.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

class QObject;

// One ranking batch: rankDesktop or rankMobile, as the device says, mapped over the prepared lines on the
// global thread pool, each line through checkLine (the context's gate, its retries). Result i of the future
// belongs to line i. Copies share the same run.
//
// Stop a run through cancel()/cancelAndWait(), not through the watcher's or
// the future's own cancel(): only these abort the run's transfers in flight.
class RankingRun : public MappedRun<RankingResult>
{
public:
    // An empty, finished run: cancelling it does nothing.
    RankingRun();

    static RankingRun start(const QStringList &lines, Device device,
                            const SearchContext &context = SearchContext());
};

// Makes the connections through which the window follows a run, in this order:
//   watcher finished()                    -> window pmthreadClose()
//   watcher resultReadyAt(int)            -> window pmreceiveResult(int), queued
//   watcher progressRangeChanged(int,int) -> progressBar setRange(int,int)
//   watcher progressValueChanged(int)     -> progressBar setValue(int)
// Connected by signature, so any QObject with those slots can stand in for the
// window or the bar. Call before setFuture. Returns false when a connection failed.
bool connectRankingWatcher(QFutureWatcher<RankingResult> *watcher, QObject *window, QObject *progressBar);
