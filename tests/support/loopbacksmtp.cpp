#include "tests/support/loopbacksmtp.h"

#include <QDeadlineTimer>
#include <QJsonDocument>

namespace testsupport {

namespace {
const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kScript = QStringLiteral(QUILLANE_TESTS_DIR "/support/smtpserver.py");
const QByteArray kReady = "READY ";
constexpr int kStartMs = 15000;
} // namespace

LoopbackSmtp::LoopbackSmtp(Mode mode, const QString &login)
{
    const char *modes[] = {"plain", "starttls", "smtps"};
    QStringList arguments{kScript,
                          QStringLiteral("--mode"),
                          QLatin1String(modes[int(mode)]),
                          QStringLiteral("--cert"),
                          QStringLiteral(QUILLANE_TEST_DATA_DIR "/loopback-cert.pem"),
                          QStringLiteral("--key"),
                          QStringLiteral(QUILLANE_TEST_DATA_DIR "/loopback-key.pem")};
    if (!login.isEmpty())
        arguments << QStringLiteral("--login") << login;
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(kPython, arguments);
    const QDeadlineTimer deadline(kStartMs);
    while (m_port == 0 && !deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
        if (!m_process.canReadLine() && !m_process.waitForReadyRead(int(deadline.remainingTime())))
            break;
        const QByteArray line = m_process.readLine().trimmed();
        if (line.startsWith(kReady))
            m_port = line.mid(kReady.size()).toInt();
    }
    if (m_port == 0)
        m_startError = QString::fromUtf8(m_process.readAllStandardError());
}

LoopbackSmtp::~LoopbackSmtp()
{
    // The server stops when its standard input closes.
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

void LoopbackSmtp::readLines()
{
    m_pending += m_process.readAllStandardOutput();
    int end = 0;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        const QJsonDocument message = QJsonDocument::fromJson(line);
        if (message.isObject())
            m_messages.append(message.object());
    }
}

QList<QJsonObject> LoopbackSmtp::messages(int count, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    readLines();
    while (m_messages.size() < count && !deadline.hasExpired() &&
           m_process.waitForReadyRead(int(deadline.remainingTime())))
        readLines();
    return m_messages;
}

} // namespace testsupport
