#pragma once

#include "search/checkresult.h"
#include "search/searchcontext.h"
#include "workers/device.h"

#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>

// Runs one batch of inclusion checks on its own thread, in line order, with
// the desktop or the mobile check as the device says. Emits
// send(result, i) per line and threadEnd() once, after the last line or
// after an interruption request (seen between lines). One object per batch.
// InclusionResult is registered for queued connections by the constructor.
// Each line passes the context's gate and is retried as its retries allow
// (see checkLine). stop() ends the batch after the line in progress, cutting
// its waits for the gate or between tries short (such a line sends nothing);
// abortCurrentLine() also cuts the fetch in progress short: that line reports
// nothing (it was never checked) and threadEnd() follows at once.
class SlcxThread : public QThread
{
    Q_OBJECT

public:
    SlcxThread(const QStringList &lines, Device device, const SearchContext &context = SearchContext());

    void stop();
    void abortCurrentLine();

signals:
    void send(InclusionResult result, int i);
    void threadEnd();

protected:
    void run() override;

private:
    const QStringList m_lines;
    const Device m_device;
    const SearchContext m_context;
    std::atomic<bool> m_abort{false};
    std::atomic<bool> m_stop{false};
};
