#include "generation/TempFolder.h"

#include "shell/FileUtils.h"
#include "shell/Program.h"
#include "shell/RuntimeError.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <mutex>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString WorkFolderPrefix = QStringLiteral("mistlefold-run-");
const QByteArray LockName = QByteArrayLiteral("/.lock");
const QByteArray NewLockName = QByteArrayLiteral("/.lock.new");

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

// A real folder (not a link to one) that belongs to the user.
bool isOwnFolder(const QByteArray &native)
{
    struct stat info
    {};
    return ::lstat(native.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid();
}

struct WorkFolder
{
    QString base; // the temporary folder it was made in
    QString path;
    int lock = -1; // the lock file, open and locked while the program runs
    bool cleanupAdded = false;
};

// The work folder may be asked for from worker threads as well.
std::mutex mutex;
WorkFolder current;

void releaseLocked(bool remove)
{
    // Never through a link standing in the folder's place; inside, links are removed, never
    // followed.
    if (remove && !current.path.isEmpty() && isOwnFolder(QFile::encodeName(current.path)))
        RemoveTree(current.path);
    if (current.lock >= 0)
        ::close(current.lock);
    current.lock = -1;
    current.path.clear();
    current.base.clear();
}

// The lock file is locked before it gets its name: a sweep that finds ".lock" unlocked knows that
// its program is gone, never that it is still starting.
int lockNewFolder(const QByteArray &folder)
{
    const QByteArray fresh = folder + NewLockName;
    const int lock = ::open(fresh.constData(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lock < 0)
        return -1;
    if (::flock(lock, LOCK_EX) != 0 || ::rename(fresh.constData(), (folder + LockName).constData()) != 0) {
        const int error = errno;
        ::close(lock);
        errno = error;
        return -1;
    }
    return lock;
}

} // namespace

QString TempFolder::base()
{
    const QString configured = fromEnvironment();
    if (!configured.isEmpty())
        return configured;

    const QString folder = privateFolder();
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        unsafe(folder);
    struct stat info
    {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        unsafe(folder);
    if ((info.st_mode & 0077) != 0 && ::chmod(native.constData(), 0700) != 0)
        unsafe(folder);
    return folder;
}

QString TempFolder::path()
{
    std::lock_guard locked(mutex);
    QString temp = base();
    if (current.lock >= 0 && current.base == temp && isOwnFolder(QFile::encodeName(current.path)))
        return current.path;
    // A folder that has gone, or one in an earlier temporary folder: a new one is made.
    releaseLocked(true);
    // A program that has ended makes no folder that nobody would remove.
    if (Program::hasEnded())
        throw RuntimeError(QStringLiteral("The program has ended"));

    QByteArray folder;
    for (int attempt = 1;; ++attempt) {
        folder = QFile::encodeName(temp + QLatin1Char('/') + WorkFolderPrefix + QStringLiteral("XXXXXX"));
        if (::mkdtemp(folder.data()))
            break;
        // Another program's end may just have removed the empty private folder: it is made again.
        if (errno != ENOENT || attempt == 3 || !fromEnvironment().isEmpty())
            throw RuntimeError(describeFileFailure(QFile::decodeName(folder), errno));
        temp = base();
    }
    const int lock = lockNewFolder(folder);
    if (lock < 0) {
        const int error = errno;
        RemoveTree(QFile::decodeName(folder));
        throw RuntimeError(describeFileFailure(QFile::decodeName(folder + LockName), error));
    }
    current.base = temp;
    current.path = QFile::decodeName(folder);
    current.lock = lock;
    if (!current.cleanupAdded) {
        current.cleanupAdded = true;
        Program::addCleanup(&TempFolder::removeWorkFolder);
    }
    return current.path;
}

QString TempFolder::file(const QString &name)
{
    return path() + QLatin1Char('/') + name;
}

void TempFolder::sweepLeftovers()
{
    const bool privateOne = fromEnvironment().isEmpty();
    const QString temp = privateOne ? privateFolder() : fromEnvironment();
    if (privateOne && !isOwnFolder(QFile::encodeName(temp)))
        return; // none was left, or it is not ours to look into
    std::lock_guard locked(mutex);
    const QStringList names = QDir(temp).entryList({WorkFolderPrefix + QLatin1Char('*')},
                                                   QDir::Dirs | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QString folder = temp + QLatin1Char('/') + name;
        const QByteArray native = QFile::encodeName(folder);
        if (folder == current.path || !isOwnFolder(native))
            continue;
        const int leftover = ::open((native + LockName).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (leftover < 0)
            continue; // still being made
        if (::flock(leftover, LOCK_EX | LOCK_NB) == 0)
            RemoveTree(folder);
        ::close(leftover);
    }
    if (privateOne)
        QDir().rmdir(temp); // fails, as it should, when anything is left inside
}

void TempFolder::removeWorkFolder()
{
    std::lock_guard locked(mutex);
    releaseLocked(true);
    current.cleanupAdded = false;
    if (fromEnvironment().isEmpty())
        QDir().rmdir(privateFolder()); // fails, as it should, when anything is left inside
}
