#include "tests/support/ratelimitedbaidu.h"

namespace testsupport {

RateLimitedBaidu::RateLimitedBaidu(int limit, int windowMs, double randomShare, unsigned seed)
    : m_limit(limit), m_window(windowMs), m_randomShare(randomShare),
      m_robotPage(readTestData("real-pages/captcha_2022_DogInNoSense_agt1.html")),
      m_state(std::make_shared<State>())
{
    m_state->random.seed(seed);
}

Handler RateLimitedBaidu::wrap(Handler inner) const
{
    return [inner = std::move(inner), state = m_state, limit = m_limit, window = m_window,
            share = m_randomShare, robotPage = m_robotPage](const Request &request) {
        bool refused = false;
        {
            std::lock_guard<std::mutex> lock(state->mutex);
            const auto now = std::chrono::steady_clock::now();
            while (!state->recent.empty() && now - state->recent.front() >= window)
                state->recent.pop_front();
            state->recent.push_back(now);
            ++state->requests;
            refused = int(state->recent.size()) > limit ||
                      std::uniform_real_distribution<double>(0.0, 1.0)(state->random) < share;
            if (refused)
                ++state->robotChecks;
        }
        return refused ? Reply::page(robotPage) : inner(request);
    };
}

int RateLimitedBaidu::requests() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->requests;
}

int RateLimitedBaidu::robotChecks() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->robotChecks;
}

} // namespace testsupport
