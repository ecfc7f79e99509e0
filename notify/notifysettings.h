#pragma once

#include "search/appsettings.h"
#include "search/fetchsettings.h"

#include <QList>
#include <QStringList>

class QSettings;

// Where digests go and what counts as a move: a value, read by the window's
// 通知 section and the command alike. The defaults are the members' initial values.
struct NotifySettings
{
    static constexpr int kLeastMove = 1;
    // Positions go from 1 to 30: a larger move cannot happen.
    static constexpr int kMostMove = 29;

    QStringList channels;  // as written, one channel each (see NotifyChannel)
    int moveThreshold = 5; // a ranking that moves by at least this many places alerts

    bool operator==(const NotifySettings &other) const
    {
        return channels == other.channels && moveThreshold == other.moveThreshold;
    }
    bool operator!=(const NotifySettings &other) const { return !(*this == other); }
};

// Every channel that cannot be used (named by its line, masked) and a
// threshold out of range; empty when all is well.
QList<SettingsProblem> validateNotifySettings(const NotifySettings &settings);

// The settings as stored. A value that is not what it must be (a threshold
// "abc" or 0, a channel that cannot be parsed) is named in problems with its
// key and leaves the default in place, so a caller can refuse to go on.
NotifySettings loadNotifySettings(const QSettings &store, QList<SettingsProblem> *problems = nullptr);
// Stores valid settings; false (and nothing written) when validateNotifySettings refuses them.
bool saveNotifySettings(QSettings &store, const NotifySettings &settings);
