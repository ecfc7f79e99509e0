#pragma once

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

// The one gate every request to Baidu passes, shared by all runs of the
// process (both query pages at once, the command line). It spaces requests by
// the interval (with jitter), caps the lines in flight, and slows down by
// itself when Baidu answers with its robot check: the interval doubles (up to
// a minute) and eases back after a run of good answers.
//
// Waiting never holds anything another request needs: a request reserves its
// moment under the lock and sleeps without it, and every wait gives up within
// kPollMs once the caller's abort flag turns true.
class RequestGate
{
public:
    using Clock = std::chrono::steady_clock;

    static constexpr int kMaxIntervalMs = 60000;
    // Good answers in a row before the interval halves back.
    static constexpr int kEaseAfter = 10;
    static constexpr int kPollMs = 20;

    explicit RequestGate(const PacingSettings &settings = PacingSettings());
    RequestGate(const RequestGate &) = delete;
    RequestGate &operator=(const RequestGate &) = delete;

    // The process's gate, configured from the user's settings at start-up.
    static RequestGate &shared();

    void configure(const PacingSettings &settings);
    PacingSettings settings() const;
    // The interval now in force: the configured one, or longer while slowed down.
    int currentIntervalMs() const;

    // Blocks until a request may go. False when abortFlag turned true first.
    bool waitForTurn(const std::atomic<bool> *abortFlag);

    // What Baidu answered to a request that went through the gate.
    void reportRobotCheck();
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
    int m_slowdownMs = 0; // 0: not slowed down
    int m_goodInARow = 0;
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
