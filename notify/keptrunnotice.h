#pragma once

#include "notify/digestsender.h"

#include <QString>

// The digest of a run the window kept, to the channels of the 通知 settings:
// what the window does once a saved run has ended, off its own thread (it
// opens its own store of the history at historyPath and blocks until every
// channel has answered). One line per channel ("…：已发送" or "…：发送失败：…"),
// or why nothing could be sent; empty when no channel is set or nothing changed.
QString notifyKeptRun(const QString &historyPath, qint64 runId, const QString &listName = QString(),
                      const NotifyOptions &options = NotifyOptions());
