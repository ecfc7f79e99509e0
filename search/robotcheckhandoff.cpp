#include "search/robotcheckhandoff.h"

RobotCheckHandOff::RobotCheckHandOff(RequestGate *gate, Listener listener)
    : m_gate(gate), m_listener(std::move(listener))
{
}

RobotCheckHandOff::Outcome RobotCheckHandOff::meet(const RobotCheckMeeting &meeting,
                                                   RequestGate::Clock::time_point sentAt,
                                                   const std::atomic<bool> *stopFlag)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_skipped)
        return Outcome::Skipped;
    // Sent before the check was passed: the pass may well let it through now.
    if (!m_open && m_answers > 0 && sentAt < m_passedAt)
        return Outcome::Passed;
    // Taken before the listener runs: the person may answer before it returns.
    const int answers = m_answers;
    if (!m_open) {
        m_open = true;
        if (m_gate)
            m_gate->hold();
        lock.unlock();
        if (m_listener)
            m_listener(meeting);
        lock.lock();
    }
    while (m_answers == answers) {
        if (stopFlag && stopFlag->load())
            return Outcome::Stopped;
        m_resolved.wait_for(lock, std::chrono::milliseconds(RequestGate::kPollMs));
    }
    return m_skipped ? Outcome::Skipped : Outcome::Passed;
}

void RobotCheckHandOff::resolve(bool passed)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_open)
            return;
        m_open = false;
        m_skipped = !passed;
        ++m_answers;
        m_passedAt = RequestGate::Clock::now();
        if (m_gate)
            m_gate->release();
    }
    m_resolved.notify_all();
}

void RobotCheckHandOff::newRun()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_skipped = false;
}

bool RobotCheckHandOff::isOpen() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_open;
}
