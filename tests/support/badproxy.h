#pragma once

#include <QByteArray>

#include <atomic>
#include <thread>

namespace testsupport {

// A proxy on 127.0.0.1 that never carries a request: it keeps the connection
// and says nothing, answers garbage, asks for authentication (407), or, as a
// SOCKS5 proxy, closes after the client's greeting. Stopped with the object.
class BadProxy
{
public:
    enum class Fault
    {
        Hangs,
        AnswersGarbage,
        AsksAuthentication,
        SocksCloses
    };

    explicit BadProxy(Fault fault);
    ~BadProxy();
    BadProxy(const BadProxy &) = delete;
    BadProxy &operator=(const BadProxy &) = delete;

    // "http://127.0.0.1:P", or "socks5h://127.0.0.1:P" for SocksCloses.
    QByteArray url() const;
    int connections() const { return m_connections; }

private:
    void serve();

    const Fault m_fault;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_connections{0};
    std::thread m_thread;
};

} // namespace testsupport
