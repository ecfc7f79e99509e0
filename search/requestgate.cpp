#include "search/requestgate.h"

#include <QStringList>

#include <algorithm>
#include <thread>

namespace {
const QString kSlowed = QStringLiteral("百度要求放慢：当前间隔 %1 秒");
const QString kRetryWait = QStringLiteral("第 %1 次重试等待 %2 秒…");
const QString kJoin = QStringLiteral("，");
const QString kHeld = QStringLiteral("百度安全验证：查询已暂停，请在弹出的窗口中完成验证");

// Whole seconds from ten on, else one decimal at most: "8", "1.5", "0.1".
QString seconds(int ms)
{
    if (ms >= 10000)
        return QString::number((ms + 500) / 1000);
    const int tenths = (ms + 50) / 100;
    return tenths % 10 == 0 ? QString::number(tenths / 10)
                            : QString::number(tenths / 10) + QLatin1Char('.') + QString::number(tenths % 10);
}

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
    // A learned pause outlives the runs: Baidu remembers the last ones too.
    m_settings = settings;
    m_lineFreed.notify_all();
}

GateState RequestGate::state() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    GateState state;
    state.intervalMs = intervalLocked();
    state.learnedMs = int(m_learnedMs + 0.5);
    state.slowed = m_learnedMs > std::max(m_settings.intervalMs, 0);
    state.held = m_held;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(m_retryEnd - Clock::now()).count();
    if (m_retryAttempt > 0 && left > 0) {
        state.retryAttempt = m_retryAttempt;
        state.retryWaitMs = int(left);
    }
    return state;
}

int RequestGate::learnedMs() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_learnedMs + 0.5);
}

void RequestGate::setLearned(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_learnedMs = std::clamp(ms, 0, kMaxIntervalMs);
    // What showed the limit before is not known: easing may look for it again.
    m_floorMs = 0;
    m_goodSinceCheck = kEaseAfter;
}

void RequestGate::forgetLearned()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_learnedMs = 0;
    m_floorMs = 0;
    m_goodSinceCheck = 0;
}

void RequestGate::hold()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_held = true;
}

void RequestGate::release()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_held = false;
    m_nextTurn = std::max(m_nextTurn, Clock::now());
}

void RequestGate::noteRetryWait(int attempt, int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_retryAttempt = attempt;
    m_retryEnd = Clock::now() + std::chrono::milliseconds(ms);
}

void RequestGate::noteRetryWaitEnded()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_retryEnd <= Clock::now())
        m_retryAttempt = 0;
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
    return std::max(std::max(m_settings.intervalMs, 0), int(m_learnedMs + 0.5));
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
    for (;;) {
        // Reserve the moment, then sleep without the lock.
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_held) {
                turn = std::max(Clock::now(), m_nextTurn);
                m_nextTurn = turn + drawPauseLocked();
                break;
            }
        }
        if (aborted(abortFlag))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    while (Clock::now() < turn) {
        if (aborted(abortFlag))
            return false;
        std::this_thread::sleep_for(
            std::min<Clock::duration>(turn - Clock::now(), std::chrono::milliseconds(kPollMs)));
    }
    return !aborted(abortFlag);
}

void RequestGate::reportRobotCheck(Clock::time_point sentAt)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // The requests still to come keep their distance from this answer.
    const auto keepDistance = [this] { m_nextTurn = std::max(m_nextTurn, Clock::now() + drawPauseLocked()); };
    if (sentAt < m_lastIncrease) {
        keepDistance();
        return;
    }
    const double now = intervalLocked();
    // A check after a long run of good answers: the limit is near, and the
    // pause that drew it is too short. Found the first time, the floor keeps a
    // fifth above it; later checks there (or Baidu's checks at random) raise it by little.
    const bool nearLimit = m_goodSinceCheck >= kEaseAfter;
    if (nearLimit)
        m_floorMs = std::min<double>(kMaxIntervalMs, std::max(m_floorMs, now * (m_floorMs > 0 ? 1.02 : 1.2)));
    m_learnedMs = std::min<double>(
        kMaxIntervalMs, std::max<double>(m_settings.firstSlowdownMs, now * (nearLimit ? 1.25 : 2.0)));
    m_goodSinceCheck = 0;
    m_lastIncrease = Clock::now();
    keepDistance();
}

void RequestGate::reportGoodAnswer()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_goodSinceCheck;
    if (m_learnedMs <= 0)
        return;
    const double step = std::max(m_learnedMs, double(m_settings.firstSlowdownMs)) / kEaseDivisor;
    m_learnedMs = std::max(m_floorMs, m_learnedMs - step);
    // Eased back well below the first slowdown, with nothing showing a limit there: nothing learned.
    if (m_learnedMs < m_settings.firstSlowdownMs / 2.0 && m_floorMs < m_settings.firstSlowdownMs / 2.0) {
        m_learnedMs = 0;
        m_floorMs = 0;
    }
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

QString gateStateText(const GateState &state)
{
    if (state.held)
        return kHeld;
    QStringList parts;
    if (state.slowed)
        parts.append(kSlowed.arg(seconds(state.intervalMs)));
    if (state.retryAttempt > 0)
        parts.append(kRetryWait.arg(state.retryAttempt).arg(seconds(state.retryWaitMs)));
    return parts.join(kJoin);
}
