#include "preview/FileCopy.h"

#include "shell/FileUtils.h"
#include "shell/RuntimeError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

namespace {

constexpr qint64 ChunkSize = 1024 * 1024;

// error: the errno of the failed write, 0 when unknown.
[[noreturn]] void failWriting(const QSaveFile &file, const QString &path, int error = 0)
{
    if (file.error() == QFileDevice::ResourceError)
        raise(StandardError::DiskFull);
    throw RuntimeError(describeFileFailure(path, error));
}

// A write cut short by a full disk reports no error of its own: the rest is written again, and
// the write that makes no progress carries the cause (its errno in error: Qt tells only a full
// disk apart, not a file that may grow no further).
bool writeAll(QSaveFile &output, const QByteArray &chunk, int &error)
{
    for (qsizetype written = 0; written < chunk.size();) {
        errno = 0;
        const qint64 count = output.write(chunk.constData() + written, chunk.size() - written);
        if (count <= 0) {
            error = errno;
            return false;
        }
        written += count;
    }
    return true;
}

} // namespace

void CopyFileReplacing(const QString &source, const QString &destination)
{
    QFile input(source);
    if (source.isEmpty() || !QFileInfo(source).isFile())
        raise(StandardError::FileNotFound);
    if (!input.open(QIODevice::ReadOnly))
        raise(StandardError::PermissionDenied);

    QSaveFile output(destination);
    output.setDirectWriteFallback(false);
    // Unbuffered: a buffer written out only at the commit loses its failure, and a cut-off copy
    // took the destination's place.
    errno = 0;
    if (destination.isEmpty() || !output.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        failWriting(output, destination, errno);
    while (!input.atEnd()) {
        const QByteArray chunk = input.read(ChunkSize);
        if (chunk.isEmpty() && input.error() != QFileDevice::NoError)
            raise(StandardError::PathFileAccess); // the unfinished copy is discarded
        int error = 0;
        if (!writeAll(output, chunk, error))
            failWriting(output, destination, error);
    }
    if (!output.commit())
        failWriting(output, destination);
}
