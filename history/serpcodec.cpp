#include "history/serpcodec.h"

namespace {

// An address that is the shown text behind one of these is kept as this mark alone.
const QString kSchemes[] = {QStringLiteral("http://"), QStringLiteral("https://")};
constexpr quint8 kAddressSpelled = 0;
constexpr int kCompression = 6;

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
    return qCompress(raw, kCompression);
}

SerpList decodeSerp(const QByteArray &bytes)
{
    SerpList serp;
    if (bytes.isEmpty())
        return serp;
    const QByteArray raw = qUncompress(bytes);
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
