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

bool SearchContext::prepareSession(const QByteArray &address, const FetchProfile &profile,
                                   const std::atomic<bool> *abortFlag, FetchOptions *options) const
{
    if (!sessions)
        return true;
    options->session = sessions->forProxy(options->proxy);
    // A redirect link is read from a result page, as a click on it would be.
    const QByteArray home = homePageOf(profile.readsLink ? endpoints.desktopSearch : address);
    if (!profile.readsLink && options->session->takeHomeVisit(home)) {
        // A browser comes by the home page first and holds its cookies (BAIDUID and friends) from then on.
        FetchOptions visit = *options;
        visit.referer.clear();
        fetchPage(home, profile, abortFlag, visit);
        options->session->saveIfChanged();
        if (gate && !gate->waitForTurn(stopFlag ? stopFlag : abortFlag))
            return false;
    }
    options->referer = options->session->referer(home);
    return true;
}

void SearchContext::noteInSession(const QByteArray &address, const FetchProfile &profile,
                                  const FetchResult &result, const FetchOptions &options) const
{
    if (!options.session)
        return;
    if (!profile.readsLink && !isUnusableSearchPage(result))
        options.session->setPreviousPage(homePageOf(address), address);
    options.session->saveIfChanged();
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
    const std::atomic<bool> *stop = stopFlag ? stopFlag : abortFlag;
    FetchResult result;
    for (;;) {
        RequestGate::Clock::time_point sentAt;
        FetchOptions options;
        if (!fetchOnce(address, profile, abortFlag, &result, &sentAt, &options)) {
            if (notes)
                notes->waitCut = true;
            return result;
        }
        if (!handOff || !options.session || !isRobotCheckAnswer(result)) {
            noteAnswer(address, result, sentAt);
            return result;
        }
        // The person passes the check, and the line is asked again as if it had never met it.
        const bool mobile = profile.agent == UserAgent::Mobile;
        QByteArray agent = mobile ? options.mobileAgent : options.desktopAgent;
        if (agent.isEmpty())
            agent = mobile ? FetchHeaders::kMobileAgentValue : FetchHeaders::kDesktopAgentValue;
        const RobotCheckMeeting meeting{result.redirectAddress.isEmpty() ? QString::fromUtf8(address)
                                                                         : result.redirectAddress,
                                        options.session, agent, options.proxy};
        switch (handOff->meet(meeting, sentAt, stop)) {
        case RobotCheckHandOff::Outcome::Passed:
            continue;
        case RobotCheckHandOff::Outcome::Stopped:
            result = FetchResult();
            result.failure = FetchFailure::Aborted;
            if (notes)
                notes->waitCut = true;
            return result;
        case RobotCheckHandOff::Outcome::Skipped:
            noteAnswer(address, result, sentAt);
            return result;
        }
    }
}

bool SearchContext::fetchOnce(const QByteArray &address, const FetchProfile &profile,
                              const std::atomic<bool> *abortFlag, FetchResult *result,
                              RequestGate::Clock::time_point *sentAt, FetchOptions *usedOptions) const
{
    *result = FetchResult();
    result->failure = FetchFailure::Aborted;
    // After a change of Baidu's markup the run stops: as a stop, the request never leaves.
    if (layoutDrifted() || (gate && !gate->waitForTurn(stopFlag ? stopFlag : abortFlag)))
        return false;
    FetchOptions options = fetchOptions;
    options.caFile = endpoints.caFile;
    const int proxyCount = proxies ? proxies->size() : 0;
    for (int tried = 0;;) {
        if (proxies)
            options.proxy = proxies->next();
        if (!prepareSession(address, profile, abortFlag, &options)) {
            *result = FetchResult();
            result->failure = FetchFailure::Aborted;
            return false;
        }
        *sentAt = RequestGate::Clock::now();
        *result = fetchPage(address, profile, abortFlag, options);
        noteInSession(address, profile, *result, options);
        ++tried;
        if (notices && result->failure == FetchFailure::ProxyUnreachable)
            notices->tell({FetchNotice::Kind::Proxy, result->proxy, unusablePageReason(*result)});
        if (!proxies)
            break;
        const bool robotCheck = isRobotCheckAnswer(*result);
        if (robotCheck || result->failure == FetchFailure::ProxyUnreachable ||
            result->failure == FetchFailure::TimedOut || result->failure == FetchFailure::Connection ||
            result->failure == FetchFailure::Refused)
            proxies->rest(options.proxy);
        // The request never left for Baidu: the next proxy may carry it, without another turn.
        if (result->failure != FetchFailure::ProxyUnreachable || tried >= proxyCount)
            break;
    }
    *usedOptions = options;
    return true;
}

void SearchContext::noteAnswer(const QByteArray &address, const FetchResult &result,
                               RequestGate::Clock::time_point sentAt) const
{
    if (notices && isRobotCheckAnswer(result)) {
        // One notice per run, whatever page drew it: the same check opens them all.
        notices->tell(
            {FetchNotice::Kind::RobotCheck, QString(),
             result.redirectAddress.isEmpty() ? QString::fromUtf8(address) : result.redirectAddress});
    }
    if (notices && result.failure == FetchFailure::Certificate)
        notices->tell({FetchNotice::Kind::Certificate, QString(), failureDetail(result)});
    if (gate) {
        if (isRobotCheckAnswer(result))
            gate->reportRobotCheck(sentAt);
        else if (result.ok && result.httpStatus >= 200 && result.httpStatus < 500)
            gate->reportGoodAnswer();
    }
    if (notes && isTransientFailure(result)) {
        notes->transientFailure = true;
        notes->robotCheck = notes->robotCheck || isRobotCheckAnswer(result);
    }
}
