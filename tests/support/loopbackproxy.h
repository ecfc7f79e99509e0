#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// A real proxy on 127.0.0.1, started from Debian's package with a config of
// its own in a temporary folder: tinyproxy (HTTP, also CONNECT for HTTPS) or
// microsocks (SOCKS5). Stopped with the object. Tests skip when the binary is
// missing (scripts/install-deps brings both).
class LoopbackProxy
{
public:
    enum class Kind
    {
        Http,
        Socks
    };

    explicit LoopbackProxy(Kind kind);
    ~LoopbackProxy();
    LoopbackProxy(const LoopbackProxy &) = delete;
    LoopbackProxy &operator=(const LoopbackProxy &) = delete;

    // The program is installed.
    static bool available(Kind kind);
    // Starts it and waits until it accepts connections; false when it did not.
    bool start();

    // "http://127.0.0.1:P" or "socks5h://127.0.0.1:P".
    QByteArray url() const;
    // What the proxy logged so far: one line per connection it carried.
    QByteArray log() const;
    // How many connections to targetPort the log shows.
    int connectionsTo(int targetPort) const;

private:
    Kind m_kind;
    int m_port = 0;
    QTemporaryDir m_dir;
    QProcess m_process;
};

} // namespace testsupport
