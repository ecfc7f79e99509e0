#pragma once

#include <QSet>
#include <QString>

#include <functional>
#include <mutex>

// Something a run meets on its way to Baidu that concerns more than the line
// it happened on: a proxy that does not carry requests, Baidu's certificate
// failing verification.
struct FetchNotice
{
    enum class Kind
    {
        Proxy,
        Certificate,
        RobotCheck // subject: the address a browser opens to pass the check
    };

    Kind kind = Kind::Proxy;
    QString subject; // the proxy, its password masked; empty for a certificate
    QString reason;  // the line's failure reason, as failureDetail gives it
};

// Hands each notice of a run to its listener once (a proxy's once per proxy),
// on the checking thread that met it; the listener passes it on to where the
// user reads it. Shared by the copies of a run's context; thread-safe.
class FetchNotices
{
public:
    using Listener = std::function<void(const FetchNotice &)>;

    explicit FetchNotices(Listener listener) : m_listener(std::move(listener)) {}

    void tell(const FetchNotice &notice);

private:
    std::mutex m_mutex;
    QSet<QString> m_told;
    const Listener m_listener;
};
