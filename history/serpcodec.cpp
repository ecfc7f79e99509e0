#include "history/serpcodec.h"

#include <zlib.h>

namespace {

// An address that is the shown text behind one of these is kept as this mark alone.
const QString kSchemes[] = {QStringLiteral("http://"), QStringLiteral("https://")};
constexpr quint8 kAddressSpelled = 0;
// The first byte says how the rest is packed; a later packing gets another.
constexpr char kPackedWithDictionary = 1;
constexpr int kMostRawBytes = 1 << 20;

// What Baidu's result lists are made of, given to deflate beforehand: a list
// of one or two kilobytes has too little of its own to repeat. The most
// common pieces stand last, where they cost the least to refer to.
const QByteArray kDictionary =
    QStringLiteral(
        "2024年2025年2026年 官方 官网 首页 视频 图片 新闻 下载 - 简书_凤凰网_新浪网_腾讯网_网易_搜狐_"
        "哔哩哔哩_bilibili_百度文库_CSDN博客_百度知道_百度贴吧_知乎 - 知乎_百度百科 "
        "www.bilibili.com/video/wenku.baidu.com/view/zhidao.baidu.com/question/tieba.baidu.com/p/"
        "blog.csdn.net/article/details/zhuanlan.zhihu.com/p/www.zhihu.com/question/baike.baidu.com/item/"
        "index.html.shtml.htm.php?id=.com.cn/.net/.org/.cn/.com/https://www.http://www.")
        .toUtf8();

QByteArray packed(const QByteArray &raw)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        return QByteArray();
    deflateSetDictionary(&stream, reinterpret_cast<const Bytef *>(kDictionary.constData()),
                         uInt(kDictionary.size()));
    QByteArray out(int(deflateBound(&stream, uLong(raw.size()))) + 1, Qt::Uninitialized);
    out[0] = kPackedWithDictionary;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(raw.constData()));
    stream.avail_in = uInt(raw.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data() + 1);
    stream.avail_out = uInt(out.size() - 1);
    const int result = deflate(&stream, Z_FINISH);
    out.resize(int(stream.total_out) + 1);
    deflateEnd(&stream);
    return result == Z_STREAM_END ? out : QByteArray();
}

QByteArray unpacked(const QByteArray &bytes)
{
    if (bytes.isEmpty() || bytes.at(0) != kPackedWithDictionary)
        return QByteArray();
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return QByteArray();
    inflateSetDictionary(&stream, reinterpret_cast<const Bytef *>(kDictionary.constData()),
                         uInt(kDictionary.size()));
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData() + 1));
    stream.avail_in = uInt(bytes.size() - 1);
    QByteArray raw;
    int result = Z_OK;
    while (result == Z_OK && raw.size() < kMostRawBytes) {
        const int before = raw.size();
        raw.resize(before + 4096);
        stream.next_out = reinterpret_cast<Bytef *>(raw.data() + before);
        stream.avail_out = 4096;
        result = inflate(&stream, Z_NO_FLUSH);
        raw.resize(before + 4096 - int(stream.avail_out));
    }
    inflateEnd(&stream);
    return result == Z_STREAM_END ? raw : QByteArray();
}

void putText(QByteArray *out, const QByteArray &text)
{
    // Lengths up to 2^21 in one to three bytes.
    quint32 length = quint32(text.size());
    while (length >= 0x80) {
        out->append(char((length & 0x7f) | 0x80));
        length >>= 7;
    }
    out->append(char(length));
    out->append(text);
}

bool takeText(const QByteArray &in, int *at, QByteArray *text)
{
    quint32 length = 0;
    for (int shift = 0;; shift += 7) {
        if (*at >= in.size() || shift > 21)
            return false;
        const quint8 byte = quint8(in.at((*at)++));
        length |= quint32(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            break;
    }
    if (length > quint32(in.size() - *at))
        return false;
    *text = in.mid(*at, int(length));
    *at += int(length);
    return true;
}

} // namespace

QByteArray encodeSerp(const SerpList &serp)
{
    QByteArray raw;
    for (const SerpEntry &entry : serp) {
        raw.append(char(quint8(entry.position)));
        raw.append(char(entry.matches & 0xff));
        raw.append(char(entry.matches >> 8));
        putText(&raw, entry.title.toUtf8());
        putText(&raw, entry.shown.toUtf8());
        quint8 scheme = kAddressSpelled;
        for (quint8 i = 0; i < 2; ++i) {
            if (!entry.shown.isEmpty() && entry.address == kSchemes[i] + entry.shown)
                scheme = i + 1;
        }
        raw.append(char(scheme));
        if (scheme == kAddressSpelled)
            putText(&raw, entry.address.toUtf8());
    }
    return packed(raw);
}

SerpList decodeSerp(const QByteArray &bytes)
{
    SerpList serp;
    if (bytes.isEmpty())
        return serp;
    const QByteArray raw = unpacked(bytes);
    int at = 0;
    while (at + 3 <= raw.size()) {
        SerpEntry entry;
        entry.position = quint8(raw.at(at));
        entry.matches = quint16(quint8(raw.at(at + 1)) | (quint8(raw.at(at + 2)) << 8));
        at += 3;
        QByteArray title, shown, address;
        if (!takeText(raw, &at, &title) || !takeText(raw, &at, &shown) || at >= raw.size())
            return SerpList();
        const quint8 scheme = quint8(raw.at(at++));
        entry.title = QString::fromUtf8(title);
        entry.shown = QString::fromUtf8(shown);
        if (scheme == kAddressSpelled) {
            if (!takeText(raw, &at, &address))
                return SerpList();
            entry.address = QString::fromUtf8(address);
        } else if (scheme <= 2) {
            entry.address = kSchemes[scheme - 1] + entry.shown;
        } else {
            return SerpList();
        }
        serp.append(entry);
    }
    return serp;
}
