#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// A channel's text as it may be shown, parsed or not: the password of
// user:password@, what follows "#" (钉钉's secret), the values of the query
// (the robots' key and access_token) and the hook id of 飞书's address are
// masked.
QString maskChannelText(const QString &text);

// Where a digest goes: one of the group robots' webhooks or a mailbox.
enum class ChannelKind
{
    WeCom,    // 企业微信 group robot: "wecom:URL"
    DingTalk, // 钉钉 group robot: "dingtalk:URL" or "dingtalk:URL#SECRET" (signed)
    Feishu,   // 飞书 group robot: "feishu:URL"
    Email     // "smtp://[user[:password]@]host[:port]/to@example.cn[,...][?from=me@example.cn]", or smtps://
};

// One channel as the user writes it (settings, --notify), parsed and checked
// in one place. What it shows or puts into messages is masked(): passwords,
// signing secrets and the robots' tokens never leave it in clear.
class NotifyChannel
{
public:
    // The channel a text names; nullopt with the reason (masked, in Chinese) in problem.
    static std::optional<NotifyChannel> parse(const QString &text, QString *problem = nullptr);

    ChannelKind kind() const { return m_kind; }
    // As written.
    QString text() const { return m_text; }
    // As shown: secrets replaced by "****", tokens cut to their first characters.
    QString masked() const { return maskChannelText(m_text); }
    // Removes the channel's secrets from a text about it (a transfer's error, an answer).
    QString scrubbed(const QString &text) const;

    // Webhooks: where to post (without the 钉钉 secret). Email: the server, "smtp://host:port".
    QByteArray url() const { return m_url; }
    // 钉钉's signing secret; empty: unsigned.
    QString secret() const { return m_secret; }

    // Email only.
    QString user() const { return m_user; }
    QString password() const { return m_password; }
    QStringList recipients() const { return m_recipients; }
    QString sender() const { return m_sender; }
    bool implicitTls() const { return m_kind == ChannelKind::Email && m_url.startsWith("smtps:"); }

private:
    static std::optional<NotifyChannel> parseWebhook(ChannelKind kind, const QString &text,
                                                     const QString &rest, QString *problem);
    static std::optional<NotifyChannel> parseMail(const QString &text, QString *problem);

    ChannelKind m_kind = ChannelKind::WeCom;
    QString m_text;
    QByteArray m_url;
    QString m_secret;
    QString m_user;
    QString m_password;
    QStringList m_recipients;
    QString m_sender;
    // What scrubbed() removes: the secret, the password, the address's tokens.
    QStringList m_secrets;
};
