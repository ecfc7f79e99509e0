#include "search/proxyrotation.h"

ProxyRotation::ProxyRotation(const QList<QByteArray> &proxies, int restMs) : m_rest(restMs)
{
    for (const QByteArray &proxy : proxies)
        m_proxies.append({proxy, Clock::time_point()});
}

QByteArray ProxyRotation::next()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_proxies.isEmpty())
        return QByteArray();
    const Clock::time_point now = Clock::now();
    int soonest = m_next % m_proxies.size();
    for (int step = 0; step < m_proxies.size(); ++step) {
        const int index = (m_next + step) % m_proxies.size();
        if (m_proxies.at(index).restsUntil <= now) {
            m_next = index + 1;
            return m_proxies.at(index).address;
        }
        if (m_proxies.at(index).restsUntil < m_proxies.at(soonest).restsUntil)
            soonest = index;
    }
    m_next = soonest + 1;
    return m_proxies.at(soonest).address;
}

void ProxyRotation::rest(const QByteArray &proxy)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (Entry &entry : m_proxies) {
        if (entry.address == proxy)
            entry.restsUntil = Clock::now() + m_rest;
    }
}
