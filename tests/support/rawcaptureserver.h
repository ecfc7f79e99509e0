#pragma once

#include <QByteArray>
#include <QList>

#include <atomic>
#include <mutex>
#include <thread>

namespace testsupport {

// A bare HTTP server on 127.0.0.1 that keeps the request head byte for byte,
// so header order can be checked (the httplib fixture sorts header names).
// Answers every request with a short 200 page and closes the connection.
class RawCaptureServer
{
public:
    RawCaptureServer();
    ~RawCaptureServer();
    RawCaptureServer(const RawCaptureServer &) = delete;
    RawCaptureServer &operator=(const RawCaptureServer &) = delete;

    int port() const;
    QByteArray url(const QByteArray &pathAndQuery) const;

    // Request heads received so far, each up to and including the blank line.
    QList<QByteArray> heads() const;

private:
    void serve();

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    QList<QByteArray> m_heads;
    std::thread m_thread;
};

// A port on 127.0.0.1 that was free a moment ago and has no listener: a
// connection to it is refused.
int closedLoopbackPort();

} // namespace testsupport
