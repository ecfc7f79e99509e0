#pragma once

#include "search/pagefetcher.h"
#include "search/searchendpoints.h"

#include <QByteArray>
#include <QString>

#include <atomic>

// How one proxy answered a request for Baidu's home page.
struct ProxyProbe
{
    QByteArray proxy;
    bool ok = false;
    int latencyMs = 0;
    QString error; // why not ok, in the user's words

    // "123 ms" or "失败：…", as the settings page lists it.
    QString summary() const;
};

// Asks for endpoints.homePage through proxy with options (its own proxy
// setting aside); a 2xx or 3xx answer in time counts as working.
ProxyProbe probeProxy(const QByteArray &proxy, const SearchEndpoints &endpoints, FetchOptions options,
                      const std::atomic<bool> *abortFlag = nullptr);
