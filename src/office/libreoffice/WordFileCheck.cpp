#include "WordFileCheck.h"

#include <QList>
#include <QString>
#include <QtEndian>

namespace {

quint32 word32(const QByteArray &file, qint64 offset)
{
    return qFromLittleEndian<quint32>(file.constData() + offset);
}

} // namespace

bool wordFileIsComplete(const QByteArray &file)
{
    constexpr quint32 FreeSector = 0xFFFFFFFF;
    constexpr quint32 EndOfChain = 0xFFFFFFFE;
    constexpr int HeaderFatEntries = 109;
    constexpr int EntrySize = 128;
    if (file.size() < 512 || !file.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1")))
        return false;
    const quint16 shift = qFromLittleEndian<quint16>(file.constData() + 0x1E);
    if (shift != 9 && shift != 12)
        return false;
    const qint64 sectorSize = qint64(1) << shift;
    const qint64 entriesPerSector = sectorSize / 4;
    // Whole sectors after the header block; sector n starts at (n + 1) * sectorSize.
    const qint64 sectors = (file.size() - sectorSize) / sectorSize;
    const auto present = [&](quint32 sector) { return qint64(sector) < sectors; };
    const auto start = [&](quint32 sector) { return (qint64(sector) + 1) * sectorSize; };

    // The allocation table's own sectors: the first 109 listed in the header, the rest in a
    // chain of sectors that list them.
    const quint32 fatCount = word32(file, 0x2C);
    if (fatCount == 0 || qint64(fatCount) > sectors)
        return false;
    QList<quint32> fatSectors;
    for (int i = 0; i < HeaderFatEntries && quint32(fatSectors.size()) < fatCount; ++i)
        fatSectors.append(word32(file, 0x4C + 4 * i));
    for (quint32 list = word32(file, 0x44); quint32(fatSectors.size()) < fatCount;
         list = word32(file, start(list) + sectorSize - 4)) {
        if (!present(list))
            return false;
        for (qint64 i = 0; i < entriesPerSector - 1 && quint32(fatSectors.size()) < fatCount; ++i)
            fatSectors.append(word32(file, start(list) + 4 * i));
    }
    // The table itself: every sector it marks as used is in the file.
    QList<quint32> fat;
    for (const quint32 sector : fatSectors) {
        if (!present(sector))
            return false;
        for (qint64 i = 0; i < entriesPerSector; ++i)
            fat.append(word32(file, start(sector) + 4 * i));
    }
    for (qint64 n = sectors; n < fat.size(); ++n)
        if (fat.at(n) != FreeSector)
            return false;

    // The directory, sector by sector along its chain: the streams a Word document holds.
    bool mainStream = false;
    bool tableStream = false;
    qint64 steps = 0;
    for (quint32 sector = word32(file, 0x30); sector != EndOfChain; sector = fat.at(sector)) {
        if (!present(sector) || ++steps > sectors)
            return false;
        for (qint64 entry = start(sector); entry < start(sector) + sectorSize; entry += EntrySize) {
            const quint16 nameBytes = qFromLittleEndian<quint16>(file.constData() + entry + 64);
            if (file.at(entry + 66) != 2 || nameBytes < 2 || nameBytes > 64 || word32(file, entry + 120) == 0)
                continue; // not a stream, or an empty one
            const QString name = QString::fromUtf16(reinterpret_cast<const char16_t *>(file.constData() + entry),
                                                    nameBytes / 2 - 1);
            mainStream = mainStream || name == QLatin1String("WordDocument");
            tableStream = tableStream || name == QLatin1String("1Table") || name == QLatin1String("0Table");
        }
    }
    return mainStream && tableStream;
}
