#include "shell/FileUtils.h"

#include "shell/RuntimeError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isBadPath(const QString &path)
{
    return path.isEmpty() || path.contains(QChar(0));
}

void emptyFolder(int folder);

// Removes the entry name of the folder open as descriptor folder: a folder with everything in it,
// anything else (a link too) as itself.
void removeEntry(int folder, const char *name)
{
    struct stat info
    {};
    if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return;
    if (!S_ISDIR(info.st_mode)) {
        ::unlinkat(folder, name, 0);
        return;
    }
    const int inner = ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (inner >= 0)
        emptyFolder(inner);
    ::unlinkat(folder, name, AT_REMOVEDIR);
}

// Empties the folder open as descriptor, which it closes.
void emptyFolder(int folder)
{
    DIR *listing = ::fdopendir(folder);
    if (!listing) {
        ::close(folder);
        return;
    }
    while (const dirent *entry = ::readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            removeEntry(folder, entry->d_name);
    }
    ::closedir(listing); // closes folder as well
}

} // namespace

void RemoveTree(const QString &path)
{
    if (isBadPath(path))
        return;
    const QFileInfo info(path);
    const QByteArray name = QFile::encodeName(info.fileName());
    if (name.isEmpty() || name == "." || name == "..")
        return;
    const int parent = ::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0)
        return;
    removeEntry(parent, name.constData());
    ::close(parent);
}

QString privateFolderProblem(const QString &folder)
{
    const QByteArray native = QFile::encodeName(folder);
    struct stat info
    {};
    if (isBadPath(folder) || ::lstat(native.constData(), &info) != 0)
        return qt_error_string(errno);
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("it is not a folder");
    if (info.st_uid != ::getuid())
        return QStringLiteral("it belongs to another user");
    if ((info.st_mode & 0077) != 0 && ::chmod(native.constData(), 0700) != 0)
        return QStringLiteral("others may change it (%1)").arg(qt_error_string(errno));
    return QString();
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

namespace {

// Files being written take the name ".mistlefold-<pid>-<random>.part" only for the moment between
// being complete and taking their place (or for the whole write where the file system cannot make
// unnamed files). A program killed then leaves one behind; the next write into the same folder
// removes those of programs no longer running, when they are the user's.
const QByteArray PartPrefix = QByteArrayLiteral(".mistlefold-");
const QByteArray PartSuffix = QByteArrayLiteral(".part");

void removeLeftParts(int folder)
{
    const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *listing = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!listing) {
        if (listed >= 0)
            ::close(listed);
        return;
    }
    while (const dirent *entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (!name.startsWith(PartPrefix) || !name.endsWith(PartSuffix))
            continue;
        bool isPid = false;
        const pid_t pid = pid_t(name.mid(PartPrefix.size()).split('-').value(0).toLong(&isPid));
        if (!isPid || pid <= 0 || pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH)
            continue; // its program may still be writing it
        struct stat info
        {};
        if (::fstatat(folder, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode)
            && info.st_uid == ::getuid())
            ::unlinkat(folder, name.constData(), 0);
    }
    ::closedir(listing);
}

QByteArray newPartName()
{
    return PartPrefix + QByteArray::number(::getpid()) + '-'
        + QByteArray::number(QRandomGenerator::global()->generate64(), 16) + PartSuffix;
}

bool writeAll(int file, const QByteArray &bytes)
{
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t count = ::write(file, bytes.constData() + written, size_t(bytes.size() - written));
        if (count > 0)
            written += count;
        else if (count == 0)
            return errno = ENOSPC, false; // a write that makes no progress: out of room
        else if (errno != EINTR)
            return false;
    }
    return true;
}

void writeReplacing(const QByteArray &bytes, const QString &path, bool synced)
{
    if (isBadPath(path))
        throw RuntimeError(describeFileFailure(path));
    const QFileInfo target(path);
    const QByteArray name = QFile::encodeName(target.fileName());
    const int folder = ::open(QFile::encodeName(target.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        throw RuntimeError(describeFileFailure(path, errno));
    removeLeftParts(folder);
    QByteArray part;
    int file = -1;
    const auto fail = [&](int error) {
        if (file >= 0)
            ::close(file);
        if (!part.isEmpty())
            ::unlinkat(folder, part.constData(), 0);
        ::close(folder);
        throw RuntimeError(describeFileFailure(path, error));
    };
    // What it replaces: its permissions are kept. A link is replaced, never followed.
    struct stat old
    {};
    const bool replaces = ::fstatat(folder, name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (replaces && S_ISDIR(old.st_mode))
        fail(EISDIR);
    if (replaces && S_ISREG(old.st_mode) && ::faccessat(folder, name.constData(), W_OK, AT_EACCESS) != 0 && errno == EACCES)
        fail(EACCES); // a file that may not be written is not replaced either
    // Unnamed until it is complete, so that a program killed meanwhile leaves nothing. It gets its
    // name through /proc, without which it could get none.
    static const bool canName = ::access("/proc/self/fd", X_OK) == 0;
    file = canName ? ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666) : -1;
    const bool unnamed = file >= 0;
    if (!unnamed) {
        if (canName && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            fail(errno);
        part = newPartName();
        file = ::openat(folder, part.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (file < 0) {
            const int error = errno;
            part.clear();
            fail(error);
        }
    }
    if (!writeAll(file, bytes))
        fail(errno);
    if (replaces && S_ISREG(old.st_mode) && ::fchmod(file, old.st_mode & 07777) != 0)
        fail(errno);
    if (synced && ::fsync(file) != 0)
        fail(errno);
    if (unnamed) {
        part = newPartName();
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(file);
        if (::linkat(AT_FDCWD, self.constData(), folder, part.constData(), AT_SYMLINK_FOLLOW) != 0) {
            const int error = errno;
            part.clear();
            fail(error);
        }
    }
    const int closed = ::close(file);
    file = -1;
    if (closed != 0)
        fail(errno);
    if (::renameat(folder, part.constData(), folder, name.constData()) != 0)
        fail(errno);
    part.clear();
    if (synced)
        ::fsync(folder); // the new name is on disk too
    ::close(folder);
}

} // namespace

void WriteFileReplacing(const QByteArray &bytes, const QString &path)
{
    writeReplacing(bytes, path, true);
}

void WriteWorkFile(const QByteArray &bytes, const QString &path)
{
    writeReplacing(bytes, path, false);
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
    if (error == ENOTDIR)
        return QString::fromUtf16(StandardError::PathNotFound);
    return describeFileFailure(path);
}
