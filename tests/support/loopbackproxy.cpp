#include "tests/support/loopbackproxy.h"

#include "tests/support/rawcaptureserver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

namespace {
const QString kTinyproxy = QStringLiteral("tinyproxy");
const QString kMicrosocks = QStringLiteral("microsocks");
constexpr int kStartWaitMs = 10000;

// tinyproxy's own config: loopback only, every CONNECT port allowed (no
// ConnectPort line), one log line per request.
const QString kTinyproxyConfig = QStringLiteral("Port %1\n"
                                                "Listen 127.0.0.1\n"
                                                "Timeout 30\n"
                                                "MaxClients 64\n"
                                                "Allow 127.0.0.1\n"
                                                "DisableViaHeader Yes\n"
                                                "LogLevel Connect\n"
                                                "LogFile \"%2\"\n"
                                                "PidFile \"%3\"\n");

bool accepts(int port)
{
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(quint16(port));
    const bool connected = ::connect(probe, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0;
    ::close(probe);
    return connected;
}
} // namespace

LoopbackProxy::LoopbackProxy(Kind kind) : m_kind(kind) {}

LoopbackProxy::~LoopbackProxy()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
}

bool LoopbackProxy::available(Kind kind)
{
    return !QStandardPaths::findExecutable(kind == Kind::Http ? kTinyproxy : kMicrosocks).isEmpty();
}

bool LoopbackProxy::start()
{
    if (!available(m_kind) || !m_dir.isValid())
        return false;
    m_port = closedLoopbackPort();
    const QString logPath = m_dir.filePath(QStringLiteral("proxy.log"));
    if (m_kind == Kind::Http) {
        const QString configPath = m_dir.filePath(QStringLiteral("tinyproxy.conf"));
        QFile config(configPath);
        if (!config.open(QIODevice::WriteOnly))
            return false;
        config.write(kTinyproxyConfig.arg(m_port)
                         .arg(logPath, m_dir.filePath(QStringLiteral("tinyproxy.pid")))
                         .toUtf8());
        config.close();
        m_process.setProgram(kTinyproxy);
        m_process.setArguments({QStringLiteral("-d"), QStringLiteral("-c"), configPath});
    } else {
        m_process.setProgram(kMicrosocks);
        m_process.setArguments({QStringLiteral("-i"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                                QString::number(m_port)});
        // microsocks reports each connection on its standard error.
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.setStandardOutputFile(logPath);
    }
    if (m_kind == Kind::Http)
        m_process.setStandardErrorFile(m_dir.filePath(QStringLiteral("stderr.log")));
    m_process.start();
    if (!m_process.waitForStarted(kStartWaitMs))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (!accepts(m_port)) {
        if (clock.elapsed() > kStartWaitMs || m_process.state() == QProcess::NotRunning)
            return false;
        QThread::msleep(20);
    }
    return true;
}

QByteArray LoopbackProxy::url() const
{
    return (m_kind == Kind::Http ? "http://127.0.0.1:" : "socks5h://127.0.0.1:") + QByteArray::number(m_port);
}

QByteArray LoopbackProxy::log() const
{
    QFile file(m_dir.filePath(QStringLiteral("proxy.log")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int LoopbackProxy::connectionsTo(int targetPort) const
{
    // tinyproxy: "Established connection to host ... " does not name the port,
    // its request line does; microsocks: "connected to 127.0.0.1:P".
    const QString pattern = m_kind == Kind::Http ? QStringLiteral("Request .*127\\.0\\.0\\.1:%1[/ ]")
                                                 : QStringLiteral("connected to 127\\.0\\.0\\.1:%1\\b");
    const QRegularExpression line(pattern.arg(targetPort));
    int count = 0;
    for (auto it = line.globalMatch(QString::fromUtf8(log())); it.hasNext(); it.next())
        ++count;
    return count;
}

} // namespace testsupport
