#include "tests/support/checkingbaidu.h"

#include <QUrl>
#include <QUrlQuery>

namespace testsupport {

namespace {
const QByteArray kPassValue = "passed";

QByteArray checkPage(const QByteArray &back)
{
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>百度安全验证</title></head><body>"
           "<p>网络不给力，请稍后重试</p><form id=\"verify\" method=\"post\" action=\"" +
           QByteArray(CheckingBaidu::kVerifyPath) + "\"><input type=\"hidden\" name=\"backurl\" value=\"" +
           back.toPercentEncoding() +
           "\"><button id=\"pass\" type=\"submit\">通过验证</button></form></body></html>";
}

bool hasPass(const Request &request)
{
    for (const QByteArray &cookie : request.header("Cookie").split(';')) {
        if (cookie.trimmed() == QByteArray(CheckingBaidu::kPassCookie) + '=' + kPassValue)
            return true;
    }
    return false;
}
} // namespace

CheckingBaidu::CheckingBaidu(const LoopbackBaidu &server, int limit, int windowMs)
    : m_httpAuthority(server.httpAuthority()), m_limit(limit), m_window(windowMs),
      m_state(std::make_shared<State>())
{
}

Handler CheckingBaidu::wrap(Handler inner) const
{
    return [inner = std::move(inner), state = m_state, authority = m_httpAuthority, limit = m_limit,
            window = m_window](const Request &request) {
        if (request.path == kVerifyPath) {
            const QByteArray back =
                QByteArray::fromPercentEncoding(QUrlQuery(QString::fromUtf8(request.body))
                                                    .queryItemValue(QStringLiteral("backurl"))
                                                    .toUtf8());
            {
                std::lock_guard<std::mutex> lock(state->mutex);
                ++state->passes;
                state->recent.clear();
            }
            Reply reply = Reply::redirect(back.isEmpty() ? "http://" + authority + "/" : back);
            reply.headers.append(
                {QByteArray("Set-Cookie"), QByteArray(kPassCookie) + '=' + kPassValue + "; path=/"});
            return reply;
        }
        if (request.path == kCheckPath)
            return Reply::page(checkPage(request.param("backurl")));
        if (request.path == "/") {
            std::lock_guard<std::mutex> lock(state->mutex);
            ++state->homeVisits;
            Reply reply =
                Reply::page("<html><head><title>百度一下，你就知道</title></head><body></body></html>");
            reply.headers.append(
                {QByteArray("Set-Cookie"), QByteArray("BAIDUID=0123456789ABCDEF:FG=1; path=/")});
            return reply;
        }
        if (request.path == "/s") {
            bool refused = !hasPass(request);
            {
                std::lock_guard<std::mutex> lock(state->mutex);
                ++state->searches;
                if (limit > 0) {
                    const auto now = std::chrono::steady_clock::now();
                    while (!state->recent.empty() && now - state->recent.front() >= window)
                        state->recent.pop_front();
                    state->recent.push_back(now);
                    refused = refused || int(state->recent.size()) > limit;
                }
                if (refused)
                    ++state->checks;
            }
            if (refused) {
                const QByteArray back = "http://" + authority + request.target;
                return Reply::redirect("http://" + authority + kCheckPath +
                                       "?backurl=" + back.toPercentEncoding());
            }
        }
        return inner(request);
    };
}

int CheckingBaidu::checks() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->checks;
}

int CheckingBaidu::passes() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->passes;
}

int CheckingBaidu::searches() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->searches;
}

int CheckingBaidu::homeVisits() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->homeVisits;
}

} // namespace testsupport
