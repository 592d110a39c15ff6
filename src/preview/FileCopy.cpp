#include "preview/FileCopy.h"

#include "shell/FileUtils.h"
#include "shell/RuntimeError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr qint64 ChunkSize = 1024 * 1024;

[[noreturn]] void failWriting(const QSaveFile &file, const QString &path)
{
    if (file.error() == QFileDevice::ResourceError)
        raise(StandardError::DiskFull);
    throw RuntimeError(describeFileFailure(path));
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
    if (destination.isEmpty() || !output.open(QIODevice::WriteOnly))
        failWriting(output, destination);
    while (!input.atEnd()) {
        const QByteArray chunk = input.read(ChunkSize);
        if (chunk.isEmpty() && input.error() != QFileDevice::NoError)
            raise(StandardError::PathFileAccess); // the unfinished copy is discarded
        if (output.write(chunk) != chunk.size())
            failWriting(output, destination);
    }
    if (!output.commit())
        failWriting(output, destination);
}
