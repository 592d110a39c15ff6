#include "ProfileSlot.h"

#include "shell/FileUtils.h"
#include "shell/RuntimeError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr int MaxProfiles = 16;

// The user's cache folder, as the XDG base-directory rules give it.
QString cacheFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    return QDir::homePath() + QStringLiteral("/.cache");
}

QString officeFolder()
{
    return cacheFolder() + QStringLiteral("/mistlefold/office");
}

// Creates the folder and the folders above it that are missing; 0, or the errno of the failure.
int makePath(const QString &path)
{
    const QByteArray native = QFile::encodeName(QDir::cleanPath(path));
    for (qsizetype slash = native.indexOf('/', 1);; slash = native.indexOf('/', slash + 1)) {
        const QByteArray part = slash < 0 ? native : native.left(slash);
        struct stat info
        {};
        if (::stat(part.constData(), &info) == 0) {
            if (!S_ISDIR(info.st_mode))
                return ENOTDIR;
        } else if (::mkdir(part.constData(), 0777) != 0 && errno != EEXIST) {
            return errno;
        }
        if (slash < 0)
            return 0;
    }
}

QString unsafeFolderProblem(const QString &folder, const QString &why)
{
    return QStringLiteral("The document engine's folder %1 cannot be used safely: %2.").arg(folder, why);
}

// Renames what stands at path to "<path>.set-aside-<time>", kept as it is; the new path, or empty
// when it could not be moved.
QString moveAside(const QString &path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    for (int n = 1; n <= 99; ++n) {
        const QString aside = path + QStringLiteral(".set-aside-") + stamp
            + (n > 1 ? QStringLiteral("-%1").arg(n) : QString());
        if (::renameat2(AT_FDCWD, QFile::encodeName(path).constData(), AT_FDCWD, QFile::encodeName(aside).constData(),
                        RENAME_NOREPLACE)
            == 0)
            return aside;
        if (errno != EEXIST)
            break;
    }
    return QString();
}

} // namespace

QString ProfileSlot::folderProblem()
{
    const QString base = officeFolder();
    if (const int error = makePath(base))
        return QStringLiteral("The document engine's profile folder %1 cannot be created: %2.")
            .arg(base, qt_error_string(error));
    // The folders the program made: nobody else may plant or redirect anything in them.
    for (const QString &folder : {QFileInfo(base).path(), base}) {
        if (const QString why = privateFolderProblem(folder); !why.isEmpty())
            return unsafeFolderProblem(folder, why);
    }
    return QString();
}

ProfileSlot::ProfileSlot()
{
    const QString base = officeFolder();
    if (const QString problem = folderProblem(); !problem.isEmpty())
        throw RuntimeError(problem);
    QString lockProblem;
    for (int n = 1; n <= MaxProfiles; ++n) {
        const QString folder = QStringLiteral("%1/profile-%2").arg(base).arg(n);
        const QString lockFile = folder + QStringLiteral(".lock");
        // Whatever stands in the lock file's place and is no file (a folder, say) could never be
        // locked: it is set aside.
        struct stat info
        {};
        if (::lstat(QFile::encodeName(lockFile).constData(), &info) == 0 && !S_ISREG(info.st_mode))
            moveAside(lockFile);
        auto lock = std::make_unique<QLockFile>(lockFile);
        lock->setStaleLockTime(0); // stale only when its owner is gone
        if (!lock->tryLock(0)) {
            if (lock->error() != QLockFile::LockFailedError && lockProblem.isEmpty())
                lockProblem = QStringLiteral("The document engine could not start: the lock file %1 cannot be made.")
                                  .arg(lockFile);
            continue;
        }
        if (QFileInfo::exists(folder)) {
            if (const QString why = privateFolderProblem(folder); !why.isEmpty())
                throw RuntimeError(unsafeFolderProblem(folder, why));
        }
        mFolder = folder;
        mLock = std::move(lock);
        // Temporary folders left by an office of a copy of the program that was killed; whatever
        // else stands under such a name (a link, say) goes as well, and nothing is followed.
        const QStringList leftovers = QDir(base).entryList({QStringLiteral("profile-%1-tmp-*").arg(n)},
                                                           QDir::AllEntries | QDir::Hidden | QDir::System);
        for (const QString &leftover : leftovers)
            RemoveTree(base + QLatin1Char('/') + leftover);
        return;
    }
    if (!lockProblem.isEmpty())
        throw RuntimeError(lockProblem);
    throw RuntimeError(QStringLiteral("The document engine could not start: all %1 office profiles in %2 are in use.")
                           .arg(MaxProfiles)
                           .arg(base));
}

bool ProfileSlot::setAside(const QString &reason) const
{
    if (!QFileInfo::exists(mFolder) || mSetAside.exchange(true))
        return false;
    const QString aside = moveAside(mFolder);
    if (aside.isEmpty())
        return false;
    std::fprintf(stderr,
                 "The document engine could not start with its profile (%s); the profile was set aside as %s and a "
                 "fresh one is made.\n",
                 qPrintable(reason), qPrintable(aside));
    return true;
}

QString ProfileSlot::userInstallationArgument() const
{
    return QStringLiteral("-env:UserInstallation=") + profileUrl();
}

QString ProfileSlot::profileUrl() const
{
    return QUrl::fromLocalFile(mFolder).toString(QUrl::FullyEncoded);
}

QString ProfileSlot::createTempFolder(const QString &name) const
{
    const QString folder = mFolder + QStringLiteral("-tmp-") + name;
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
        throw RuntimeError(QStringLiteral("The document engine's temporary folder %1 could not be created: %2.")
                               .arg(folder, qt_error_string(errno)));
    if (const QString why = privateFolderProblem(folder); !why.isEmpty())
        throw RuntimeError(unsafeFolderProblem(folder, why));
    return folder;
}
