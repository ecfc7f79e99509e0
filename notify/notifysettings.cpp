#include "notify/notifysettings.h"

#include "notify/notifychannel.h"

#include <QSettings>

namespace {
const QString kRange = QStringLiteral("须为 %1 到 %2 之间的整数");
const QString kStoredRange = QStringLiteral("须为 %1 到 %2 之间的整数，而不是“%3”");
const QString kChannelLine = QStringLiteral("第 %1 行（%2）：%3");
const QString kNotAList = QStringLiteral("须为通知渠道的列表");

void checkChannels(const QStringList &channels, QList<SettingsProblem> *problems)
{
    for (int i = 0; i < channels.size(); ++i) {
        QString problem;
        if (!NotifyChannel::parse(channels.at(i), &problem)) {
            problems->append({QLatin1String(NotifySettingsKey::kChannels),
                              kChannelLine.arg(i + 1).arg(maskChannelText(channels.at(i).trimmed()), problem),
                              maskChannelText(channels.at(i).trimmed())});
            return;
        }
    }
}
} // namespace

QList<SettingsProblem> validateNotifySettings(const NotifySettings &settings)
{
    QList<SettingsProblem> problems;
    checkChannels(settings.channels, &problems);
    if (settings.moveThreshold < NotifySettings::kLeastMove ||
        settings.moveThreshold > NotifySettings::kMostMove)
        problems.append({QLatin1String(NotifySettingsKey::kMoveThreshold),
                         kRange.arg(NotifySettings::kLeastMove).arg(NotifySettings::kMostMove), QString()});
    return problems;
}

NotifySettings loadNotifySettings(const QSettings &store, QList<SettingsProblem> *problems)
{
    using namespace NotifySettingsKey;
    NotifySettings settings;
    QList<SettingsProblem> found;

    const QVariant channels = store.value(QLatin1String(kChannels));
    if (channels.isValid()) {
        // QSettings reads one entry as a string and several as a list.
        if (channels.canConvert<QStringList>()) {
            QStringList written;
            const QStringList listed = channels.toStringList();
            for (const QString &channel : listed) {
                if (!channel.trimmed().isEmpty())
                    written.append(channel.trimmed());
            }
            checkChannels(written, &found);
            if (found.isEmpty())
                settings.channels = written;
        } else {
            found.append({QLatin1String(kChannels), kNotAList, channels.toString()});
        }
    }

    const QVariant threshold = store.value(QLatin1String(kMoveThreshold));
    if (threshold.isValid()) {
        bool number = false;
        const int value = threshold.toString().toInt(&number, 10);
        if (number && value >= NotifySettings::kLeastMove && value <= NotifySettings::kMostMove)
            settings.moveThreshold = value;
        else
            found.append({QLatin1String(kMoveThreshold),
                          kStoredRange.arg(NotifySettings::kLeastMove)
                              .arg(NotifySettings::kMostMove)
                              .arg(threshold.toString()),
                          threshold.toString()});
    }
    if (problems)
        *problems = found;
    return settings;
}

bool saveNotifySettings(QSettings &store, const NotifySettings &settings)
{
    using namespace NotifySettingsKey;
    if (!validateNotifySettings(settings).isEmpty())
        return false;
    store.setValue(QLatin1String(kChannels), settings.channels);
    store.setValue(QLatin1String(kMoveThreshold), settings.moveThreshold);
    store.sync();
    return store.status() == QSettings::NoError;
}
