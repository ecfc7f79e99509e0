#pragma once

#include "search/baidusession.h"
#include "search/fetchnotices.h"
#include "search/fetchsettings.h"
#include "search/pagefetcher.h"
#include "search/proxyrotation.h"
#include "search/requestgate.h"
#include "search/robotcheckhandoff.h"
#include "search/searchendpoints.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class LayoutDriftGuard;
struct ResultPage;

// An answer page that led to "异常" or could not be read, handed out so that a
// user can show what Baidu served. The body is only borrowed for the call.
struct AnswerPage
{
    QString line;    // the check's input line
    QString check;   // "inclusion" or "ranking"
    QString request; // "site", "keyword", "keyword-2", "keyword-3"
    const QByteArray &body;
};

// What one try of a line met on its way, noted by SearchContext::fetch so that
// the worker knows whether asking again may help.
struct LineNotes
{
    bool transientFailure = false; // a robot check, time-out, connection failure or 5xx
    bool robotCheck = false;       // one of them was the robot check
    bool waitCut = false;          // a stop cut a wait for the gate short
};

// How often and after which pauses a line that met a transient failure is tried again.
struct RetryPolicy
{
    int retries = 0;
    // After a time-out, a connection failure or a 5xx answer.
    int firstPauseMs = 2000;
    // After a robot check: Baidu counts requests over about a minute, so a
    // burst keeps drawing checks until the pauses together outlast that.
    int robotCheckPauseMs = 20000;
    static constexpr int kMaxPauseMs = 120000;

    // The pause before try number attempt + 2: doubling from the first pause of its kind.
    int pauseMs(int attempt, bool robotCheck) const;
};

// Everything a check needs besides its input line and its abort flag: where
// its requests go and how (gate, proxies, certificates, time-outs, agents),
// and who keeps failed answer pages. A value type, so a batch carries its own
// copy across threads; what runs share (gate, proxy rotation) is pointed to.
struct SearchContext
{
    // Implicit: a context that only sets the endpoints reads as the endpoints.
    // It is unpaced, retries nothing and uses no proxy: the tests' default.
    SearchContext(const SearchEndpoints &endpoints = SearchEndpoints()) : endpoints(endpoints) {}

    // The shipped programs' context: every request of the settings through gate,
    // which the caller configures with settings.pacing.
    static SearchContext fromSettings(const FetchSettings &settings, RequestGate *gate,
                                      const SearchEndpoints &endpoints = SearchEndpoints());

    SearchEndpoints endpoints;
    // Called on the checking thread, once per failed answer page; empty keeps nothing
    // (the window), so that no result ever carries a page body.
    std::function<void(const AnswerPage &)> pageSink;
    // Spaces the requests and caps the lines in flight; null: neither.
    RequestGate *gate = nullptr;
    FetchOptions fetchOptions;
    // The proxies of a list, in turn; null: fetchOptions decides (none or the system's).
    // A list that holds no proxy refuses every request: none ever goes out unproxied.
    std::shared_ptr<ProxyRotation> proxies;
    RetryPolicy retry;
    // Cuts waits for the gate and between tries short, but no transfer in
    // flight; null: the check's abort flag does.
    const std::atomic<bool> *stopFlag = nullptr;
    // Where fetch notes what the current try of a line met; null: nowhere.
    LineNotes *notes = nullptr;
    // The identities requests go out with (cookies, browser headers, a home
    // page visit first), one per proxy; null: none, the profile's bare headers.
    std::shared_ptr<SessionPool> sessions;
    // Hands a robot check to a person (the window); null: the gate slows down and lines are retried.
    std::shared_ptr<RobotCheckHandOff> handOff;
    // Where fetch tells a failing proxy or certificate, once each per run; null: nowhere.
    std::shared_ptr<FetchNotices> notices;

    // One request to Baidu: waits for its turn at the gate, goes through the
    // next proxy (the one after it when that one does not carry it), and tells
    // the gate and the rotation how Baidu answered, and the notices what failed.
    FetchResult fetch(const QByteArray &address, const FetchProfile &profile,
                      const std::atomic<bool> *abortFlag) const;

    // What a stored run notes of how it asked: the least pause between
    // requests, and whether a proxy carried them.
    int intervalMs() const;
    bool usesProxy() const { return proxies || !fetchOptions.proxy.isEmpty() || fetchOptions.systemProxy; }

    void keepFailedPage(const QString &line, const QString &check, const QString &request,
                        const QByteArray &body) const
    {
        if (pageSink && !body.isEmpty())
            pageSink(AnswerPage{line, check, request, body});
    }

    // Watches the run's answer pages for a change of Baidu's markup; null: nothing does.
    std::shared_ptr<LayoutDriftGuard> driftGuard;
    // Tells the drift guard what the reader made of an answer page.
    void notePage(const ResultPage &page, const QByteArray &body, const QString &check,
                  const QString &request) const;
    // Reads a fetched answer page (readResultPage) and notes it for the drift guard.
    ResultPage readPage(const FetchResult &answer, const QString &check, const QString &request,
                        const std::atomic<bool> *abortFlag) const;
    // The drift guard tripped: the run stops, and fetch sends nothing more.
    bool layoutDrifted() const;

private:
    // Picks the session of options' proxy, visits its home page first if need
    // be, and names the referer; false when a stop cut the wait that follows a visit.
    bool prepareSession(const QByteArray &address, const FetchProfile &profile,
                        const std::atomic<bool> *abortFlag, FetchOptions *options) const;
    // One request (through the proxies in turn); false when a stop or the drift guard cut it.
    bool fetchOnce(const QByteArray &address, const FetchProfile &profile, const std::atomic<bool> *abortFlag,
                   FetchResult *result, RequestGate::Clock::time_point *sentAt,
                   FetchOptions *usedOptions) const;
    // Tells the notices, the gate and the line's notes what Baidu answered.
    void noteAnswer(const QByteArray &address, const FetchResult &result,
                    RequestGate::Clock::time_point sentAt) const;
    void noteInSession(const QByteArray &address, const FetchProfile &profile, const FetchResult &result,
                       const FetchOptions &options) const;
};
