#include "cli/runnotice.h"

#include "cli/cliarguments.h"
#include "notify/notifysettings.h"
#include "notify/runnotifier.h"

#include <QDir>
#include <QSettings>

namespace {
const QString kBadSetting = QStringLiteral("setting '%1' in %2: %3");
const QString kNoChanges = QStringLiteral("与上次相比没有需要通知的变化，未发送通知");
const QString kHistoryUnread = QStringLiteral("通知未发送：%1");
const QString kSent = QStringLiteral("通知 %1");
} // namespace

bool RunNotice::prepare(const CliOptions &options, const Say &say)
{
    const std::unique_ptr<QSettings> store = openApplicationSettings();
    QList<SettingsProblem> problems;
    const NotifySettings settings = loadNotifySettings(*store, &problems);
    const bool channelsGiven = !options.notifyChannels.isEmpty();
    for (const SettingsProblem &problem : qAsConst(problems)) {
        // --notify stands in for the settings' channels, whatever they hold.
        if (channelsGiven && problem.key == QLatin1String(NotifySettingsKey::kChannels))
            continue;
        say(kBadSetting.arg(problem.key, QDir::toNativeSeparators(store->fileName()), problem.message));
        return false;
    }
    m_moveThreshold = settings.moveThreshold;
    const QStringList channels = channelsGiven ? options.notifyChannels : settings.channels;
    for (const QString &channel : channels)
        m_channels.append(*NotifyChannel::parse(channel));
    return true;
}

void RunNotice::send(HistoryStore &store, qint64 runId, const Say &say) const
{
    if (m_channels.isEmpty() || runId <= 0)
        return;
    const RunNotification notification = notifyStoredRun(store, runId, m_channels, m_moveThreshold);
    if (!notification.error.isEmpty())
        say(kHistoryUnread.arg(notification.error));
    else if (!notification.changed)
        say(kNoChanges);
    for (const NotifyOutcome &outcome : notification.outcomes)
        say(kSent.arg(outcome.summary()));
}
