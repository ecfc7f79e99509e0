#include "notify/digestmessages.h"

#include "notify/notifychannel.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QUrl>

#include <functional>

namespace {

const QString kFrom = QStringLiteral("Quillane工具");
const QString kSignature = QStringLiteral("-- \nQuillane工具");
const QLatin1String kMarkdownHeading("### ");
const QLatin1String kMarkdownQuote("> ");
const QLatin1String kMarkdownItem("- ");
// An encoded word is at most 75 characters: "=?UTF-8?B?" and "?=" leave 63
// for base64, which carries 45 bytes in 60 of them.
constexpr int kEncodedWordBytes = 45;
// Base64 lines of a mail body, as MIME asks.
constexpr int kBodyLineChars = 76;

// The digest's parts with the first shown changes; a last line tells how
// many were left out.
struct Shown
{
    QStringList head;
    QStringList changes;
    QStringList totals;
};

Shown shownParts(const RunDigest &digest, int shown)
{
    Shown parts{digest.headLines(), {}, digest.totalLines()};
    for (int i = 0; i < shown && i < digest.changes.size(); ++i)
        parts.changes.append(RunDigest::changeLine(digest.changes.at(i)));
    if (shown < digest.changes.size())
        parts.changes.append(RunDigest::omittedLine(digest.changes.size() - shown));
    return parts;
}

// The most changes whose message stays within limit bytes (at least none).
int fittingChanges(int total, int limit, const std::function<int(int)> &size)
{
    if (size(total) <= limit)
        return total;
    int fits = 0;
    int tooMany = total;
    while (tooMany - fits > 1) {
        const int middle = (fits + tooMany) / 2;
        if (size(middle) <= limit)
            fits = middle;
        else
            tooMany = middle;
    }
    return fits;
}

QString markdown(const RunDigest &digest, int shown)
{
    const Shown parts = shownParts(digest, shown);
    QStringList paragraphs{kMarkdownHeading + digest.title()};
    for (const QString &line : parts.head)
        paragraphs.append(kMarkdownQuote + line);
    QStringList items;
    for (const QString &line : parts.changes)
        items.append(kMarkdownItem + line);
    paragraphs.append(items.join(QLatin1Char('\n')));
    paragraphs += parts.totals;
    // Both robots' markdown starts a new line only after a blank one.
    return paragraphs.join(QLatin1String("\n\n"));
}

QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray weComMarkdown(const RunDigest &digest, int shown)
{
    return compact(
        {{QStringLiteral("msgtype"), QStringLiteral("markdown")},
         {QStringLiteral("markdown"), QJsonObject{{QStringLiteral("content"), markdown(digest, shown)}}}});
}

QByteArray dingTalkMarkdown(const RunDigest &digest, int shown)
{
    return compact(
        {{QStringLiteral("msgtype"), QStringLiteral("markdown")},
         {QStringLiteral("markdown"), QJsonObject{{QStringLiteral("title"), digest.title()},
                                                  {QStringLiteral("text"), markdown(digest, shown)}}}});
}

QByteArray feishuPost(const RunDigest &digest, int shown)
{
    const Shown parts = shownParts(digest, shown);
    QJsonArray paragraphs;
    for (const QString &line : parts.head + parts.changes + parts.totals)
        paragraphs.append(QJsonArray{
            QJsonObject{{QStringLiteral("tag"), QStringLiteral("text")}, {QStringLiteral("text"), line}}});
    const QJsonObject post{{QStringLiteral("zh_cn"), QJsonObject{{QStringLiteral("title"), digest.title()},
                                                                 {QStringLiteral("content"), paragraphs}}}};
    return compact({{QStringLiteral("msg_type"), QStringLiteral("post")},
                    {QStringLiteral("content"), QJsonObject{{QStringLiteral("post"), post}}}});
}

// "Tue, 08 Dec 2026 09:00:00 +0800": English names whatever the user's locale.
QByteArray mailDate(const QDateTime &at)
{
    const int offset = at.offsetFromUtc() / 60;
    const int magnitude = qAbs(offset);
    return QLocale::c().toString(at, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")).toLatin1() +
           (offset < 0 ? '-' : '+') + QByteArray::number(magnitude / 60).rightJustified(2, '0') +
           QByteArray::number(magnitude % 60).rightJustified(2, '0');
}

QByteArray foldedBase64(const QByteArray &bytes)
{
    const QByteArray encoded = bytes.toBase64();
    QByteArray folded;
    for (int i = 0; i < encoded.size(); i += kBodyLineChars)
        folded += encoded.mid(i, kBodyLineChars) + "\r\n";
    return folded;
}

} // namespace

QByteArray DigestMessages::weComBody(const RunDigest &digest)
{
    const int shown = fittingChanges(digest.changes.size(), kWeComContentBytes,
                                     [&](int n) { return int(markdown(digest, n).toUtf8().size()); });
    return weComMarkdown(digest, shown);
}

QByteArray DigestMessages::dingTalkBody(const RunDigest &digest)
{
    const int shown = fittingChanges(digest.changes.size(), kDingTalkBodyBytes,
                                     [&](int n) { return int(dingTalkMarkdown(digest, n).size()); });
    return dingTalkMarkdown(digest, shown);
}

QByteArray DigestMessages::feishuBody(const RunDigest &digest)
{
    const int shown = fittingChanges(digest.changes.size(), kFeishuBodyBytes,
                                     [&](int n) { return int(feishuPost(digest, n).size()); });
    return feishuPost(digest, shown);
}

QByteArray DigestMessages::signedDingTalkUrl(const QByteArray &url, const QString &secret, qint64 timestampMs)
{
    const QByteArray timestamp = QByteArray::number(timestampMs);
    const QByteArray key = secret.toUtf8();
    const QByteArray mac =
        QMessageAuthenticationCode::hash(timestamp + '\n' + key, key, QCryptographicHash::Sha256);
    return url + (url.contains('?') ? '&' : '?') + "timestamp=" + timestamp +
           "&sign=" + QUrl::toPercentEncoding(QString::fromLatin1(mac.toBase64()));
}

QString DigestMessages::plainText(const RunDigest &digest)
{
    const Shown parts = shownParts(digest, digest.changes.size());
    const QStringList blocks{digest.title(), parts.head.join(QLatin1Char('\n')),
                             parts.changes.join(QLatin1Char('\n')), parts.totals.join(QLatin1Char('\n')),
                             kSignature};
    return blocks.join(QLatin1String("\n\n")) + QLatin1Char('\n');
}

QByteArray DigestMessages::encodedHeader(const QString &text)
{
    bool plain = true;
    for (const QChar c : text)
        plain = plain && c.unicode() >= 0x20 && c.unicode() < 0x7f;
    if (plain)
        return text.toLatin1();
    QList<QByteArray> words;
    QByteArray chunk;
    for (int i = 0; i < text.size(); ++i) {
        // A character and its low surrogate stay in one word.
        const int length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray character = text.mid(i, length).toUtf8();
        i += length - 1;
        if (chunk.size() + character.size() > kEncodedWordBytes) {
            words.append("=?UTF-8?B?" + chunk.toBase64() + "?=");
            chunk.clear();
        }
        chunk += character;
    }
    if (!chunk.isEmpty())
        words.append("=?UTF-8?B?" + chunk.toBase64() + "?=");
    return words.join("\r\n ");
}

QByteArray DigestMessages::mailMessage(const RunDigest &digest, const NotifyChannel &channel,
                                       const QDateTime &at)
{
    const QByteArray sender = channel.sender().toUtf8();
    const QByteArray domain = sender.mid(sender.indexOf('@') + 1);
    const QByteArray messageId = "<" + QByteArray::number(at.toMSecsSinceEpoch()) + "." +
                                 QByteArray::number(QRandomGenerator::global()->generate64(), 16) + "@" +
                                 domain + ">";
    QByteArray message;
    message += "Date: " + mailDate(at) + "\r\n";
    message += "From: " + encodedHeader(kFrom) + " <" + sender + ">\r\n";
    message += "To: " + channel.recipients().join(QStringLiteral(", ")).toUtf8() + "\r\n";
    message += "Subject: " + encodedHeader(digest.title()) + "\r\n";
    message += "Message-ID: " + messageId + "\r\n";
    message += "MIME-Version: 1.0\r\n";
    message += "Content-Type: text/plain; charset=UTF-8\r\n";
    message += "Content-Transfer-Encoding: base64\r\n";
    message += "\r\n";
    message += foldedBase64(plainText(digest).replace(QLatin1Char('\n'), QLatin1String("\r\n")).toUtf8());
    return message;
}
