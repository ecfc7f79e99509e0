#pragma once

#include "notify/digestsender.h"
#include "notify/notifychannel.h"

#include <QList>
#include <QString>

class HistoryStore;

// What became of a saved run's digest.
struct RunNotification
{
    bool changed = false;          // some line changed in a way that alerts: a digest went out
    QList<NotifyOutcome> outcomes; // one per channel, when changed
    QString error;                 // the history could not be read: nothing was sent
};

// After a run is stored: its digest to every channel, when a line changed in
// a way that alerts. Blocks until every channel has answered or timed out;
// the run and its history stay as they are whatever the channels say.
RunNotification notifyStoredRun(HistoryStore &store, qint64 runId, const QList<NotifyChannel> &channels,
                                int moveThreshold, const QString &listName = QString(),
                                const NotifyOptions &options = NotifyOptions());
