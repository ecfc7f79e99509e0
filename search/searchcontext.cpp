#include "search/searchcontext.h"

#include "search/layoutdriftguard.h"
#include "search/resultpage.h"

#include <algorithm>

int RetryPolicy::pauseMs(int attempt, bool robotCheck) const
{
    long long pause = std::max(robotCheck ? robotCheckPauseMs : firstPauseMs, 0);
    for (int i = 0; i < attempt && pause < kMaxPauseMs; ++i)
        pause *= 2;
    return int(std::min<long long>(pause, kMaxPauseMs));
}

SearchContext SearchContext::fromSettings(const FetchSettings &settings, RequestGate *gate,
                                          const SearchEndpoints &endpoints)
{
    SearchContext context(endpoints);
    context.gate = gate;
    context.fetchOptions = settings.fetchOptions();
    context.retry.retries = settings.retries;
    if (settings.proxyMode == ProxyMode::List) {
        QList<QByteArray> proxies;
        for (const QString &proxy : settings.proxies)
            proxies.append(proxy.toUtf8());
        context.proxies = std::make_shared<ProxyRotation>(proxies);
    }
    return context;
}

int SearchContext::intervalMs() const
{
    return gate ? gate->settings().intervalMs : 0;
}

void SearchContext::notePage(const ResultPage &page, const QByteArray &body, const QString &check,
                             const QString &request) const
{
    if (driftGuard)
        driftGuard->notePage(page, body, check + QLatin1Char('-') + request);
}

ResultPage SearchContext::readPage(const FetchResult &answer, const QString &check, const QString &request,
                                   const std::atomic<bool> *abortFlag) const
{
    const ResultPage page = readResultPage(answer.body, answer.contentType, abortFlag);
    notePage(page, answer.body, check, request);
    return page;
}

bool SearchContext::layoutDrifted() const
{
    return driftGuard && driftGuard->tripped();
}

FetchResult SearchContext::fetch(const QByteArray &address, const FetchProfile &profile,
                                 const std::atomic<bool> *abortFlag) const
{
    if (proxies && proxies->size() == 0) {
        // Nothing is asked, and asking again is no use until the settings are mended.
        FetchResult refused;
        refused.failure = FetchFailure::ProxyUnreachable;
        if (notices)
            notices->tell({FetchNotice::Kind::Proxy, QString(), unusablePageReason(refused)});
        return refused;
    }
    // After a change of Baidu's markup the run stops: as a stop, the request never leaves.
    if (layoutDrifted() || (gate && !gate->waitForTurn(stopFlag ? stopFlag : abortFlag))) {
        FetchResult cut;
        cut.failure = FetchFailure::Aborted;
        if (notes)
            notes->waitCut = true;
        return cut;
    }
    FetchOptions options = fetchOptions;
    options.caFile = endpoints.caFile;
    const int proxyCount = proxies ? proxies->size() : 0;
    FetchResult result;
    for (int tried = 0;;) {
        if (proxies)
            options.proxy = proxies->next();
        result = fetchPage(address, profile, abortFlag, options);
        ++tried;
        if (notices && result.failure == FetchFailure::ProxyUnreachable)
            notices->tell({FetchNotice::Kind::Proxy, result.proxy, unusablePageReason(result)});
        if (!proxies)
            break;
        const bool robotCheck = isRobotCheckAnswer(result);
        if (robotCheck || result.failure == FetchFailure::ProxyUnreachable ||
            result.failure == FetchFailure::TimedOut || result.failure == FetchFailure::Connection ||
            result.failure == FetchFailure::Refused)
            proxies->rest(options.proxy);
        // The request never left for Baidu: the next proxy may carry it, without another turn.
        if (result.failure != FetchFailure::ProxyUnreachable || tried >= proxyCount)
            break;
    }
    if (notices && result.failure == FetchFailure::Certificate)
        notices->tell({FetchNotice::Kind::Certificate, QString(), failureDetail(result)});
    if (gate) {
        if (isRobotCheckAnswer(result))
            gate->reportRobotCheck();
        else if (result.ok && result.httpStatus >= 200 && result.httpStatus < 500)
            gate->reportGoodAnswer();
    }
    if (notes && isTransientFailure(result)) {
        notes->transientFailure = true;
        notes->robotCheck = notes->robotCheck || isRobotCheckAnswer(result);
    }
    return result;
}
