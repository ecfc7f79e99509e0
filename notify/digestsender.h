#pragma once

#include "notify/notifychannel.h"
#include "notify/rundigest.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>

// How digests go out. The defaults are the shipped ones.
struct NotifyOptions
{
    // Every channel gets one request: short enough that a dead one never holds a run's end for long.
    long timeoutSeconds = 15;
    long connectTimeoutSeconds = 10;
    // A bundle of trusted certificates instead of the system's; only tests set it.
    QByteArray caFile;
    // When given, a transfer is given up soon after it turns true (a window that closes).
    const std::atomic<bool> *abortFlag = nullptr;
};

// What one channel made of a digest.
struct NotifyOutcome
{
    QString channel; // masked
    bool ok = false;
    QString detail; // the failure, in the user's words; empty when ok

    // "wecom:https://…?key=693a****：已发送" or "…：发送失败：无法连接（…）".
    QString summary() const;
};

// Sends the digest to one channel: one request (one mail), never repeated,
// so that no channel ever gets a digest twice. The service's answer is read:
// a robot's error code, an HTTP error, a time-out or a refused connection is
// a failure naming why.
NotifyOutcome sendDigest(const RunDigest &digest, const NotifyChannel &channel,
                         const NotifyOptions &options = NotifyOptions());

// Sends the digest to every channel in turn; one outcome per channel, in order.
QList<NotifyOutcome> sendDigest(const RunDigest &digest, const QList<NotifyChannel> &channels,
                                const NotifyOptions &options = NotifyOptions());
