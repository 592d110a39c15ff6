#include "generation/TempFolder.h"

#include "shell/FileUtils.h"
#include "shell/Program.h"
#include "shell/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// The private folder under the user's runtime folder, when there is one that is the user's alone.
QString runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    struct stat info
    {};
    if (runtime.isEmpty() || !QDir::isAbsolutePath(runtime) || ::lstat(QFile::encodeName(runtime).constData(), &info) != 0
        || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 0077) != 0)
        return QString();
    return runtime + QStringLiteral("/mistlefold");
}

// The prefix of the private folders made under fresh names when the fixed ones are taken.
QString freshFolderPrefix()
{
    return privateFolder() + QLatin1Char('-');
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

// Makes the folder when it is missing; true when it is then a real folder of the user's that only
// the user may enter.
bool makePrivate(const QString &folder)
{
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
        return false;
    return privateFolderProblem(folder).isEmpty();
}

// The private folder made under a fresh name, for the rest of the run.
QString freshFolder;

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
    if (makePrivate(folder))
        return folder;
    // Another user took the name first (a folder of theirs, or a link), which anyone can do in a
    // shared temporary folder. A folder nobody else can take is used instead: one in the user's
    // runtime folder, else one under a fresh name.
    if (const QString runtime = runtimeFolder(); !runtime.isEmpty() && makePrivate(runtime))
        return runtime;
    static std::mutex freshMutex;
    std::lock_guard locked(freshMutex);
    if (freshFolder.isEmpty() || !makePrivate(freshFolder)) {
        QByteArray fresh = QFile::encodeName(freshFolderPrefix() + QStringLiteral("XXXXXX"));
        if (!::mkdtemp(fresh.data()))
            unsafe(folder);
        freshFolder = QFile::decodeName(fresh);
    }
    return freshFolder;
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
    QStringList temps;
    if (!fromEnvironment().isEmpty()) {
        temps.append(fromEnvironment());
    } else {
        // The private folders, whichever one an earlier run used; only real folders of the user's
        // are looked into.
        temps = {privateFolder(), runtimeFolder()};
        const QString prefix = QFileInfo(freshFolderPrefix()).fileName();
        for (const QString &name : QDir(QDir::tempPath()).entryList({prefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoSymLinks | QDir::Hidden))
            temps.append(QDir::tempPath() + QLatin1Char('/') + name);
        temps.removeIf([](const QString &temp) { return temp.isEmpty() || !isOwnFolder(QFile::encodeName(temp)); });
    }
    std::lock_guard locked(mutex);
    for (const QString &temp : std::as_const(temps)) {
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
        if (fromEnvironment().isEmpty())
            QDir().rmdir(temp); // fails, as it should, when anything is left inside
    }
}

void TempFolder::removeWorkFolder()
{
    std::lock_guard locked(mutex);
    const QString base = current.base;
    releaseLocked(true);
    current.cleanupAdded = false;
    if (fromEnvironment().isEmpty() && !base.isEmpty())
        QDir().rmdir(base); // fails, as it should, when anything is left inside
}
