#include "report/compoundfile.h"

#include <QVector>
#include <QtEndian>

namespace {
constexpr int kSectorSize = 512;
constexpr int kEntriesPerSector = kSectorSize / 4;
constexpr int kHeaderFatSlots = 109;
constexpr int kDirectoryEntrySize = 128;
constexpr int kMaxNameUnits = 31; // 32 UTF-16 units including the terminator

constexpr quint32 kFreeSector = 0xFFFFFFFF;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFatSector = 0xFFFFFFFD;
constexpr quint32 kDifatSector = 0xFFFFFFFC;
constexpr quint32 kNoStream = 0xFFFFFFFF;

constexpr quint8 kTypeStream = 2;
constexpr quint8 kTypeRoot = 5;
constexpr quint8 kColourBlack = 1;

const char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
const QString kRootName = QStringLiteral("Root Entry");

void put16(QByteArray &bytes, int at, quint16 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

void put32(QByteArray &bytes, int at, quint32 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

int sectorsFor(qint64 bytes)
{
    return int((bytes + kSectorSize - 1) / kSectorSize);
}

void putEntry(QByteArray &bytes, int at, const QString &name, quint8 type, quint32 child, quint32 start,
              quint32 size)
{
    const QString stored = name.left(kMaxNameUnits);
    for (int i = 0; i < stored.size(); ++i)
        put16(bytes, at + 2 * i, stored.at(i).unicode());
    put16(bytes, at + 64, quint16((stored.size() + 1) * 2));
    bytes[at + 66] = char(type);
    bytes[at + 67] = char(kColourBlack);
    put32(bytes, at + 68, kNoStream);
    put32(bytes, at + 72, kNoStream);
    put32(bytes, at + 76, child);
    put32(bytes, at + 116, start);
    put32(bytes, at + 120, size);
}

void putUnusedEntry(QByteArray &bytes, int at)
{
    put32(bytes, at + 68, kNoStream);
    put32(bytes, at + 72, kNoStream);
    put32(bytes, at + 76, kNoStream);
}
} // namespace

QByteArray CompoundFile::withSingleStream(const QString &streamName, const QByteArray &stream)
{
    const int streamSize = qMax(stream.size(), kMiniStreamCutoff);
    const int streamSectors = sectorsFor(streamSize);
    const int directorySectors = 1;

    // The FAT must also map its own sectors and those of the DIFAT that lists
    // it once it outgrows the header's 109 slots, so grow both until stable.
    int fatSectors = 1;
    int difatSectors = 0;
    for (;;) {
        const int total = streamSectors + directorySectors + fatSectors + difatSectors;
        const int neededFat = (total + kEntriesPerSector - 1) / kEntriesPerSector;
        const int neededDifat =
            neededFat > kHeaderFatSlots
                ? (neededFat - kHeaderFatSlots + kEntriesPerSector - 2) / (kEntriesPerSector - 1)
                : 0;
        if (neededFat == fatSectors && neededDifat == difatSectors)
            break;
        fatSectors = qMax(fatSectors, neededFat);
        difatSectors = qMax(difatSectors, neededDifat);
    }

    const quint32 directoryStart = quint32(streamSectors);
    const quint32 fatStart = directoryStart + directorySectors;
    const quint32 difatStart = fatStart + quint32(fatSectors);
    const int totalSectors = streamSectors + directorySectors + fatSectors + difatSectors;

    QByteArray file(kSectorSize * (1 + totalSectors), '\0');
    auto sectorOffset = [](quint32 sector) { return int(kSectorSize * (sector + 1)); };

    // Header.
    file.replace(0, 8, kSignature, 8);
    put16(file, 24, 0x003E); // minor version
    put16(file, 26, 0x0003); // major version 3: 512-byte sectors
    put16(file, 28, 0xFFFE); // little-endian byte order mark
    put16(file, 30, 9);      // sector size 2^9
    put16(file, 32, 6);      // mini sector size 2^6
    put32(file, 44, quint32(fatSectors));
    put32(file, 48, directoryStart);
    put32(file, 56, quint32(kMiniStreamCutoff));
    put32(file, 60, kEndOfChain); // no mini FAT
    put32(file, 68, difatSectors ? difatStart : kEndOfChain);
    put32(file, 72, quint32(difatSectors));
    for (int slot = 0; slot < kHeaderFatSlots; ++slot)
        put32(file, 76 + 4 * slot, slot < fatSectors ? fatStart + quint32(slot) : kFreeSector);

    // DIFAT sectors: 127 further FAT locations each, then the next DIFAT sector.
    for (int d = 0; d < difatSectors; ++d) {
        const int at = sectorOffset(difatStart + quint32(d));
        for (int slot = 0; slot < kEntriesPerSector - 1; ++slot) {
            const int fatIndex = kHeaderFatSlots + d * (kEntriesPerSector - 1) + slot;
            put32(file, at + 4 * slot, fatIndex < fatSectors ? fatStart + quint32(fatIndex) : kFreeSector);
        }
        put32(file, at + 4 * (kEntriesPerSector - 1),
              d + 1 < difatSectors ? difatStart + quint32(d + 1) : kEndOfChain);
    }

    // FAT.
    QVector<quint32> fat(fatSectors * kEntriesPerSector, kFreeSector);
    for (int sector = 0; sector < streamSectors; ++sector)
        fat[sector] = sector + 1 < streamSectors ? quint32(sector + 1) : kEndOfChain;
    fat[int(directoryStart)] = kEndOfChain;
    for (int f = 0; f < fatSectors; ++f)
        fat[int(fatStart) + f] = kFatSector;
    for (int d = 0; d < difatSectors; ++d)
        fat[int(difatStart) + d] = kDifatSector;
    for (int i = 0; i < fat.size(); ++i)
        put32(file, sectorOffset(fatStart) + 4 * i, fat.at(i));

    // Directory: the root storage with the one stream as its only child.
    const int directory = sectorOffset(directoryStart);
    putEntry(file, directory, kRootName, kTypeRoot, 1, kEndOfChain, 0);
    putEntry(file, directory + kDirectoryEntrySize, streamName, kTypeStream, kNoStream, 0,
             quint32(streamSize));
    putUnusedEntry(file, directory + 2 * kDirectoryEntrySize);
    putUnusedEntry(file, directory + 3 * kDirectoryEntrySize);

    file.replace(kSectorSize, stream.size(), stream);
    return file;
}
