#include "search/proxyprobe.h"

#include <QElapsedTimer>

namespace {
const QString kLatency = QStringLiteral("%1 ms");
const QString kFailed = QStringLiteral("失败：%1");
const QString kStatus = QStringLiteral("HTTP 状态 %1");
const QString kTimedOut = QStringLiteral("超时");
const QString kTransfer = QStringLiteral("请求失败（%1）");
} // namespace

QString ProxyProbe::summary() const
{
    return ok ? kLatency.arg(latencyMs) : kFailed.arg(error);
}

ProxyProbe probeProxy(const QByteArray &proxy, const SearchEndpoints &endpoints, FetchOptions options,
                      const std::atomic<bool> *abortFlag)
{
    ProxyProbe probe;
    probe.proxy = proxy;
    options.proxy = proxy;
    options.caFile = endpoints.caFile;
    QElapsedTimer clock;
    clock.start();
    const FetchResult answer =
        fetchPage(endpoints.homePage, FetchProfile::InclusionDesktop, abortFlag, options);
    probe.latencyMs = int(clock.elapsed());
    if (answer.ok && answer.httpStatus >= 200 && answer.httpStatus < 400) {
        probe.ok = true;
    } else if (answer.ok) {
        probe.error = kStatus.arg(answer.httpStatus);
    } else if (answer.failure == FetchFailure::TimedOut) {
        probe.error = kTimedOut;
    } else if (answer.failure == FetchFailure::ProxyUnreachable) {
        probe.error = proxyFailureDetail(answer);
    } else if (answer.failure == FetchFailure::Certificate) {
        probe.error = unusablePageReason(answer);
    } else {
        probe.error = kTransfer.arg(answer.errorText);
    }
    return probe;
}
