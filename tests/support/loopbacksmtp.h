#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>

namespace testsupport {

// A mail server on 127.0.0.1 (tests/support/smtpserver.py on Debian's
// python3-aiosmtpd) with the loopback certificate, for the notification
// tests. Each message received is handed over as the server's Python email
// package read it: mail_from, rcpt_tos, tls, login, subject, from, to, date,
// message_id, content_type, charset, body, defects.
class LoopbackSmtp
{
public:
    enum class Mode
    {
        Plain,    // no encryption offered
        StartTls, // STARTTLS offered and required before MAIL
        Smtps     // TLS from the first byte
    };

    // login: "user:password" the server demands, or empty for none.
    explicit LoopbackSmtp(Mode mode, const QString &login = QString());
    ~LoopbackSmtp();
    LoopbackSmtp(const LoopbackSmtp &) = delete;
    LoopbackSmtp &operator=(const LoopbackSmtp &) = delete;

    // False when the server could not start (python3-aiosmtpd missing); the reason in startError().
    bool isRunning() const { return m_port > 0; }
    QString startError() const { return m_startError; }
    int port() const { return m_port; }

    // The messages received so far, after waiting up to timeoutMs for at least count of them.
    QList<QJsonObject> messages(int count = 0, int timeoutMs = 10000);

private:
    void readLines();

    QProcess m_process;
    int m_port = 0;
    QString m_startError;
    QByteArray m_pending;
    QList<QJsonObject> m_messages;
};

} // namespace testsupport
