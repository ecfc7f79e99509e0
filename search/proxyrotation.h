#pragma once

#include <QByteArray>
#include <QList>

#include <chrono>
#include <mutex>

// The listed proxies, handed out in turn, one per request. A proxy that could
// not be reached or drew a robot check rests: it is passed over until its rest
// ends, unless every proxy rests, when the one that is back soonest goes.
// Shared by every request of the runs that use the same settings; thread-safe.
class ProxyRotation
{
public:
    using Clock = std::chrono::steady_clock;

    static constexpr int kDefaultRestMs = 120000;

    explicit ProxyRotation(const QList<QByteArray> &proxies, int restMs = kDefaultRestMs);

    int size() const { return m_proxies.size(); }
    // The proxy for the next request; empty when the list is.
    QByteArray next();
    void rest(const QByteArray &proxy);

private:
    struct Entry
    {
        QByteArray address;
        Clock::time_point restsUntil;
    };

    std::mutex m_mutex;
    QList<Entry> m_proxies;
    int m_next = 0;
    const std::chrono::milliseconds m_rest;
};
