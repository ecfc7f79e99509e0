#include "search/pagefetcher.h"

#include "search/baidusession.h"
#include "search/fetchsettings.h"

#include <QStringList>
#include <QTextCodec>

#include <curl/curl.h>
#include <openssl/crypto.h>

#include <mutex>
#include <new>

namespace {

// How long one wait for network activity may last while an abort flag is
// watched: the bound on how late a cancelled transfer notices.
constexpr int kAbortPollMilliseconds = 50;

constexpr char kTitleOpen[] = "<title";
constexpr char kTitleClose[] = "</title>";
constexpr long kProxyAuthenticationStatus = 407;

} // namespace

void initialiseFetching()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Pool threads free OpenSSL's per-thread state as they exit, which can be
        // after main() has returned (Qt's pool threads are detached). OpenSSL's
        // exit-time cleanup would free the locks they still take and crash the
        // process on its way out; its state is left to the end of the process.
        OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
        curl_global_init(CURL_GLOBAL_ALL);
    });
}

namespace {

int abortOnFlag(void *flag, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<const std::atomic<bool> *>(flag)->load() ? 1 : 0;
}

// Drives the easy handle through a private multi handle so that an abort flag
// is seen within kAbortPollMilliseconds even while the server stays silent.
CURLcode performWatching(CURL *handle, const std::atomic<bool> *abortFlag)
{
    CURLM *multi = curl_multi_init();
    if (!multi)
        return CURLE_OUT_OF_MEMORY;
    curl_multi_add_handle(multi, handle);
    CURLcode outcome = CURLE_ABORTED_BY_CALLBACK;
    int running = 1;
    while (running > 0 && !abortFlag->load()) {
        if (curl_multi_perform(multi, &running) != CURLM_OK)
            break;
        if (running > 0)
            curl_multi_poll(multi, nullptr, 0, kAbortPollMilliseconds, nullptr);
    }
    int queued = 0;
    while (CURLMsg *message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == handle)
            outcome = message->data.result;
    }
    curl_multi_remove_handle(multi, handle);
    curl_multi_cleanup(multi);
    return outcome;
}

FetchFailure failureOf(CURLcode outcome, bool throughProxy)
{
    switch (outcome) {
    case CURLE_OK:
        return FetchFailure::None;
    case CURLE_ABORTED_BY_CALLBACK:
        return FetchFailure::Aborted;
    case CURLE_OPERATION_TIMEDOUT:
        return FetchFailure::TimedOut;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
        return FetchFailure::Certificate;
    case CURLE_COULDNT_RESOLVE_PROXY:
        return FetchFailure::ProxyUnreachable;
    case CURLE_COULDNT_CONNECT:
        // Through a proxy, the one connection made is the one to the proxy.
        return throughProxy ? FetchFailure::ProxyUnreachable : FetchFailure::Refused;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_PARTIAL_FILE:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_PROXY:
        return FetchFailure::Connection;
    default:
        return FetchFailure::Other;
    }
}

// A request through a proxy got past it: the tunnel was opened, or the
// connection (tunnel, TLS) was ready for the request. Any failure before is the proxy's.
bool passedProxy(CURL *handle)
{
    long tunnelStatus = 0;
    curl_easy_getinfo(handle, CURLINFO_HTTP_CONNECTCODE, &tunnelStatus);
    curl_off_t readyMicroseconds = 0;
    curl_easy_getinfo(handle, CURLINFO_PRETRANSFER_TIME_T, &readyMicroseconds);
    return (tunnelStatus >= 200 && tunnelStatus < 300) || readyMicroseconds > 0;
}

} // namespace

std::size_t writeBody(char *data, std::size_t size, std::size_t count, void *buffer)
{
    if (!buffer)
        return 0;
    const std::size_t bytes = size * count;
    auto *body = static_cast<QByteArray *>(buffer);
    if (static_cast<std::size_t>(body->size()) + bytes > kMaxBodyBytes)
        return 0;
    try {
        body->append(data, static_cast<int>(bytes));
    } catch (const std::bad_alloc &) {
        return 0;
    }
    return bytes;
}

