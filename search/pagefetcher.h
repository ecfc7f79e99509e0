#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstddef>
#include <memory>

class BaiduSession;

enum class UserAgent
{
    Desktop,
    Mobile
};

// One fixed combination of request settings. The five named profiles cover
// every request the checks make; tests may build others (a short time-out).
struct FetchProfile
{
    const char *acceptLine;
    UserAgent agent;
    long timeoutSeconds;
    bool followRedirects;
    long maxRedirects;
    // Reads one of Baidu's redirect links: its own, shorter time-out setting applies.
    bool readsLink = false;

    static const FetchProfile InclusionDesktop;
    static const FetchProfile InclusionMobile;
    static const FetchProfile RankingDesktop;
    static const FetchProfile RankingMobile;
    static const FetchProfile LinkResolve;
};

inline constexpr FetchProfile FetchProfile::InclusionDesktop{"Accept: *", UserAgent::Desktop, 30, false, 0};
inline constexpr FetchProfile FetchProfile::InclusionMobile{"Accept: *", UserAgent::Mobile, 30, false, 0};
inline constexpr FetchProfile FetchProfile::RankingDesktop{"Accept: */*", UserAgent::Desktop, 30, false, 0};
inline constexpr FetchProfile FetchProfile::RankingMobile{"Accept: */*", UserAgent::Mobile, 30, false, 0};
// Redirect links are read, not followed: Baidu's answer names the target, and
// the target site itself (slow, down) must never decide a position.
inline constexpr FetchProfile FetchProfile::LinkResolve{"Accept: */*", UserAgent::Desktop, 15, false, 0,
                                                        true};

namespace FetchHeaders {
// The agents sent unless the settings name others.
inline constexpr char kDesktopAgentValue[] =
    "Mozilla/5.0 (Windows NT 6.3; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/43.0.2357.130 Safari/537.36";
// No blank between "(KHTML, like Gecko)" and "Version/4.0": sent exactly as Baidu has always seen it.
inline constexpr char kMobileAgentValue[] =
    "Mozilla/5.0 (Linux; U; Android 4.2.1; zh-cn; AMOI N828 Build/JOP40D) AppleWebKit/533.1 "
    "(KHTML, like Gecko)Version/4.0 MQQBrowser/4.4 Mobile Safari/533.1";
inline constexpr char kAgentName[] = "User-Agent: ";
inline constexpr char kCharset[] = "Charset: utf-8";
// An empty Expect header suppresses libcurl's own "Expect: 100-continue".
inline constexpr char kExpect[] = "Expect:";
// What a browser sends with a page it navigates to; a session's requests send these
// instead of the profile's Accept line and Charset.
inline constexpr char kBrowserAccept[] =
    "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,*/*;q=0.8";
inline constexpr char kBrowserLanguage[] = "Accept-Language: zh-CN,zh;q=0.9";
inline constexpr char kReferer[] = "Referer: ";
} // namespace FetchHeaders

// How requests go out, from the user's settings. The default goes straight
// to the address (no proxy, whatever the environment says), verifies
// certificates against the system's store and keeps the profile's time-out.
struct FetchOptions
{
    long connectTimeoutSeconds = 10;
    long timeoutSeconds = 0;     // whole transfer of a search page; 0: the profile's
    long linkTimeoutSeconds = 0; // whole transfer of a redirect link; 0: the profile's
    QByteArray desktopAgent;     // empty: kDesktopAgentValue
    QByteArray mobileAgent;      // empty: kMobileAgentValue
    // "http://", "https://" or "socks5h://" with optional user:password@; empty: none.
    QByteArray proxy;
    // The environment's http_proxy, https_proxy and no_proxy decide (when proxy is empty).
    bool systemProxy = false;
    bool verifyCertificates = true;
    // A bundle of trusted certificates instead of the system's; only tests set it.
    QByteArray caFile;
    // The identity the request belongs to: its cookies are sent and kept, and
    // the headers are a browser's (with referer); null: no cookies, the profile's headers.
    std::shared_ptr<BaiduSession> session;
    QByteArray referer;
};

// Why a transfer did not complete.
enum class FetchFailure
{
    None,
    Aborted,     // the abort flag, or the gate's wait was cut short
    TimedOut,    // the connect or the whole-transfer time-out
    Refused,     // nothing answered at Baidu's address and port: the connection was refused
    Connection,  // reset, name not resolved, closed mid-answer, TLS handshake
    Certificate, // the server's certificate did not verify
    // The proxy did not carry the request to Baidu: refused, not found, no
    // answer, a garbled answer, authentication asked (407), a SOCKS refusal.
    ProxyUnreachable,
    Other // a body over kMaxBodyBytes, a bad address, out of memory
};

struct FetchResult
{
    // The transfer completed; says nothing about the HTTP status.
    bool ok = false;
    // Decoded from whatever compression the server chose.
    QByteArray body;
    // The answer's Content-Type header, which names the body's charset.
    QByteArray contentType;
    // The absolute address a redirect answer points to when it is not followed; Latin-1.
    QString redirectAddress;
    // The HTTP status of the last response, 0 when none arrived.
    long httpStatus = 0;
    FetchFailure failure = FetchFailure::None;
    // libcurl's words for the failure, for diagnostics.
    QString errorText;
    // The proxy that failed to carry the request (ProxyUnreachable), its password masked.
    QString proxy;
};

// A body larger than this fails the fetch, so a misbehaving server cannot exhaust memory.
inline constexpr std::size_t kMaxBodyBytes = 32u * 1024u * 1024u;

// Blocking GET of a finished request address (UTF-8 bytes). Reentrant: every
// call owns its handle, header list and buffer. When abortFlag is given, the
// transfer is abandoned (ok = false) soon after the flag turns true.
FetchResult fetchPage(const QByteArray &address, const FetchProfile &profile,
                      const std::atomic<bool> *abortFlag = nullptr,
                      const FetchOptions &options = FetchOptions());

// Sets libcurl up once per process; fetchPage does it itself.
void initialiseFetching();

// libcurl's body callback: appends to the QByteArray at buffer; returns 0
// (abort) without a buffer or when the body would pass kMaxBodyBytes.
std::size_t writeBody(char *data, std::size_t size, std::size_t count, void *buffer);

// A search page that is no answer to the query: a failed transfer, an HTTP
// status outside 200-299, an empty body or Baidu's robot check ("百度安全验证").
// The checks treat such a page as a failed fetch.
bool isUnusableSearchPage(const FetchResult &result);

// Why isUnusableSearchPage holds for the page, in a few Chinese words: the
// finest the answer tells ("连接超时", "连接被拒绝", "证书不受信任",
// "百度安全验证" also for a redirect to it, "服务器错误 502", "重定向无法读取"…).
QString unusablePageReason(const FetchResult &result);
// The reason with libcurl's words for it, where there are some: for notices.
QString failureDetail(const FetchResult &result);

// The answer is Baidu's robot check ("百度安全验证").
bool isRobotCheckAnswer(const FetchResult &result);

// Asking again may bring a verdict: a robot check, a time-out, a connection
// failure or a 5xx answer. A certificate that does not verify never will.
bool isTransientFailure(const FetchResult &result);

// What went wrong with the proxy of a ProxyUnreachable result, without naming it.
QString proxyFailureDetail(const FetchResult &result);

// The reason unusablePageReason gives for a certificate that did not verify.
QString certificateFailureReason();
