#include "tests/support/rawcaptureserver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

namespace {
constexpr int kPollMilliseconds = 50;
constexpr char kHeadEnd[] = "\r\n\r\n";
constexpr char kAnswer[] = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 2\r\n"
                           "Connection: close\r\n\r\nok";
} // namespace

int closedLoopbackPort()
{
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(probe, reinterpret_cast<sockaddr *>(&address), sizeof(address));
    socklen_t length = sizeof(address);
    ::getsockname(probe, reinterpret_cast<sockaddr *>(&address), &length);
    ::close(probe);
    return ntohs(address.sin_port);
}

RawCaptureServer::RawCaptureServer()
{
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof(address));
    ::listen(m_listener, 8);
    socklen_t length = sizeof(address);
    ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

RawCaptureServer::~RawCaptureServer()
{
    m_stopping = true;
    m_thread.join();
    ::close(m_listener);
}

int RawCaptureServer::port() const
{
    return m_port;
}

QByteArray RawCaptureServer::url(const QByteArray &pathAndQuery) const
{
    return "http://127.0.0.1:" + QByteArray::number(m_port) + pathAndQuery;
}

QList<QByteArray> RawCaptureServer::heads() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_heads;
}

void RawCaptureServer::serve()
{
    while (!m_stopping) {
        pollfd listening{m_listener, POLLIN, 0};
        if (::poll(&listening, 1, kPollMilliseconds) <= 0)
            continue;
        const int connection = ::accept(m_listener, nullptr, nullptr);
        if (connection < 0)
            continue;
        QByteArray head;
        while (!head.contains(kHeadEnd) && !m_stopping) {
            pollfd reading{connection, POLLIN, 0};
            if (::poll(&reading, 1, kPollMilliseconds) <= 0)
                continue;
            char chunk[4096];
            const ssize_t received = ::recv(connection, chunk, sizeof(chunk), 0);
            if (received <= 0)
                break;
            head.append(chunk, int(received));
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_heads.append(head);
        }
        ::send(connection, kAnswer, sizeof(kAnswer) - 1, MSG_NOSIGNAL);
        ::close(connection);
    }
}

} // namespace testsupport
