#include "notify/digestsender.h"

#include "notify/digestmessages.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

#include <curl/curl.h>
#include <openssl/crypto.h>

#include <memory>
#include <mutex>

namespace {

const QString kSent = QStringLiteral("%1：已发送");
const QString kNotSent = QStringLiteral("%1：发送失败：%2");
const QString kTimedOut = QStringLiteral("%1 秒内没有答复");
const QString kCannotConnect = QStringLiteral("无法连接（%1）");
const QString kNoSuchHost = QStringLiteral("找不到主机（%1）");
const QString kTls = QStringLiteral("证书或加密连接出错（%1）");
const QString kLoginDenied = QStringLiteral("邮件服务器拒绝登录（%1）");
const QString kNoStartTls = QStringLiteral("邮件服务器不支持 STARTTLS，密码不以明文发送（%1）");
const QString kHttpStatus = QStringLiteral("HTTP %1");
const QString kServiceError = QStringLiteral("服务答复错误 %1：%2");
const QString kUnreadableAnswer = QStringLiteral("答复无法解读：%1");
const QString kAborted = QStringLiteral("已取消");
const QString kSmtpCode = QStringLiteral("%1，SMTP %2");
// Enough of an answer to show what a service said, and no more.
constexpr int kShownAnswerChars = 200;
constexpr std::size_t kMaxAnswerBytes = 64 * 1024;

const char kJsonType[] = "Content-Type: application/json; charset=utf-8";
// An empty Expect header keeps libcurl from waiting for "100 Continue".
const char kNoExpect[] = "Expect:";
const char kAgent[] = "Quillane";

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // As for the fetches to Baidu: a 测试通知 runs on a pool thread that may
        // free OpenSSL's per-thread state after main() has returned, so
        // OpenSSL's exit-time cleanup must not free the locks it still takes.
        OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
        curl_global_init(CURL_GLOBAL_ALL);
    });
}

std::size_t appendAnswer(char *data, std::size_t size, std::size_t count, void *answer)
{
    auto *bytes = static_cast<QByteArray *>(answer);
    const std::size_t length = size * count;
    if (std::size_t(bytes->size()) + length > kMaxAnswerBytes)
        return 0;
    bytes->append(data, int(length));
    return length;
}

// The message of a mail's upload, handed out as libcurl asks for it.
struct Upload
{
    QByteArray bytes;
    int sent = 0;
};

std::size_t readUpload(char *buffer, std::size_t size, std::size_t count, void *upload)
{
    auto *state = static_cast<Upload *>(upload);
    const std::size_t length = qMin(size * count, std::size_t(state->bytes.size() - state->sent));
    memcpy(buffer, state->bytes.constData() + state->sent, length);
    state->sent += int(length);
    return length;
}

struct CurlDeleter
{
    void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter
{
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
using CurlList = std::unique_ptr<curl_slist, ListDeleter>;

CurlList listOf(const QList<QByteArray> &items)
{
    curl_slist *list = nullptr;
    for (const QByteArray &item : items)
        list = curl_slist_append(list, item.constData());
    return CurlList(list);
}

int abortOnFlag(void *flag, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<const std::atomic<bool> *>(flag)->load() ? 1 : 0;
}

void setCommonOptions(CURL *handle, const NotifyOptions &options, char *errorText)
{
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, options.timeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, options.connectTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    // Straight to the service: the proxies of the settings are for Baidu, and
    // the environment's proxy variables decide nothing here.
    curl_easy_setopt(handle, CURLOPT_PROXY, "");
    if (!options.caFile.isEmpty())
        curl_easy_setopt(handle, CURLOPT_CAINFO, options.caFile.constData());
    if (options.abortFlag) {
        curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, abortOnFlag);
        curl_easy_setopt(handle, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool> *>(options.abortFlag));
        curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    }
}

// A transfer that did not complete, in the user's words.
QString transferFailure(CURLcode code, const char *errorText, const NotifyOptions &options)
{
    const QString why = QString::fromUtf8(*errorText ? errorText : curl_easy_strerror(code));
    switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
        return kTimedOut.arg(options.timeoutSeconds);
    case CURLE_ABORTED_BY_CALLBACK:
        return kAborted;
    case CURLE_COULDNT_CONNECT:
        return kCannotConnect.arg(why);
    case CURLE_COULDNT_RESOLVE_HOST:
        return kNoSuchHost.arg(why);
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        return kTls.arg(why);
    case CURLE_LOGIN_DENIED:
        return kLoginDenied.arg(why);
    case CURLE_USE_SSL_FAILED:
        return kNoStartTls.arg(why);
    default:
        return why;
    }
}

// Reads a robot's answer: 企业微信 and 钉钉 {"errcode":0,"errmsg":"ok"}, 飞书
// {"code":0,"msg":"success"} (older robots: {"StatusCode":0,"StatusMessage":…}).
QString answerFailure(ChannelKind kind, long status, const QByteArray &answer)
{
    const QJsonObject json = QJsonDocument::fromJson(answer).object();
    QStringList codeKeys{QStringLiteral("errcode")};
    QStringList messageKeys{QStringLiteral("errmsg")};
    if (kind == ChannelKind::Feishu) {
        codeKeys = QStringList{QStringLiteral("code"), QStringLiteral("StatusCode")};
        messageKeys = QStringList{QStringLiteral("msg"), QStringLiteral("StatusMessage")};
    }
    QJsonValue code(QJsonValue::Undefined);
    QString message;
    for (const QString &key : codeKeys) {
        if (code.isUndefined())
            code = json.value(key);
    }
    for (const QString &key : messageKeys) {
        if (message.isEmpty())
            message = json.value(key).toString();
    }
    const QString shown = QString::fromUtf8(answer).simplified().left(kShownAnswerChars);
    if (status < 200 || status > 299) {
        const QString http = kHttpStatus.arg(status);
        if (!code.isUndefined())
            return kServiceError.arg(code.toVariant().toString(), message) + QStringLiteral("，") + http;
        return shown.isEmpty() ? http : http + QStringLiteral("：") + shown;
    }
    if (!code.isDouble())
        return kUnreadableAnswer.arg(shown);
    if (code.toDouble() != 0)
        return kServiceError.arg(code.toVariant().toString(), message);
    return QString();
}

