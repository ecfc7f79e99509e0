#include "search/pagetext.h"

#include <QTextCodec>

#include <cstring>

namespace {

constexpr char kCharsetKey[] = "charset=";
// Meta declarations stand in the page's head; this is how far it is searched.
constexpr int kHeadSearchBytes = 4096;
// Compressed streams begin with these bytes; no HTML page does.
constexpr unsigned char kGzipMagic[] = {0x1f, 0x8b};
// Share of undecodable characters beyond which a body is no text.
constexpr int kMaxBadPerMille = 50;

bool isUtf8Name(const QByteArray &name)
{
    return name.isEmpty() || name == "utf-8" || name == "utf8";
}

// Charset value after "charset=" at offset, up to a quote, blank, ';' or '>'.
QByteArray charsetValueAt(const QByteArray &text, int offset)
{
    int start = offset + int(sizeof(kCharsetKey)) - 1;
    while (start < text.size() && (text.at(start) == '"' || text.at(start) == '\'' || text.at(start) == ' '))
        ++start;
    int end = start;
    while (end < text.size() && !std::strchr("\"'; >/\t\r\n", text.at(end)))
        ++end;
    return text.mid(start, end - start).trimmed().toLower();
}

// Length of the valid UTF-8 sequence at i, 0 when it is invalid.
int utf8SequenceLength(const unsigned char *bytes, int i, int size)
{
    const unsigned char lead = bytes[i];
    int length = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xc2 && lead <= 0xdf)
        length = 2;
    else if (lead >= 0xe0 && lead <= 0xef)
        length = 3;
    else if (lead >= 0xf0 && lead <= 0xf4)
        length = 4;
    else
        return 0;
    if (i + length > size)
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((bytes[i + k] & 0xc0) != 0x80)
            return 0;
    }
    return length;
}

// Counts invalid sequences, valid sequences of more than one byte, and NUL
// bytes (the HTML parser stops at a NUL).
struct Utf8Scan
{
    int invalid = 0;
    int multibyte = 0;
    int nul = 0;
};

Utf8Scan scanUtf8(const QByteArray &text)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(text.constData());
    const int size = text.size();
    Utf8Scan scan;
    for (int i = 0; i < size;) {
        if (bytes[i] == 0) {
            ++scan.nul;
            ++i;
            continue;
        }
        if (bytes[i] < 0x80) {
            ++i;
            continue;
        }
        const int length = utf8SequenceLength(bytes, i, size);
        if (length == 0) {
            ++scan.invalid;
            ++i;
        } else {
            ++scan.multibyte;
            i += length;
        }
    }
    return scan;
}

// UTF-8 with a stray broken byte (a cut, a damaged abstract) stays UTF-8;
// Chinese text in another encoding breaks at most of its characters.
bool isMostlyUtf8(const Utf8Scan &scan)
{
    return scan.invalid * 20 <= scan.multibyte;
}

QByteArray withoutNul(QByteArray text)
{
    text.replace('\0', ' ');
    return text;
}

// Characters no page shows: controls other than blanks, private use, replacements.
// Binary bytes decoded by the lenient GB18030 codec come out so.
int unlikelyCharacters(const QString &text)
{
    int count = 0;
    for (const QChar c : text) {
        const ushort unit = c.unicode();
        count += (unit < 0x20 && unit != '\t' && unit != '\n' && unit != '\r' && unit != 0) ||
                 (unit >= 0xE000 && unit <= 0xF8FF) || unit == QChar::ReplacementCharacter;
    }
    return count;
}

bool looksCompressed(const QByteArray &body)
{
    return body.size() >= 2 && static_cast<unsigned char>(body.at(0)) == kGzipMagic[0] &&
           static_cast<unsigned char>(body.at(1)) == kGzipMagic[1];
}

} // namespace

QByteArray declaredCharset(const QByteArray &contentType, const QByteArray &body)
{
    const QByteArray type = contentType.toLower();
    const int inHeader = type.indexOf(kCharsetKey);
    if (inHeader >= 0)
        return charsetValueAt(type, inHeader);
    // <meta charset="gbk"> and <meta http-equiv="Content-Type" content="text/html; charset=gbk"> alike.
    const QByteArray head = body.left(kHeadSearchBytes).toLower();
    for (int meta = head.indexOf("<meta"); meta >= 0; meta = head.indexOf("<meta", meta + 1)) {
        const int close = head.indexOf('>', meta);
        const int key = head.indexOf(kCharsetKey, meta);
        if (key >= 0 && (close < 0 || key < close))
            return charsetValueAt(head, key);
    }
    return QByteArray();
}

PageText decodePageBody(const QByteArray &body, const QByteArray &contentType)
{
    PageText page;
    const QByteArray bytes = body.size() > kMaxReadBytes ? body.left(kMaxReadBytes) : body;
    if (looksCompressed(bytes))
        return page;
    const QByteArray charset = declaredCharset(contentType, bytes);
    if (isUtf8Name(charset)) {
        const Utf8Scan scan = scanUtf8(bytes);
        if (scan.invalid == 0) {
            page.readable = true;
            page.utf8 = scan.nul == 0 ? bytes : withoutNul(bytes);
            return page;
        }
        // A page whose declared UTF-8 does not decode was re-encoded on its
        // way (a proxy, a mirror) into the legacy Chinese encoding: read as that.
        if (isMostlyUtf8(scan)) {
            page.readable = scan.invalid * 1000 / qMax(1, bytes.size()) < kMaxBadPerMille;
            if (page.readable)
                page.utf8 = withoutNul(QString::fromUtf8(bytes).toUtf8());
            return page;
        }
    }
    // GBK and GB2312 are subsets of GB18030.
    const bool chinese = isUtf8Name(charset) || charset == "gbk" || charset == "gb2312" ||
                         charset == "gb18030" || charset == "x-gbk";
    QTextCodec *codec = QTextCodec::codecForName(chinese ? QByteArray("GB18030") : charset);
    if (!codec)
        codec = QTextCodec::codecForName("GB18030");
    QTextCodec::ConverterState state;
    const QString text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
    page.readable =
        (state.invalidChars + unlikelyCharacters(text)) * 1000 / qMax(1, text.size()) < kMaxBadPerMille;
    if (page.readable)
        page.utf8 = withoutNul(text.toUtf8());
    return page;
}
