#include "preview/FileCopy.h"

#include "shell/FileUtils.h"
#include "shell/RuntimeError.h"

#include <QFile>
#include <QFileInfo>

void CopyFileReplacing(const QString &source, const QString &destination)
{
    QFile input(source);
    if (source.isEmpty() || !QFileInfo(source).isFile())
        raise(StandardError::FileNotFound);
    if (!input.open(QIODevice::ReadOnly))
        raise(StandardError::PermissionDenied);
    const QByteArray bytes = input.readAll();
    if (input.error() != QFileDevice::NoError)
        raise(StandardError::PathFileAccess);
    WriteFileReplacing(bytes, destination);
}