QString postToRobot(const RunDigest &digest, const NotifyChannel &channel, const NotifyOptions &options)
{
    QByteArray url = channel.url();
    QByteArray body;
    switch (channel.kind()) {
    case ChannelKind::WeCom:
        body = DigestMessages::weComBody(digest);
        break;
    case ChannelKind::DingTalk:
        body = DigestMessages::dingTalkBody(digest);
        if (!channel.secret().isEmpty())
            url =
                DigestMessages::signedDingTalkUrl(url, channel.secret(), QDateTime::currentMSecsSinceEpoch());
        break;
    default:
        body = DigestMessages::feishuBody(digest);
        break;
    }

    const CurlHandle handle(curl_easy_init());
    char errorText[CURL_ERROR_SIZE] = {};
    QByteArray answer;
    const CurlList headers = listOf({kJsonType, kNoExpect});
    setCommonOptions(handle.get(), options, errorText);
    curl_easy_setopt(handle.get(), CURLOPT_URL, url.constData());
    curl_easy_setopt(handle.get(), CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle.get(), CURLOPT_USERAGENT, kAgent);
    curl_easy_setopt(handle.get(), CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(handle.get(), CURLOPT_POST, 1L);
    curl_easy_setopt(handle.get(), CURLOPT_POSTFIELDS, body.constData());
    curl_easy_setopt(handle.get(), CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body.size()));
    curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION, appendAnswer);
    curl_easy_setopt(handle.get(), CURLOPT_WRITEDATA, &answer);
    const CURLcode code = curl_easy_perform(handle.get());
    if (code != CURLE_OK)
        return transferFailure(code, errorText, options);
    long status = 0;
    curl_easy_getinfo(handle.get(), CURLINFO_RESPONSE_CODE, &status);
    return answerFailure(channel.kind(), status, answer);
}

QString sendMail(const RunDigest &digest, const NotifyChannel &channel, const NotifyOptions &options)
{
    Upload upload{DigestMessages::mailMessage(digest, channel, QDateTime::currentDateTime()), 0};
    QList<QByteArray> recipients;
    for (const QString &recipient : channel.recipients())
        recipients.append('<' + recipient.toUtf8() + '>');
    const CurlList recipientList = listOf(recipients);
    const QByteArray sender = '<' + channel.sender().toUtf8() + '>';
    const QByteArray user = channel.user().toUtf8();
    const QByteArray password = channel.password().toUtf8();

    const CurlHandle handle(curl_easy_init());
    char errorText[CURL_ERROR_SIZE] = {};
    setCommonOptions(handle.get(), options, errorText);
    curl_easy_setopt(handle.get(), CURLOPT_URL, channel.url().constData());
    curl_easy_setopt(handle.get(), CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    // smtps:// is encrypted from the start. On smtp://, STARTTLS is used
    // whenever the server offers it, and demanded before a password is sent.
    curl_easy_setopt(handle.get(), CURLOPT_USE_SSL,
                     channel.implicitTls() || !password.isEmpty() ? long(CURLUSESSL_ALL)
                                                                  : long(CURLUSESSL_TRY));
    if (!user.isEmpty()) {
        curl_easy_setopt(handle.get(), CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(handle.get(), CURLOPT_PASSWORD, password.constData());
    }
    curl_easy_setopt(handle.get(), CURLOPT_MAIL_FROM, sender.constData());
    curl_easy_setopt(handle.get(), CURLOPT_MAIL_RCPT, recipientList.get());
    curl_easy_setopt(handle.get(), CURLOPT_READFUNCTION, readUpload);
    curl_easy_setopt(handle.get(), CURLOPT_READDATA, &upload);
    curl_easy_setopt(handle.get(), CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(handle.get(), CURLOPT_INFILESIZE_LARGE, curl_off_t(upload.bytes.size()));
    const CURLcode code = curl_easy_perform(handle.get());
    if (code == CURLE_OK)
        return QString();
    const QString failure = transferFailure(code, errorText, options);
    long reply = 0;
    curl_easy_getinfo(handle.get(), CURLINFO_RESPONSE_CODE, &reply);
    // The server's last reply code tells a refused sender or recipient from a full mailbox.
    return reply >= 400 ? kSmtpCode.arg(failure, QString::number(reply)) : failure;
}

} // namespace

QString NotifyOutcome::summary() const
{
    return ok ? kSent.arg(channel) : kNotSent.arg(channel, detail);
}

NotifyOutcome sendDigest(const RunDigest &digest, const NotifyChannel &channel, const NotifyOptions &options)
{
    initialiseCurl();
    const QString failure = channel.kind() == ChannelKind::Email ? sendMail(digest, channel, options)
                                                                 : postToRobot(digest, channel, options);
    return {channel.masked(), failure.isEmpty(), channel.scrubbed(failure)};
}

QList<NotifyOutcome> sendDigest(const RunDigest &digest, const QList<NotifyChannel> &channels,
                                const NotifyOptions &options)
{
    QList<NotifyOutcome> outcomes;
    for (const NotifyChannel &channel : channels)
        outcomes.append(sendDigest(digest, channel, options));
    return outcomes;
}
