#include "generation/TempFolder.h"

#include "shell/RuntimeError.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString fromEnvironment()
{
    for (const char *name : {"TEMP", "temp"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return value;
    }
    return QString();
}

QString privateFolder()
{
    return QDir::tempPath() + QStringLiteral("/mistlefold-") + QString::number(::getuid());
}

[[noreturn]] void unsafe(const QString &folder)
{
    throw RuntimeError(QStringLiteral("The temporary folder %1 cannot be used safely").arg(folder));
}

} // namespace

QString TempFolder::path()
{
    const QString configured = fromEnvironment();
    if (!configured.isEmpty())
        return configured;

    const QString folder = privateFolder();
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        unsafe(folder);
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        unsafe(folder);
    if ((info.st_mode & 0077) != 0 && ::chmod(native.constData(), 0700) != 0)
        unsafe(folder);
    return folder;
}

QString TempFolder::file(const QString &name)
{
    return path() + QLatin1Char('/') + name;
}

void TempFolder::removePrivateFolderIfEmpty()
{
    if (fromEnvironment().isEmpty())
        QDir().rmdir(privateFolder()); // fails, as it should, when anything is left inside
}