FetchResult fetchPage(const QByteArray &address, const FetchProfile &profile,
                      const std::atomic<bool> *abortFlag, const FetchOptions &options)
{
    initialiseFetching();
    FetchResult result;
    if (abortFlag && abortFlag->load()) {
        result.failure = FetchFailure::Aborted;
        return result;
    }

    const bool mobile = profile.agent == UserAgent::Mobile;
    QByteArray agent = mobile ? options.mobileAgent : options.desktopAgent;
    // A line break would end the header and start one of someone else's making.
    if (agent.contains('\n') || agent.contains('\r'))
        agent.clear();
    if (agent.isEmpty())
        agent = mobile ? FetchHeaders::kMobileAgentValue : FetchHeaders::kDesktopAgentValue;
    const QByteArray agentLine = FetchHeaders::kAgentName + agent;
    curl_slist *headers = nullptr;
    const QByteArray refererLine = FetchHeaders::kReferer + options.referer;
    if (options.session) {
        headers = curl_slist_append(headers, FetchHeaders::kBrowserAccept);
        headers = curl_slist_append(headers, FetchHeaders::kBrowserLanguage);
        headers = curl_slist_append(headers, FetchHeaders::kExpect);
        headers = curl_slist_append(headers, agentLine.constData());
        if (!options.referer.isEmpty() && !options.referer.contains('\n') && !options.referer.contains('\r'))
            headers = curl_slist_append(headers, refererLine.constData());
    } else {
        headers = curl_slist_append(headers, profile.acceptLine);
        headers = curl_slist_append(headers, FetchHeaders::kCharset);
        headers = curl_slist_append(headers, FetchHeaders::kExpect);
        headers = curl_slist_append(headers, agentLine.constData());
    }

    CURL *handle = curl_easy_init();
    if (!handle) {
        curl_slist_free_all(headers);
        return result;
    }
    QByteArray body;
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
    const long verify = options.verifyCertificates ? 1L : 0L;
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, verify);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, verify * 2);
    curl_easy_setopt(handle, CURLOPT_PROXY_SSL_VERIFYPEER, verify);
    curl_easy_setopt(handle, CURLOPT_PROXY_SSL_VERIFYHOST, verify * 2);
    if (!options.caFile.isEmpty())
        curl_easy_setopt(handle, CURLOPT_CAINFO, options.caFile.constData());
    // An empty proxy turns off libcurl's reading of the environment's proxy variables.
    if (!options.proxy.isEmpty() || !options.systemProxy)
        curl_easy_setopt(handle, CURLOPT_PROXY, options.proxy.constData());
    // A chosen proxy carries every request: the environment's no_proxy must not send one past it.
    if (!options.proxy.isEmpty())
        curl_easy_setopt(handle, CURLOPT_NOPROXY, "");
    curl_easy_setopt(handle, CURLOPT_URL, address.constData());
    const long timeout = profile.readsLink ? options.linkTimeoutSeconds : options.timeoutSeconds;
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, timeout > 0 ? timeout : profile.timeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, options.connectTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    if (profile.followRedirects) {
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(handle, CURLOPT_MAXREDIRS, profile.maxRedirects);
    }
    // "" advertises every encoding this libcurl decodes; Baidu's pages shrink about five times.
    curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");
    if (options.session) {
        // The session's jar sends its cookies and keeps the ones Baidu sets.
        curl_easy_setopt(handle, CURLOPT_SHARE, static_cast<CURLSH *>(options.session->shareHandle()));
        curl_easy_setopt(handle, CURLOPT_COOKIEFILE, "");
    }
    // Time-outs must not use signals on worker threads.
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);

    CURLcode outcome;
    if (abortFlag) {
        curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, abortOnFlag);
        curl_easy_setopt(handle, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool> *>(abortFlag));
        curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
        outcome = performWatching(handle, abortFlag);
    } else {
        outcome = curl_easy_perform(handle);
    }

    const bool throughProxy = !options.proxy.isEmpty();
    result.failure =
        abortFlag && abortFlag->load() ? FetchFailure::Aborted : failureOf(outcome, throughProxy);
    if (outcome != CURLE_OK)
        result.errorText = QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(outcome));
    if (throughProxy && outcome != CURLE_OK && result.failure != FetchFailure::Aborted &&
        result.failure != FetchFailure::Certificate && !passedProxy(handle)) {
        result.failure = FetchFailure::ProxyUnreachable;
        curl_easy_getinfo(handle, CURLINFO_HTTP_CONNECTCODE, &result.httpStatus);
    }
    if (result.failure == FetchFailure::ProxyUnreachable)
        result.proxy = maskedProxy(QString::fromUtf8(options.proxy));
    if (outcome == CURLE_OK) {
        result.ok = true;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result.httpStatus);
        char *text = nullptr;
        if (curl_easy_getinfo(handle, CURLINFO_CONTENT_TYPE, &text) == CURLE_OK && text)
            result.contentType = QByteArray(text);
        text = nullptr;
        if (!profile.followRedirects && curl_easy_getinfo(handle, CURLINFO_REDIRECT_URL, &text) == CURLE_OK &&
            text)
            result.redirectAddress = QString::fromLatin1(text);
        result.body = std::move(body);
        // Only a proxy asks for proxy authentication; Baidu never saw the request.
        if (throughProxy && result.httpStatus == kProxyAuthenticationStatus) {
            result.ok = false;
            result.body.clear();
            result.failure = FetchFailure::ProxyUnreachable;
            result.proxy = maskedProxy(QString::fromUtf8(options.proxy));
        }
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(handle);
    return result;
}

