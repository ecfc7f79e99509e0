#pragma once

#include "tests/support/loopbackbaidu.h"

#include <QByteArray>

#include <chrono>
#include <deque>
#include <memory>
#include <mutex>

namespace testsupport {

// Baidu's robot check as it meets scripted clients today, in front of a
// handler. The home page ("/") sets BAIDUID. A search (path "/s") without the
// pass cookie, or beyond limit requests within the last window, is
// redirected (302) to the check page on the plain HTTP server
// (kCheckPath?backurl=the search, also on the plain server). The page's
// button (id "pass") posts its form as a solved puzzle would; the answer sets
// the pass cookie and redirects back to backurl.
class CheckingBaidu
{
public:
    static constexpr char kCheckPath[] = "/static/captcha/tuxing.html";
    static constexpr char kVerifyPath[] = "/static/captcha/verify";
    static constexpr char kPassCookie[] = "BDPASS";

    // limit 0: no limit on the pace, only the cookie counts.
    explicit CheckingBaidu(const LoopbackBaidu &server, int limit = 0, int windowMs = 0);

    Handler wrap(Handler inner) const;

    int checks() const; // searches sent to the check
    int passes() const; // checks passed
    int searches() const;
    int homeVisits() const;

private:
    struct State
    {
        std::mutex mutex;
        std::deque<std::chrono::steady_clock::time_point> recent;
        int checks = 0;
        int passes = 0;
        int searches = 0;
        int homeVisits = 0;
    };

    QByteArray m_httpAuthority;
    int m_limit;
    std::chrono::milliseconds m_window;
    std::shared_ptr<State> m_state;
};

} // namespace testsupport
