#include "notify/notifychannel.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace {

const QString kWeComPrefix = QStringLiteral("wecom:");
const QString kDingTalkPrefix = QStringLiteral("dingtalk:");
const QString kFeishuPrefix = QStringLiteral("feishu:");
const QString kSmtpPrefix = QStringLiteral("smtp://");
const QString kSmtpsPrefix = QStringLiteral("smtps://");
const QString kFromKey = QStringLiteral("from");
const QString kHidden = QStringLiteral("****");
// 飞书's address ends in the robot's id: /open-apis/bot/v2/hook/<id>.
const QString kHookSegment = QStringLiteral("/hook/");
// A token keeps this many characters when shown, enough to tell two robots apart.
constexpr int kShownTokenChars = 4;
// Shorter texts are never scrubbed from messages: they would hit ordinary words.
constexpr int kLeastScrubbed = 4;

const QString kUnknownForm = QStringLiteral(
    "无法识别的通知渠道（可用 wecom:网址、dingtalk:网址[#密钥]、feishu:网址、smtp:// 或 smtps://）");
const QString kControlCharacter = QStringLiteral("不能含换行或控制字符");
const QString kNotWebAddress = QStringLiteral("须为 http:// 或 https:// 网址");
const QString kNoHost = QStringLiteral("缺少主机");
const QString kBadPort = QStringLiteral("端口无效");
const QString kEmptySecret = QStringLiteral("“#”之后缺少加签密钥");
const QString kSecretNotHere = QStringLiteral("只有钉钉机器人可加签（#密钥）");
const QString kNoRecipient = QStringLiteral("缺少收件人（smtp://主机:端口/收件人）");
const QString kBadRecipient = QStringLiteral("收件人“%1”不是邮件地址");
const QString kBadSender = QStringLiteral("发件人“%1”不是邮件地址");
const QString kBadQuery = QStringLiteral("网址参数只认 ?from=发件人");

// Plain enough for an SMTP envelope and a header: no blanks, brackets,
// quotes or separators that would need quoting.
const QRegularExpression
    kMailAddress(QStringLiteral("^[^@\\s<>()\\[\\],;:\"\\\\]+@[^@\\s<>()\\[\\],;:\"\\\\]+$"));

bool hasControlCharacter(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

QString maskedToken(const QString &token)
{
    // A short value shows nothing: four characters of it would be most of it.
    return token.size() > 2 * kShownTokenChars ? token.left(kShownTokenChars) + kHidden : kHidden;
}

bool fail(QString *problem, const QString &why)
{
    if (problem)
        *problem = why;
    return false;
}

} // namespace

QString maskChannelText(const QString &text)
{
    QString shown = text;
    // user:password@ of a mail server: the password goes.
    const int scheme = shown.indexOf(QLatin1String("://"));
    if (scheme >= 0) {
        const int authorityStart = scheme + 3;
        int authorityEnd = shown.indexOf(QLatin1Char('/'), authorityStart);
        if (authorityEnd < 0)
            authorityEnd = shown.size();
        int at = shown.lastIndexOf(QLatin1Char('@'), authorityEnd - 1);
        const int colon = shown.indexOf(QLatin1Char(':'), authorityStart);
        if (at < authorityStart && colon >= 0 && colon < authorityEnd &&
            shown.at(authorityStart) != QLatin1Char('[')) {
            // No login before the first "/": unless a port follows the colon,
            // a password with an unencoded "/" runs on to the next "@".
            bool port = false;
            shown.mid(colon + 1, authorityEnd - colon - 1).toInt(&port);
            if (!port)
                at = shown.indexOf(QLatin1Char('@'), colon);
        }
        if (at >= authorityStart && colon >= 0 && colon < at)
            shown = shown.left(colon + 1) + kHidden + shown.mid(at);
    }
    // The fragment: 钉钉's signing secret.
    const int hash = shown.indexOf(QLatin1Char('#'));
    if (hash >= 0)
        shown = shown.left(hash + 1) + kHidden;
    // The robots' keys and tokens in the query.
    const int query = shown.indexOf(QLatin1Char('?'));
    if (query >= 0) {
        const int end = hash >= 0 ? shown.indexOf(QLatin1Char('#'), query) : shown.size();
        QStringList items = shown.mid(query + 1, end - query - 1).split(QLatin1Char('&'));
        for (QString &item : items) {
            const int equals = item.indexOf(QLatin1Char('='));
            if (equals >= 0 && item.left(equals) != kFromKey)
                item = item.left(equals + 1) + maskedToken(item.mid(equals + 1));
        }
        shown = shown.left(query + 1) + items.join(QLatin1Char('&')) + shown.mid(end);
    }
    const int hook = shown.indexOf(kHookSegment);
    if (hook >= 0) {
        const int start = hook + kHookSegment.size();
        int end = start;
        while (end < shown.size() && shown.at(end) != QLatin1Char('?') && shown.at(end) != QLatin1Char('#') &&
               shown.at(end) != QLatin1Char('/'))
            ++end;
        shown = shown.left(start) + maskedToken(shown.mid(start, end - start)) + shown.mid(end);
    }
    return shown;
}

std::optional<NotifyChannel> NotifyChannel::parse(const QString &written, QString *problem)
{
    const QString text = written.trimmed();
    if (hasControlCharacter(text)) {
        fail(problem, kControlCharacter);
        return std::nullopt;
    }
    const std::pair<const QString *, ChannelKind> webhooks[] = {{&kWeComPrefix, ChannelKind::WeCom},
                                                                {&kDingTalkPrefix, ChannelKind::DingTalk},
                                                                {&kFeishuPrefix, ChannelKind::Feishu}};
    for (const auto &webhook : webhooks) {
        if (text.startsWith(*webhook.first, Qt::CaseInsensitive))
            return parseWebhook(webhook.second, text, text.mid(webhook.first->size()), problem);
    }
    if (text.startsWith(kSmtpPrefix, Qt::CaseInsensitive) ||
        text.startsWith(kSmtpsPrefix, Qt::CaseInsensitive))
        return parseMail(text, problem);
    fail(problem, kUnknownForm);
    return std::nullopt;
}

