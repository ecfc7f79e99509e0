#include "tests/support/badproxy.h"

#include <QList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

namespace {
constexpr int kPollMilliseconds = 50;
constexpr int kReadWaitMilliseconds = 2000;
constexpr char kGarbage[] = "\x16\x03garbage, not HTTP\r\n\r\n";
constexpr char kAuthentication[] = "HTTP/1.1 407 Proxy Authentication Required\r\n"
                                   "Proxy-Authenticate: Basic realm=\"proxy\"\r\n"
                                   "Content-Length: 0\r\nConnection: close\r\n\r\n";

// Reads what the client sends first: a request head, or a SOCKS greeting.
void readOpening(int connection)
{
    pollfd reading{connection, POLLIN, 0};
    if (::poll(&reading, 1, kReadWaitMilliseconds) <= 0)
        return;
    char chunk[4096];
    ::recv(connection, chunk, sizeof(chunk), 0);
}
} // namespace

BadProxy::BadProxy(Fault fault) : m_fault(fault)
{
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof(address));
    ::listen(m_listener, 16);
    socklen_t length = sizeof(address);
    ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

BadProxy::~BadProxy()
{
    m_stopping = true;
    m_thread.join();
    ::close(m_listener);
}

QByteArray BadProxy::url() const
{
    return (m_fault == Fault::SocksCloses ? "socks5h://127.0.0.1:" : "http://127.0.0.1:") +
           QByteArray::number(m_port);
}

void BadProxy::serve()
{
    QList<int> held; // the hanging proxy's connections, closed when it stops
    while (!m_stopping) {
        pollfd listening{m_listener, POLLIN, 0};
        if (::poll(&listening, 1, kPollMilliseconds) <= 0)
            continue;
        const int connection = ::accept(m_listener, nullptr, nullptr);
        if (connection < 0)
            continue;
        ++m_connections;
        if (m_fault == Fault::Hangs) {
            held.append(connection);
            continue;
        }
        readOpening(connection);
        if (m_fault == Fault::AnswersGarbage)
            ::send(connection, kGarbage, sizeof(kGarbage) - 1, MSG_NOSIGNAL);
        else if (m_fault == Fault::AsksAuthentication)
            ::send(connection, kAuthentication, sizeof(kAuthentication) - 1, MSG_NOSIGNAL);
        ::close(connection);
    }
    for (int connection : held)
        ::close(connection);
}

} // namespace testsupport
