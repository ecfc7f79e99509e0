#pragma once

#include "notify/notifychannel.h"

#include <QList>
#include <QString>

#include <functional>

class HistoryStore;
struct CliOptions;

// The digest a --save run sends once it has ended: to the channels of
// --notify, or else to those of the window's 通知 settings. Failures are
// told and the run's exit status stays what the run gave.
class RunNotice
{
public:
    using Say = std::function<void(const QString &line)>;

    // Reads the threshold (and the channels unless --notify names them) from
    // the settings file; false after saying what cannot be used there.
    bool prepare(const CliOptions &options, const Say &say);
    // Sends the digest of the stored run when a line changed in a way that
    // alerts, and says where it went or why it did not.
    void send(HistoryStore &store, qint64 runId, const Say &say) const;

private:
    QList<NotifyChannel> m_channels;
    int m_moveThreshold = 0;
};