std::optional<NotifyChannel> NotifyChannel::parseWebhook(ChannelKind kind, const QString &text,
                                                         const QString &rest, QString *problem)
{
    NotifyChannel channel;
    channel.m_kind = kind;
    channel.m_text = text;
    QString address = rest;
    const int hash = rest.indexOf(QLatin1Char('#'));
    if (hash >= 0) {
        if (kind != ChannelKind::DingTalk) {
            fail(problem, kSecretNotHere);
            return std::nullopt;
        }
        channel.m_secret = rest.mid(hash + 1);
        address = rest.left(hash);
        if (channel.m_secret.isEmpty()) {
            fail(problem, kEmptySecret);
            return std::nullopt;
        }
        channel.m_secrets.append(channel.m_secret);
    }
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        fail(problem, kNotWebAddress);
        return std::nullopt;
    }
    if (url.host().isEmpty()) {
        fail(problem, kNoHost);
        return std::nullopt;
    }
    channel.m_url = url.toEncoded();
    const QList<QPair<QString, QString>> items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    for (const auto &item : items)
        channel.m_secrets.append(item.second);
    const int hook = address.indexOf(kHookSegment);
    if (hook >= 0)
        channel.m_secrets.append(url.path().section(QLatin1Char('/'), -1));
    return channel;
}

std::optional<NotifyChannel> NotifyChannel::parseMail(const QString &text, QString *problem)
{
    NotifyChannel channel;
    channel.m_kind = ChannelKind::Email;
    channel.m_text = text;
    const int schemeEnd = text.indexOf(QLatin1String("://"));
    const QString scheme = text.left(schemeEnd).toLower();
    const QString rest = text.mid(schemeEnd + 3);
    // The password may hold "@" and ":" but must write "/" as %2F.
    const int slash = rest.indexOf(QLatin1Char('/'));
    const QString authority = slash < 0 ? rest : rest.left(slash);
    const QString path = slash < 0 ? QString() : rest.mid(slash + 1);
    const int at = authority.lastIndexOf(QLatin1Char('@'));
    const QString hostPort = authority.mid(at + 1);
    if (at >= 0) {
        const QString userInfo = authority.left(at);
        const int colon = userInfo.indexOf(QLatin1Char(':'));
        channel.m_user =
            QUrl::fromPercentEncoding(userInfo.left(colon < 0 ? userInfo.size() : colon).toUtf8());
        if (colon >= 0) {
            channel.m_password = QUrl::fromPercentEncoding(userInfo.mid(colon + 1).toUtf8());
            channel.m_secrets << userInfo.mid(colon + 1) << channel.m_password;
        }
    }

    // host, host:port, [v6], [v6]:port
    QString host = hostPort;
    QString port;
    const int bracket = hostPort.lastIndexOf(QLatin1Char(']'));
    const int portColon = hostPort.lastIndexOf(QLatin1Char(':'));
    if (portColon > bracket) {
        host = hostPort.left(portColon);
        port = hostPort.mid(portColon + 1);
    }
    if (host.isEmpty() || host == QLatin1String("[]")) {
        fail(problem, kNoHost);
        return std::nullopt;
    }
    if (!port.isEmpty()) {
        bool number = false;
        const int value = port.toInt(&number);
        if (!number || value < 1 || value > 65535) {
            fail(problem, kBadPort);
            return std::nullopt;
        }
    }
    const QUrl server(scheme + QLatin1String("://") + hostPort, QUrl::StrictMode);
    if (!server.isValid() || server.host().isEmpty()) {
        fail(problem, kNoHost);
        return std::nullopt;
    }
    channel.m_url = (scheme + QLatin1String("://") + hostPort).toUtf8();

    const int question = path.indexOf(QLatin1Char('?'));
    const QString recipients =
        QUrl::fromPercentEncoding(path.left(question < 0 ? path.size() : question).toUtf8());
    for (const QString &recipient : recipients.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString address = recipient.trimmed();
        if (!kMailAddress.match(address).hasMatch()) {
            fail(problem, kBadRecipient.arg(address));
            return std::nullopt;
        }
        channel.m_recipients.append(address);
    }
    if (channel.m_recipients.isEmpty()) {
        fail(problem, kNoRecipient);
        return std::nullopt;
    }
    if (question >= 0) {
        const QList<QPair<QString, QString>> items =
            QUrlQuery(path.mid(question + 1)).queryItems(QUrl::FullyDecoded);
        for (const auto &item : items) {
            if (item.first != kFromKey) {
                fail(problem, kBadQuery);
                return std::nullopt;
            }
            channel.m_sender = item.second.trimmed();
        }
        if (!kMailAddress.match(channel.m_sender).hasMatch()) {
            fail(problem, kBadSender.arg(channel.m_sender));
            return std::nullopt;
        }
    }
    // Without ?from=, the login when it is an address, else the first recipient writes to itself.
    if (channel.m_sender.isEmpty())
        channel.m_sender =
            kMailAddress.match(channel.m_user).hasMatch() ? channel.m_user : channel.m_recipients.first();
    return channel;
}

QString NotifyChannel::scrubbed(const QString &text) const
{
    QString clean = text;
    for (const QString &secret : m_secrets) {
        if (secret.size() >= kLeastScrubbed)
            clean.replace(secret, kHidden);
    }
    return clean;
}
