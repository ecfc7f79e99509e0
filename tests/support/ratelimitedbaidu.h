#pragma once

#include "tests/support/loopbackbaidu.h"

#include <QByteArray>

#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <random>

namespace testsupport {

// Baidu under load, in front of a handler: a client that sent more than
// limit requests within the last window is answered with Baidu's real robot
// check page (tests/data/real-pages/captcha_2022_DogInNoSense_agt1.html), and
// so is a share of all requests at random. Every request counts, refused ones
// too, as Baidu counts them. All loopback traffic is one client: through a
// proxy on this machine, Baidu would see one address as well.
class RateLimitedBaidu
{
public:
    RateLimitedBaidu(int limit, int windowMs, double randomShare = 0.0, unsigned seed = 1);

    // The handler to give the loopback server; keeps this object's counters.
    Handler wrap(Handler inner) const;

    int requests() const;
    int robotChecks() const;

private:
    struct State
    {
        std::mutex mutex;
        std::deque<std::chrono::steady_clock::time_point> recent;
        std::mt19937 random;
        int requests = 0;
        int robotChecks = 0;
    };

    int m_limit;
    std::chrono::milliseconds m_window;
    double m_randomShare;
    QByteArray m_robotPage;
    std::shared_ptr<State> m_state;
};

} // namespace testsupport
