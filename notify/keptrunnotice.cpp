#include "notify/keptrunnotice.h"

#include "history/historystore.h"
#include "notify/notifysettings.h"
#include "notify/runnotifier.h"

#include <QSettings>

namespace {
const QString kNotSent = QStringLiteral("通知未发送：%1");
const QString kSent = QStringLiteral("通知 %1");
} // namespace

QString notifyKeptRun(const QString &historyPath, qint64 runId, const QString &listName,
                      const NotifyOptions &options)
{
    const std::unique_ptr<QSettings> settingsFile = openApplicationSettings();
    QList<SettingsProblem> problems;
    const NotifySettings settings = loadNotifySettings(*settingsFile, &problems);
    if (!problems.isEmpty())
        return kNotSent.arg(problems.first().message);
    if (settings.channels.isEmpty() || runId <= 0)
        return QString();
    QList<NotifyChannel> channels;
    for (const QString &channel : settings.channels)
        channels.append(*NotifyChannel::parse(channel));
    HistoryStore store(historyPath);
    const RunNotification notification =
        notifyStoredRun(store, runId, channels, settings.moveThreshold, listName, options);
    if (!notification.error.isEmpty())
        return kNotSent.arg(notification.error);
    QStringList lines;
    for (const NotifyOutcome &outcome : notification.outcomes)
        lines << kSent.arg(outcome.summary());
    return lines.join(QLatin1Char('\n'));
}
