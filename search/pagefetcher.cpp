#include "pagefetcher.h"

#include <curl/curl.h>
#include <openssl/crypto.h>

#include <mutex>
#include <new>

namespace {

// How long one wait for network activity may last while an abort flag is
// watched: the bound on how late a cancelled transfer notices.
constexpr int kAbortPollMilliseconds = 50;

constexpr char kTitleOpen[] = "<title>";
constexpr char kTitleClose[] = "</title>";
constexpr char kRobotCheckTitle[] = "百度安全验证";

void initialiseCurlOnce()
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
                      const std::atomic<bool> *abortFlag)
{
    initialiseCurlOnce();
    FetchResult result;
    if (abortFlag && abortFlag->load())
        return result;

    curl_slist *headers = nullptr;
    headers = curl_slist_append(headers, profile.acceptLine);
    headers = curl_slist_append(headers, FetchHeaders::kCharset);
    headers = curl_slist_append(headers, FetchHeaders::kExpect);
    headers = curl_slist_append(headers, profile.agent == UserAgent::Mobile ? FetchHeaders::kMobileAgent
                                                                            : FetchHeaders::kDesktopAgent);

    CURL *handle = curl_easy_init();
    if (!handle) {
        curl_slist_free_all(headers);
        return result;
    }
    QByteArray body;
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(handle, CURLOPT_URL, address.constData());
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, profile.timeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    if (profile.followRedirects) {
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(handle, CURLOPT_MAXREDIRS, profile.maxRedirects);
    }
    // "" advertises every encoding this libcurl decodes; Baidu's pages shrink about five times.
    curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");
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
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(handle);
    return result;
}

namespace {
// Why a page is unusable, as the diagnostics say it.
const QString kReasonTransfer = QStringLiteral("请求失败或超时");
const QString kReasonStatus = QStringLiteral("HTTP 状态 %1");
const QString kReasonEmpty = QStringLiteral("空白页面");
const QString kReasonRobotCheck = QStringLiteral("百度安全验证");

bool isRobotCheck(const QByteArray &body)
{
    const int open = body.indexOf(kTitleOpen);
    if (open < 0)
        return false;
    const int start = open + int(sizeof(kTitleOpen)) - 1;
    const int close = body.indexOf(kTitleClose, start);
    if (close < 0)
        return false;
    return body.mid(start, close - start).trimmed() == kRobotCheckTitle;
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
    if (!result.ok)
        return kReasonTransfer;
    if (result.httpStatus < 200 || result.httpStatus > 299)
        return kReasonStatus.arg(result.httpStatus);
    if (result.body.isEmpty())
        return kReasonEmpty;
    if (isRobotCheck(result.body))
        return kReasonRobotCheck;
    return QString();
}
