#include "report/xlsxpackagecheck.h"

#include <QXmlStreamReader>
#include <QtEndian>

#include <limits>

#include <zlib.h>

namespace {
const QString kNoDirectory = QStringLiteral("文件不完整（缺少压缩包目录）");
const QString kBadMember = QStringLiteral("文件不完整（%1 已损坏）");

constexpr quint32 kEndSignature = 0x06054b50;
constexpr quint32 kDirectorySignature = 0x02014b50;
constexpr quint32 kLocalSignature = 0x04034b50;
constexpr int kEndSize = 22;
constexpr int kDirectoryEntrySize = 46;
constexpr int kLocalHeaderSize = 30;
constexpr int kMaxComment = 0xFFFF;
constexpr quint16 kStored = 0;
constexpr quint16 kDeflated = 8;

quint16 u16(const QByteArray &bytes, qint64 at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 u32(const QByteArray &bytes, qint64 at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// The end-of-directory record must close the file exactly: anything cut
// short at the end leaves no such record where one is expected.
qint64 endRecordAt(const QByteArray &package)
{
    const qint64 last = package.size() - kEndSize;
    for (qint64 at = last; at >= 0 && at >= last - kMaxComment; --at) {
        if (u32(package, at) == kEndSignature && at + kEndSize + u16(package, at + 20) == package.size())
            return at;
    }
    return -1;
}

bool inflated(const QByteArray &package, qint64 at, quint32 packedSize, quint16 method, QByteArray *out)
{
    if (method == kStored) {
        *out = package.mid(int(at), int(packedSize));
        return true;
    }
    if (method != kDeflated)
        return false;
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return false;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(package.constData() + at));
    stream.avail_in = packedSize;
    stream.next_out = reinterpret_cast<Bytef *>(out->data());
    stream.avail_out = uInt(out->size());
    const int status = inflate(&stream, Z_FINISH);
    const bool whole = status == Z_STREAM_END && stream.total_out == uLong(out->size());
    inflateEnd(&stream);
    return whole;
}

bool wellFormed(const QByteArray &xml)
{
    QXmlStreamReader reader(xml);
    while (!reader.atEnd())
        reader.readNext();
    return !reader.hasError();
}
} // namespace

QString xlsxPackageProblem(const QByteArray &package)
{
    const qint64 end = endRecordAt(package);
    if (end < 0)
        return kNoDirectory;
    const int members = u16(package, end + 10);
    const qint64 directorySize = u32(package, end + 12);
    qint64 at = u32(package, end + 16);
    if (members == 0 || at + directorySize != end)
        return kNoDirectory;

    for (int member = 0; member < members; ++member) {
        if (at + kDirectoryEntrySize > end || u32(package, at) != kDirectorySignature)
            return kNoDirectory;
        const quint16 method = u16(package, at + 10);
        const quint32 crc = u32(package, at + 16);
        const quint32 packedSize = u32(package, at + 20);
        const quint32 size = u32(package, at + 24);
        const int nameLength = u16(package, at + 28);
        const qint64 local = u32(package, at + 42);
        const QString name = QString::fromUtf8(package.mid(int(at + kDirectoryEntrySize), nameLength));
        at += kDirectoryEntrySize + nameLength + u16(package, at + 30) + u16(package, at + 32);

        if (local + kLocalHeaderSize > end || u32(package, local) != kLocalSignature)
            return kBadMember.arg(name);
        const qint64 data = local + kLocalHeaderSize + u16(package, local + 26) + u16(package, local + 28);
        if (data + packedSize > end || size > quint32(std::numeric_limits<int>::max()))
            return kBadMember.arg(name);
        QByteArray content(int(size), Qt::Uninitialized);
        if (!inflated(package, data, packedSize, method, &content) ||
            crc32(0, reinterpret_cast<const Bytef *>(content.constData()), uInt(content.size())) != crc)
            return kBadMember.arg(name);
        if ((name.endsWith(QLatin1String(".xml")) || name.endsWith(QLatin1String(".rels"))) &&
            !wellFormed(content))
            return kBadMember.arg(name);
    }
    return QString();
}
