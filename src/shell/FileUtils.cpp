#include "shell/FileUtils.h"

#include "shell/RuntimeError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

bool FileExists(const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

void WriteFileIfAbsent(const QByteArray &bytes, const QString &path)
{
    QCoreApplication::processEvents();
    if (FileExists(path))
        return;
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        throw RuntimeError(describeFileFailure(path));
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw RuntimeError(describeFileFailure(path));
}

void DeleteFileQuietly(const QString &path)
{
    if (!path.isEmpty() && !QFileInfo(path).isDir())
        QFile::remove(path);
}

QString describeFileFailure(const QString &path)
{
    if (path.isEmpty())
        return QString::fromUtf16(StandardError::FileNotFound);
    const QFileInfo info(path);
    if (!QFileInfo(info.absolutePath()).isDir())
        return QString::fromUtf16(StandardError::PathNotFound);
    if (info.isDir())
        return QString::fromUtf16(StandardError::PathFileAccess);
    if (!QFileInfo(info.absolutePath()).isWritable() || (info.exists() && !info.isWritable()))
        return QString::fromUtf16(StandardError::PermissionDenied);
    return QString::fromUtf16(StandardError::PathFileAccess);
}
