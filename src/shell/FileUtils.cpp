#include "shell/FileUtils.h"

#include "shell/RuntimeError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isBadPath(const QString &path)
{
    return path.isEmpty() || path.contains(QChar(0));
}

// Empties the folder open as descriptor, which it closes; links inside are removed as links.
void emptyFolder(int folder)
{
    DIR *listing = ::fdopendir(folder);
    if (!listing) {
        ::close(folder);
        return;
    }
    while (const dirent *entry = ::readdir(listing)) {
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        struct stat info
        {};
        if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(info.st_mode)) {
            const int inner = ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (inner >= 0)
                emptyFolder(inner);
            ::unlinkat(folder, name, AT_REMOVEDIR);
        } else {
            ::unlinkat(folder, name, 0);
        }
    }
    ::closedir(listing); // closes folder as well
}

} // namespace

void RemoveTree(const QString &path)
{
    if (isBadPath(path))
        return;
    const QFileInfo info(path);
    const QByteArray parentPath = QFile::encodeName(info.absolutePath());
    const QByteArray name = QFile::encodeName(info.fileName());
    const int parent = ::open(parentPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0)
        return;
    struct stat top
    {};
    if (!name.isEmpty() && name != "." && name != ".." && ::fstatat(parent, name.constData(), &top, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(top.st_mode)) {
            const int folder = ::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (folder >= 0)
                emptyFolder(folder);
            ::unlinkat(parent, name.constData(), AT_REMOVEDIR);
        } else {
            ::unlinkat(parent, name.constData(), 0);
        }
    }
    ::close(parent);
}

bool FileExists(const QString &path)
{
    if (isBadPath(path))
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

bool RegularFileExists(const QString &path)
{
    struct stat info
    {};
    return !isBadPath(path) && ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

void WriteFileIfAbsent(const QByteArray &bytes, const QString &path)
{
    QCoreApplication::processEvents();
    if (RegularFileExists(path))
        return;
    WriteFileReplacing(bytes, path);
}

void WriteFileReplacing(const QByteArray &bytes, const QString &path)
{
    if (isBadPath(path))
        throw RuntimeError(describeFileFailure(path));
    const QFileInfo target(path);
    QByteArray staging = QFile::encodeName(target.absolutePath() + QStringLiteral("/.") + target.fileName()
                                           + QStringLiteral(".XXXXXX"));
    const int file = ::mkostemp(staging.data(), O_CLOEXEC);
    if (file < 0)
        throw RuntimeError(describeFileFailure(path, errno));
    int error = 0;
    for (qsizetype written = 0; written < bytes.size() && error == 0;) {
        const ssize_t count = ::write(file, bytes.constData() + written, size_t(bytes.size() - written));
        if (count > 0)
            written += count;
        else if (count == 0 || errno != EINTR)
            error = count == 0 ? EIO : errno;
    }
    if (::close(file) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(staging.constData(), QFile::encodeName(path).constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(staging.constData());
        throw RuntimeError(describeFileFailure(path, error));
    }
}

QByteArray ReadRegularFile(const QString &path)
{
    // Not blocking: whatever stands there is looked at before it is read.
    const int descriptor = isBadPath(path)
        ? -1
        : ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat info
    {};
    if (descriptor < 0 || ::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (descriptor >= 0)
            ::close(descriptor);
        raise(StandardError::FileNotFound);
    }
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        raise(StandardError::PathFileAccess);
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        raise(StandardError::PathFileAccess);
    return bytes;
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

QString describeFileFailure(const QString &path, int error)
{
    // A file that may grow no further (a file-size limit, a file system's largest file) is out of
    // room for the user just as a full disk is.
    if (error == ENOSPC || error == EDQUOT || error == EFBIG)
        return QString::fromUtf16(StandardError::DiskFull);
    // What the system said outweighs what the permission bits suggest (root may be held to them).
    if (error == EACCES || error == EPERM || error == EROFS)
        return QString::fromUtf16(StandardError::PermissionDenied);
    return describeFileFailure(path);
}