namespace {
// Why a page is unusable: a line's reason for 异常, short, as the table's
// 原因 column, the output's last column and the history keep it.
const QString kReasonTimedOut = QStringLiteral("连接超时");
const QString kReasonRefused = QStringLiteral("连接被拒绝");
const QString kReasonConnection = QStringLiteral("连接失败");
const QString kReasonStopped = QStringLiteral("查询已停止");
const QString kReasonTransfer = QStringLiteral("请求失败");
const QString kReasonServerError = QStringLiteral("服务器错误 %1");
const QString kReasonRedirect = QStringLiteral("重定向无法读取");
const QString kReasonStatus = QStringLiteral("HTTP 状态 %1");
const QString kReasonEmpty = QStringLiteral("空白页面");
const QString kReasonRobotCheck = QStringLiteral("百度安全验证");
const QString kReasonCertificate = QStringLiteral("证书不受信任");
const QString kReasonWithDetail = QStringLiteral("%1（%2）");
const QString kReasonProxy = QStringLiteral("代理 %1 无法使用：%2");
const QString kReasonNoProxy = QStringLiteral("没有可用的代理（代理列表为空或有误）");
const QString kProxyAuthentication = QStringLiteral("要求身份验证（HTTP 407）");
const QString kProxyNoPassage = QStringLiteral("未能经它连到百度（%1）");

// The titles of Baidu's robot check and of its older access-error page (served
// from verify.baidu.com in GB2312), in the encodings they come in.
const QList<QByteArray> &robotCheckTitles()
{
    static const QList<QByteArray> titles = [] {
        QList<QByteArray> list;
        QTextCodec *gb = QTextCodec::codecForName("GB18030");
        for (const QString &title :
             {QStringLiteral("百度安全验证"), QStringLiteral("百度--您的访问出错了")}) {
            list.append(title.toUtf8());
            if (gb)
                list.append(gb->fromUnicode(title));
        }
        return list;
    }();
    return titles;
}

// Where a robot check is loaded from or posts to. Result pages name these
// hosts too (for logging in), so they tell only on a page without results.
const QList<QByteArray> kRobotCheckMarkers{QByteArrayLiteral("wappass.baidu.com"),
                                           QByteArrayLiteral("verify.baidu.com"),
                                           QByteArrayLiteral("mkdjump")};
// Markup that only a result page holds: the desktop column, the mobile list and blocks.
const QList<QByteArray> kResultMarkers{QByteArrayLiteral("content_left"), QByteArrayLiteral("c-container"),
                                       QByteArrayLiteral("c-result")};
// The hosts a robot check is served from when Baidu redirects to it.
const QStringList kRobotCheckHosts{QStringLiteral("wappass.baidu.com"), QStringLiteral("verify.baidu.com")};

bool isRobotCheck(const QByteArray &body)
{
    const int open = body.indexOf(kTitleOpen);
    if (open >= 0) {
        const int start = body.indexOf('>', open);
        const int close = start < 0 ? -1 : body.indexOf(kTitleClose, start);
        if (close > start) {
            // Exactly: a search for these words has them in its title too.
            const QByteArray title = body.mid(start + 1, close - start - 1).trimmed();
            if (robotCheckTitles().contains(title))
                return true;
        }
    }
    // A title that does not read: the page's structure tells.
    for (const QByteArray &marker : kResultMarkers) {
        if (body.contains(marker))
            return false;
    }
    for (const QByteArray &marker : kRobotCheckMarkers) {
        if (body.contains(marker))
            return true;
    }
    return false;
}

// A redirect to the robot check's hosts, as Baidu sends scripted clients there.
bool redirectsToRobotCheck(const FetchResult &result)
{
    if (result.httpStatus < 300 || result.httpStatus > 399 || result.redirectAddress.isEmpty())
        return false;
    const QString rest = result.redirectAddress.section(QLatin1String("://"), 1);
    QString host = rest.section(QLatin1Char('/'), 0, 0);
    host = host.section(QLatin1Char('?'), 0, 0).section(QLatin1Char(':'), 0, 0).toLower();
    // The check's own page ("/static/captcha/tuxing.html") tells wherever it is served from.
    const QString path = rest.section(QLatin1Char('?'), 0, 0).section(QLatin1Char('/'), 1);
    return kRobotCheckHosts.contains(host) || path.contains(QLatin1String("captcha/"), Qt::CaseInsensitive);
}
} // namespace

