#include "search/requestgate.h"

#include <algorithm>
#include <thread>

namespace {
bool aborted(const std::atomic<bool> *abortFlag)
{
    return abortFlag && abortFlag->load();
}
} // namespace

RequestGate::RequestGate(const PacingSettings &settings)
    : m_settings(settings), m_nextTurn(Clock::now()), m_random(std::random_device()())
{
}

RequestGate &RequestGate::shared()
{
    static RequestGate gate;
    return gate;
}

void RequestGate::configure(const PacingSettings &settings)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // A slowdown outlives the runs: Baidu remembers the last ones too.
    m_settings = settings;
    m_lineFreed.notify_all();
}

PacingSettings RequestGate::settings() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_settings;
}

int RequestGate::currentIntervalMs() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return intervalLocked();
}

int RequestGate::intervalLocked() const
{
    return std::max(std::max(m_settings.intervalMs, 0), m_slowdownMs);
}

RequestGate::Clock::duration RequestGate::drawPauseLocked()
{
    const int interval = intervalLocked();
    const int jitter = std::clamp(m_settings.jitterPercent, 0, 100);
    if (interval == 0)
        return Clock::duration::zero();
    if (jitter == 0)
        return std::chrono::milliseconds(interval);
    std::uniform_real_distribution<double> share(1.0 - jitter / 100.0, 1.0 + jitter / 100.0);
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(interval) *
                                                       share(m_random));
}

bool RequestGate::waitForTurn(const std::atomic<bool> *abortFlag)
{
    Clock::time_point turn;
    {
        // Reserve the moment, then sleep without the lock.
        std::lock_guard<std::mutex> lock(m_mutex);
        turn = std::max(Clock::now(), m_nextTurn);
        m_nextTurn = turn + drawPauseLocked();
    }
    while (Clock::now() < turn) {
        if (aborted(abortFlag))
            return false;
        std::this_thread::sleep_for(
            std::min<Clock::duration>(turn - Clock::now(), std::chrono::milliseconds(kPollMs)));
    }
    return !aborted(abortFlag);
}

void RequestGate::reportRobotCheck()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_goodInARow = 0;
    m_slowdownMs = std::min(kMaxIntervalMs, std::max(m_settings.firstSlowdownMs, intervalLocked() * 2));
    // The requests still to come keep their distance from this answer.
    m_nextTurn = std::max(m_nextTurn, Clock::now() + drawPauseLocked());
}

void RequestGate::reportGoodAnswer()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_slowdownMs == 0 || ++m_goodInARow < kEaseAfter)
        return;
    m_goodInARow = 0;
    m_slowdownMs /= 2;
    if (m_slowdownMs <= m_settings.intervalMs || m_slowdownMs < m_settings.firstSlowdownMs)
        m_slowdownMs = 0;
}

bool RequestGate::acquireLine(const std::atomic<bool> *abortFlag)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (m_linesInFlight >= std::max(1, m_settings.maxLinesInFlight)) {
        if (aborted(abortFlag))
            return false;
        m_lineFreed.wait_for(lock, std::chrono::milliseconds(kPollMs));
    }
    ++m_linesInFlight;
    return true;
}

void RequestGate::releaseLine()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        --m_linesInFlight;
    }
    m_lineFreed.notify_one();
}

bool RequestGate::pause(int ms, const std::atomic<bool> *abortFlag)
{
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        if (aborted(abortFlag))
            return false;
        std::this_thread::sleep_for(
            std::min<Clock::duration>(end - Clock::now(), std::chrono::milliseconds(kPollMs)));
    }
    return !aborted(abortFlag);
}

GateLine::GateLine(RequestGate *gate, const std::atomic<bool> *abortFlag) : m_gate(gate)
{
    m_acquired = !m_gate || m_gate->acquireLine(abortFlag);
}

GateLine::~GateLine()
{
    if (m_gate && m_acquired)
        m_gate->releaseLine();
}
