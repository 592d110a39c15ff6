#include "FileWrite.h"

#include "shell/FileUtils.h"
#include "shell/RuntimeError.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// The least room a file of the office is taken to need when its size is not known.
constexpr qint64 LeastRoom = 1024 * 1024;

bool outOfRoom(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

} // namespace

QString describeFailedWrite(const QString &folder, qint64 bytes, int error, const QString &otherwise)
{
    if (error != 0)
        return outOfRoom(error) ? QString::fromUtf16(StandardError::DiskFull) : otherwise;
    const qint64 needed = qMax(bytes, LeastRoom);
    struct statvfs space
    {};
    if (::statvfs(QFile::encodeName(folder).constData(), &space) == 0
        && qint64(space.f_bavail) * qint64(space.f_frsize) < needed)
        return QString::fromUtf16(StandardError::DiskFull);
    struct rlimit limit
    {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && qint64(limit.rlim_cur) < needed)
        return QString::fromUtf16(StandardError::DiskFull);
    return otherwise;
}

QString describeOfficeWriteFailure(const QString &path, const QString &officeText)
{
    std::fprintf(stderr, "The document engine could not write %s: %s\n", qPrintable(path), qPrintable(officeText));
    return describeFailedWrite(QFileInfo(path).absolutePath(), LeastRoom, 0, describeFileFailure(path));
}
