#include "notify/runnotifier.h"

#include "history/historystore.h"
#include "notify/rundigest.h"

RunNotification notifyStoredRun(HistoryStore &store, qint64 runId, const QList<NotifyChannel> &channels,
                                int moveThreshold, const QString &listName, const NotifyOptions &options)
{
    RunNotification notification;
    if (channels.isEmpty())
        return notification;
    const std::optional<RunDigest> digest =
        digestOfStoredRun(store, runId, moveThreshold, listName, &notification.error);
    if (!digest)
        return notification;
    notification.changed = true;
    notification.outcomes = sendDigest(*digest, channels, options);
    return notification;
}
