#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>

// How the gate paces requests; a value the settings page and the command fill.
struct PacingSettings
{
    int intervalMs = 1000;    // least time between two requests to Baidu; 0: no pause
    int jitterPercent = 30;   // each pause is drawn from interval ± this share
    int maxLinesInFlight = 2; // lines of all runs checked at once
    // The interval right after a robot check met a shorter one; easing back
    // below it ends the slowdown.
    int firstSlowdownMs = 1000;
};

// What the gate is doing, for the window to show: the interval in force, the
// pause it learned from Baidu's robot checks, and the latest wait of a line
// before it is asked again.
struct GateState
{
    int intervalMs = 0;   // the pause between requests now
    int learnedMs = 0;    // the learned pause; 0: none
    bool slowed = false;  // the learned pause is longer than the settings' interval
    bool held = false;    // a robot check waits for the user; nothing goes out
    int retryAttempt = 0; // the retry a line waits for (1: the first); 0: none waits
    int retryWaitMs = 0;  // how long that line waits still
};

// The state in words for the window ("百度要求放慢：当前间隔 8 秒，第 2 次重试等待 20 秒…"); empty
// while the gate neither slows down, waits for a person nor lets a line wait.
QString gateStateText(const GateState &state);

// The one gate every request to Baidu passes, shared by all runs of the
// process (both query pages at once, the command line). It spaces requests by
// the interval (with jitter), caps the lines in flight, and learns Baidu's
// limit from its robot checks: each check lengthens the pause
// multiplicatively (doubling while it is still far off, a quarter once a long
// run of good answers ended in a check, never past a minute), and good
// answers ease it back by small steps, not below what the last such check
// showed to be too short. Checks met by requests sent before the pause last
// grew tell nothing new and change nothing.
//
// Waiting never holds anything another request needs: a request reserves its
// moment under the lock and sleeps without it, and every wait gives up within
// kPollMs once the caller's abort flag turns true.
class RequestGate
{
public:
    using Clock = std::chrono::steady_clock;

    static constexpr int kMaxIntervalMs = 60000;
    // Good answers since the last check after which a check tells the limit
    // is near: the pause grows by a quarter, not twofold, and is not eased
    // back below 1.2 times the one that drew it (1.02 once such a floor exists).
    static constexpr int kEaseAfter = 10;
    // Each good answer eases the pause by its 1/kEaseDivisor, by a
    // kEaseDivisor-th of the first slowdown at least.
    static constexpr int kEaseDivisor = 200;
    static constexpr int kPollMs = 20;

    explicit RequestGate(const PacingSettings &settings = PacingSettings());
    RequestGate(const RequestGate &) = delete;
    RequestGate &operator=(const RequestGate &) = delete;

    // The process's gate, configured from the user's settings at start-up.
    static RequestGate &shared();

    // New settings; the learned pause stays (see forgetLearned).
    void configure(const PacingSettings &settings);
    PacingSettings settings() const;
    // The interval now in force: the configured one, or the learned pause when longer.
    int currentIntervalMs() const;
    GateState state() const;

    // The learned pause, kept between runs; 0: none.
    int learnedMs() const;
    // Starts from a pause learned before (a new run of another process).
    void setLearned(int ms);
    // Back to the settings alone: what was learned from Baidu is dropped.
    void forgetLearned();

    // While held (a robot check is with the user), no turn is given.
    void hold();
    void release();

    // A line waits ms before its retry number attempt (1: the first); waitEnded when it goes on.
    void noteRetryWait(int attempt, int ms);
    void noteRetryWaitEnded();

    // Blocks until a request may go. False when abortFlag turned true first.
    bool waitForTurn(const std::atomic<bool> *abortFlag);

    // What Baidu answered to a request that went through the gate at sentAt.
    void reportRobotCheck(Clock::time_point sentAt);
    void reportRobotCheck() { reportRobotCheck(Clock::now()); }
    void reportGoodAnswer();

    // A line of some run starts or ends; acquireLine blocks while the cap is
    // reached and is false when abortFlag turned true first.
    bool acquireLine(const std::atomic<bool> *abortFlag);
    void releaseLine();

    // Sleeps ms, or less when abortFlag turns true; false when cut short.
    static bool pause(int ms, const std::atomic<bool> *abortFlag);

private:
    int intervalLocked() const;
    Clock::duration drawPauseLocked();

    mutable std::mutex m_mutex;
    std::condition_variable m_lineFreed;
    PacingSettings m_settings;
    double m_learnedMs = 0; // 0: nothing learned
    double m_floorMs = 0;   // the learned pause is not eased below this
    int m_goodSinceCheck = 0;
    Clock::time_point m_lastIncrease;
    bool m_held = false;
    int m_retryAttempt = 0;
    Clock::time_point m_retryEnd;
    int m_linesInFlight = 0;
    Clock::time_point m_nextTurn;
    std::mt19937 m_random;
};

// Holds one line slot of a gate for a scope.
class GateLine
{
public:
    GateLine(RequestGate *gate, const std::atomic<bool> *abortFlag);
    ~GateLine();
    GateLine(const GateLine &) = delete;
    GateLine &operator=(const GateLine &) = delete;

    // False when the wait for a slot was cut short by the abort flag.
    bool acquired() const { return m_acquired; }

private:
    RequestGate *m_gate;
    bool m_acquired = false;
};
