#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstddef>

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
inline constexpr FetchProfile FetchProfile::LinkResolve{"Accept: */*", UserAgent::Desktop, 15, false, 0};

namespace FetchHeaders {
inline constexpr char kDesktopAgent[] =
    "User-Agent: Mozilla/5.0 (Windows NT 6.3; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/43.0.2357.130 Safari/537.36";
// No blank between "(KHTML, like Gecko)" and "Version/4.0": sent exactly as Baidu has always seen it.
inline constexpr char kMobileAgent[] =
    "User-Agent: Mozilla/5.0 (Linux; U; Android 4.2.1; zh-cn; AMOI N828 Build/JOP40D) AppleWebKit/533.1 "
    "(KHTML, like Gecko)Version/4.0 MQQBrowser/4.4 Mobile Safari/533.1";
inline constexpr char kCharset[] = "Charset: utf-8";
// An empty Expect header suppresses libcurl's own "Expect: 100-continue".
inline constexpr char kExpect[] = "Expect:";
} // namespace FetchHeaders

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
};

// A body larger than this fails the fetch, so a misbehaving server cannot exhaust memory.
inline constexpr std::size_t kMaxBodyBytes = 32u * 1024u * 1024u;

// Blocking GET of a finished request address (UTF-8 bytes). Reentrant: every
// call owns its handle, header list and buffer. When abortFlag is given, the
// transfer is abandoned (ok = false) soon after the flag turns true.
FetchResult fetchPage(const QByteArray &address, const FetchProfile &profile,
                      const std::atomic<bool> *abortFlag = nullptr);

// libcurl's body callback: appends to the QByteArray at buffer; returns 0
// (abort) without a buffer or when the body would pass kMaxBodyBytes.
std::size_t writeBody(char *data, std::size_t size, std::size_t count, void *buffer);

// A search page that is no answer to the query: a failed transfer, an HTTP
// status outside 200-299, an empty body or Baidu's robot check ("百度安全验证").
// The checks treat such a page as a failed fetch.
bool isUnusableSearchPage(const FetchResult &result);

// Why isUnusableSearchPage holds for the page, in a few Chinese words.
QString unusablePageReason(const FetchResult &result);