bool isUnusableSearchPage(const FetchResult &result)
{
    if (!result.ok || result.httpStatus < 200 || result.httpStatus > 299 || result.body.isEmpty())
        return true;
    return isRobotCheck(result.body);
}

QString unusablePageReason(const FetchResult &result)
{
    switch (result.failure) {
    case FetchFailure::Certificate:
        return kReasonCertificate;
    case FetchFailure::ProxyUnreachable:
        return result.proxy.isEmpty() ? kReasonNoProxy
                                      : kReasonProxy.arg(result.proxy, proxyFailureDetail(result));
    case FetchFailure::TimedOut:
        return kReasonTimedOut;
    case FetchFailure::Refused:
        return kReasonRefused;
    case FetchFailure::Connection:
        return kReasonConnection;
    case FetchFailure::Aborted:
        return kReasonStopped;
    case FetchFailure::Other:
    case FetchFailure::None:
        break;
    }
    if (!result.ok)
        return kReasonTransfer;
    if (isRobotCheckAnswer(result))
        return kReasonRobotCheck;
    if (result.httpStatus >= 500)
        return kReasonServerError.arg(result.httpStatus);
    // A redirect a search page should not answer with, to a target other than the robot check.
    if (result.httpStatus >= 300 && result.httpStatus <= 399)
        return kReasonRedirect;
    if (result.httpStatus < 200 || result.httpStatus > 299)
        return kReasonStatus.arg(result.httpStatus);
    if (result.body.isEmpty())
        return kReasonEmpty;
    return QString();
}

bool isRobotCheckAnswer(const FetchResult &result)
{
    return result.ok && (redirectsToRobotCheck(result) || isRobotCheck(result.body));
}

bool isTransientFailure(const FetchResult &result)
{
    switch (result.failure) {
    case FetchFailure::TimedOut:
    case FetchFailure::Refused:
    case FetchFailure::Connection:
    case FetchFailure::ProxyUnreachable:
        return true;
    case FetchFailure::None:
        return result.httpStatus >= 500 || isRobotCheckAnswer(result);
    default:
        return false;
    }
}

QString proxyFailureDetail(const FetchResult &result)
{
    return result.httpStatus == kProxyAuthenticationStatus ? kProxyAuthentication
                                                           : kProxyNoPassage.arg(result.errorText);
}

QString certificateFailureReason()
{
    return kReasonCertificate;
}

QString failureDetail(const FetchResult &result)
{
    const QString reason = unusablePageReason(result);
    return result.errorText.isEmpty() ? reason : kReasonWithDetail.arg(reason, result.errorText);
}
