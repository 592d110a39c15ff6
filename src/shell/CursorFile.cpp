#include "shell/CursorFile.h"

#include "shell/RuntimeError.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QtEndian>

QCursor loadCursorFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        raise(StandardError::FileNotFound);
    // Header: reserved, type (2 for a cursor), count; then the first directory entry, whose
    // "planes" and "bit count" fields hold the hot spot's x and y in a cursor file.
    const QByteArray head = file.read(6 + 16);
    const uchar *bytes = reinterpret_cast<const uchar *>(head.constData());
    if (head.size() < 22 || qFromLittleEndian<quint16>(bytes + 2) != 2 || qFromLittleEndian<quint16>(bytes + 4) == 0)
        raise(StandardError::InvalidPicture);
    const int hotX = qFromLittleEndian<quint16>(bytes + 6 + 4);
    const int hotY = qFromLittleEndian<quint16>(bytes + 6 + 6);

    QImage image(path, "cur");
    if (image.isNull())
        image = QImage(path, "ico");
    if (image.isNull())
        raise(StandardError::InvalidPicture);
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}
