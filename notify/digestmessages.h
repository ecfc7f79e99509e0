#pragma once

#include "notify/rundigest.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

class NotifyChannel;

// A digest in the form each service documents for its group robots, and as
// a mail. A robot's message has a size limit: a digest that would pass it
// lists the most serious changes that fit and ends their list with
// "… 另有 N 项变化未列出".
namespace DigestMessages {
// 企业微信: markdown.content at most 4096 bytes of UTF-8.
inline constexpr int kWeComContentBytes = 4096;
// 钉钉 takes about 20,000 bytes per message; room is left for the JSON around it.
inline constexpr int kDingTalkBodyBytes = 18000;
// 飞书: a request body of at most 20 KB (JSON included).
inline constexpr int kFeishuBodyBytes = 18000;

// {"msgtype":"markdown","markdown":{"content":"…"}}
QByteArray weComBody(const RunDigest &digest);
// {"msgtype":"markdown","markdown":{"title":"…","text":"…"}}
QByteArray dingTalkBody(const RunDigest &digest);
// {"msg_type":"post","content":{"post":{"zh_cn":{"title":"…","content":[[{"tag":"text","text":"…"}],…]}}}}
QByteArray feishuBody(const RunDigest &digest);

// 钉钉's signed address: &timestamp=MS&sign=…, the sign being the URL-encoded
// base64 of HMAC-SHA256("MS\nsecret") keyed with the secret.
QByteArray signedDingTalkUrl(const QByteArray &url, const QString &secret, qint64 timestampMs);

// The digest as plain text with every change, for mail.
QString plainText(const RunDigest &digest);
// A whole message (headers and a base64 UTF-8 body, CRLF line ends) from
// the channel's sender to its recipients, dated at.
QByteArray mailMessage(const RunDigest &digest, const NotifyChannel &channel, const QDateTime &at);
// An RFC 2047 header value: ASCII as it is, anything else as =?UTF-8?B?…?= words, folded.
QByteArray encodedHeader(const QString &text);
} // namespace DigestMessages
