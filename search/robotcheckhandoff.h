#pragma once

#include "search/baidusession.h"
#include "search/requestgate.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

// A robot check met by a request, as handed to the person who can pass it.
struct RobotCheckMeeting
{
    QString address;                       // where the check is shown (the redirect's target, or the search)
    std::shared_ptr<BaiduSession> session; // the identity that met it, whose cookies passing it sets
    QByteArray userAgent;
    QByteArray proxy; // as the settings hold it, password included; empty: none
};

// Hands robot checks to a person instead of slowing down: the first check
// holds the gate (no request goes out on any line) and goes to the listener;
// every line that meets a check waits until the person passed it, and is
// then asked again, or skipped it, and then goes on as an ordinary check
// would (slower, retries, 异常) until the next run begins. Thread-safe; the
// listener is called on the checking thread and must pass the meeting on.
class RobotCheckHandOff
{
public:
    enum class Outcome
    {
        Passed,  // ask again
        Skipped, // treat it as any robot check
        Stopped  // the line's stop flag turned true while it waited
    };
    using Listener = std::function<void(const RobotCheckMeeting &)>;

    RobotCheckHandOff(RequestGate *gate, Listener listener);

    // A request sent at sentAt met a check: waits for the person's answer.
    Outcome meet(const RobotCheckMeeting &meeting, RequestGate::Clock::time_point sentAt,
                 const std::atomic<bool> *stopFlag);
    // The person's answer to the check handed out last.
    void resolve(bool passed);
    // A run begins: a skip made for the runs before no longer holds.
    void newRun();
    // A check is with the person now.
    bool isOpen() const;

private:
    RequestGate *const m_gate;
    const Listener m_listener;
    mutable std::mutex m_mutex;
    std::condition_variable m_resolved;
    bool m_open = false;
    bool m_skipped = false;
    int m_answers = 0;
    RequestGate::Clock::time_point m_passedAt;
};
