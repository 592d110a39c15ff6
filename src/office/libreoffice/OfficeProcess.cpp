#include "OfficeProcess.h"

#include "shell/FileUtils.h"
#include "shell/RuntimeError.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QUrl>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

const QString OfficeBinary = QStringLiteral(LIBREOFFICE_PROGRAM_DIR "/soffice.bin");
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
        const QString aside = path + QStringLiteral(".set-aside-") + stamp + (n > 1 ? QStringLiteral("-%1").arg(n) : QString());
        if (::renameat2(AT_FDCWD, QFile::encodeName(path).constData(), AT_FDCWD, QFile::encodeName(aside).constData(),
                        RENAME_NOREPLACE)
            == 0)
            return aside;
        if (errno != EEXIST)
            break;
    }
    return QString();
}

// The socket the office's pipe leaves behind when it is killed: always under /tmp.
QString pipeSocket(const QString &pipeName)
{
    return QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::getuid()).arg(pipeName);
}

// The office also opens a pipe of its own per profile, to hand work to an office already running
// on it. Its name carries the MD5 of the profile's URL (UTF-16 code units), each byte in hex
// without leading zeros. A killed office leaves that socket behind too.
QString singleInstanceSocket(const QString &profileUrl)
{
    const QByteArray units(reinterpret_cast<const char *>(profileUrl.utf16()), profileUrl.size() * 2);
    QString hash;
    for (const char byte : QCryptographicHash::hash(units, QCryptographicHash::Md5))
        hash += QString::number(quint8(byte), 16);
    return pipeSocket(QStringLiteral("SingleOfficeIPC_") + hash);
}

// Running: it exists and is not a zombie waiting to be reaped.
bool processAlive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype afterName = line.lastIndexOf(')');
    return afterName >= 0 && line.mid(afterName + 2, 1) != "Z";
}

struct RunningOffice
{
    qint64 pid = 0;
    QString pipeName; // of its --accept pipe, if any
};

// Offices running on the given profile, read from their command lines.
QList<RunningOffice> officesOnProfile(const QString &userInstallationArgument)
{
    QList<RunningOffice> result;
    const QByteArray wanted = userInstallationArgument.toUtf8();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid || pid == ::getpid())
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> arguments = cmdline.readAll().split('\0');
        if (arguments.isEmpty() || !arguments.first().endsWith("soffice.bin") || !arguments.contains(wanted))
            continue;
        RunningOffice office{pid, QString()};
        for (const QByteArray &argument : arguments) {
            static const QByteArray accept("--accept=pipe,name=");
            if (argument.startsWith(accept))
                office.pipeName = QString::fromUtf8(argument.mid(accept.size()).split(';').first());
        }
        result.append(office);
    }
    return result;
}

// Our own environment, as it is now.
QByteArrayList currentEnvironment()
{
    QByteArrayList result;
    for (char **entry = environ; *entry; ++entry)
        result.append(QByteArray(*entry));
    return result;
}

// Whether the locale our environment names exists here and is UTF-8.
bool environmentLocaleIsUtf8()
{
    const locale_t named = ::newlocale(LC_CTYPE_MASK, "", locale_t(nullptr));
    if (!named)
        return false;
    const bool utf8 = std::strcmp(::nl_langinfo_l(CODESET, named), "UTF-8") == 0;
    ::freelocale(named);
    return utf8;
}

// The office's environment: ours, with its temporary folder, one memory arena, and a UTF-8
// locale. The office turns file URLs into paths in its locale's character set: under C or an 8-bit
// locale a path holding "ü" cannot be named at all ("Unsupported URL"), so it gets one whatever
// ours is. Its threads (bridge calls, picture workers) would each get a memory arena of their own,
// which grows the office by some 40 MiB over a couple of hundred fills; with one arena it grows
// only by what the office keeps of each document it opened (some 60 KB a fill), at no measurable
// cost in speed.
QByteArrayList officeEnvironment(const QString &tempFolder)
{
    QList<QByteArray> replaced{"TMPDIR", "TMP", "TEMP", "SESSION_MANAGER", "MALLOC_ARENA_MAX"};
    QByteArrayList added{"MALLOC_ARENA_MAX=1"};
    for (const char *name : {"TMPDIR", "TMP", "TEMP"})
        added.append(QByteArray(name) + '=' + QFile::encodeName(tempFolder));
    if (!environmentLocaleIsUtf8()) {
        replaced.append("LC_ALL");
        added.append("LC_ALL=C.UTF-8");
    }
    QByteArrayList result = currentEnvironment();
    result.removeIf(
        [&](const QByteArray &variable) { return replaced.contains(variable.left(variable.indexOf('='))); });
    return result + added;
}

std::vector<char *> pointers(QByteArrayList &strings)
{
    std::vector<char *> result;
    for (QByteArray &string : strings)
        result.push_back(string.data());
    result.push_back(nullptr);
    return result;
}

// Starts a program with its standard output and error going nowhere, and its input from
// inputFd (or nothing). An office child (dieWithThread) is killed by the kernel when the thread
// that started it ends, which is when the program dies. Returns its pid; throws RuntimeError
// with the reason when it cannot be run.
pid_t spawn(const QString &program, QByteArrayList arguments, QByteArrayList environment, int inputFd,
            bool dieWithThread)
{
    const QByteArray path = QFile::encodeName(program);
    arguments.prepend(path);
    const std::vector<char *> argv = pointers(arguments);
    const std::vector<char *> envp = pointers(environment);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        throw RuntimeError(QStringLiteral("The document engine could not be started: %1").arg(qt_error_string(errno)));
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls from here to exec: the program has other threads.
        if (dieWithThread) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent)
                ::_exit(1);
        }
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(inputFd >= 0 ? inputFd : null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::signal(SIGPIPE, SIG_DFL);
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execve(argv[0], argv.data(), envp.data());
        const int error = errno;
        [[maybe_unused]] const auto written = ::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    const int forkError = errno;
    ::close(report[1]);
    int execError = 0;
    ssize_t got = 0;
    if (pid > 0) {
        do
            got = ::read(report[0], &execError, sizeof execError);
        while (got < 0 && errno == EINTR);
    }
    ::close(report[0]);
    if (pid < 0 || got > 0) {
        if (pid > 0)
            ::waitpid(pid, nullptr, 0);
        throw RuntimeError(QStringLiteral("The document engine could not be started: %1 could not be run (%2).")
                               .arg(program, qt_error_string(pid < 0 ? forkError : execError)));
    }
    return pid;
}

} // namespace

QString defaultOfficeProgram()
{
    return OfficeBinary;
}

QString officeProgramFolder()
{
    return QFileInfo(OfficeBinary).path();
}

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
                lockProblem = QStringLiteral("The document engine could not start: the lock file %1 cannot be made.").arg(lockFile);
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
    std::fprintf(stderr, "The document engine could not start with its profile (%s); the profile was set aside as %s and a fresh one is made.\n",
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

OfficeProcess::OfficeProcess(std::shared_ptr<const ProfileSlot> slot, const QString &pipeName, const QString &program)
    : mSlot(std::move(slot))
    , mPipeName(pipeName)
    , mTempFolder(mSlot->createTempFolder(pipeName))
    , mProgram(program)
    , mEnvironment(officeEnvironment(mTempFolder))
{
    for (const QString &argument :
         {QStringLiteral("--headless"), QStringLiteral("--invisible"), QStringLiteral("--nologo"),
          QStringLiteral("--norestore"), QStringLiteral("--nodefault"), QStringLiteral("--nolockcheck"),
          QStringLiteral("--nocrashreport"), mSlot->userInstallationArgument(),
          QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipeName)})
        mArguments.append(argument.toUtf8());
}

OfficeProcess::~OfficeProcess()
{
    kill();
    std::lock_guard lock(mMutex);
    if (mWatcher > 0) {
        // It ends by itself once its input is closed; the files are removed already.
        ::kill(mWatcher, SIGKILL);
        ::waitpid(mWatcher, nullptr, 0);
    }
}

void OfficeProcess::start()
{
    std::lock_guard lock(mMutex);
    if (mEnded)
        throw RuntimeError(QStringLiteral("The document engine has been ended."));
    if (::access(QFile::encodeName(mProgram).constData(), X_OK) != 0)
        throw RuntimeError(QStringLiteral("The document engine is not installed: %1 is missing.").arg(mProgram));
    mPid = spawn(mProgram, mArguments, mEnvironment, -1, true);
    mRunning = true;
    // The watcher reads which office to wait for from here.
    QFile pidFile(mTempFolder + QStringLiteral("/office.pid"));
    if (pidFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        pidFile.write(QByteArray::number(mPid));
    pidFile.close();
    if (mWatcher == 0)
        startWatcherLocked();
}

// A watcher outlives the program by a moment: when the program dies its end of the watcher's
// input closes, and the watcher waits for the office to be gone (killing it if the kernel did
// not), then removes the office's temporary folder and pipe socket.
void OfficeProcess::startWatcherLocked()
{
    static const QString script = QStringLiteral(
        "cat >/dev/null; "
        "for pid in $(cat \"$1/office.pid\" 2>/dev/null); do "
        "  i=0; "
        // Gone, or a zombie nobody has reaped yet: either way it no longer uses the files.
        "  while state=$(cut -d' ' -f3 /proc/$pid/stat 2>/dev/null) && [ -n \"$state\" ] && [ \"$state\" != Z ]; do "
        "    i=$((i+1)); if [ $i -gt 200 ]; then kill -9 \"$pid\"; break; fi; sleep 0.01; "
        "  done; "
        "done; "
        "rm -rf -- \"$1\" \"$2\" \"$3\"");
    int input[2];
    if (::pipe2(input, O_CLOEXEC) != 0)
        return;
    try {
        mWatcher = spawn(QStringLiteral("/bin/sh"),
                         {"-c", script.toUtf8(), "sh", QFile::encodeName(mTempFolder),
                          QFile::encodeName(pipeSocket(mPipeName)),
                          QFile::encodeName(singleInstanceSocket(mSlot->profileUrl()))},
                         currentEnvironment(), input[0], false);
        mWatcherInput = input[1];
    } catch (const RuntimeError &) {
        ::close(input[1]); // no watcher: the program's own clean-up still removes the files
    }
    ::close(input[0]);
}

// Notes the office's exit if it has exited. Call with the lock held.
bool OfficeProcess::reapLocked()
{
    if (!mRunning)
        return true;
    int status = 0;
    const pid_t reaped = ::waitpid(mPid, &status, WNOHANG);
    if (reaped == 0)
        return false;
    mRunning = false;
    mExitCode = reaped == mPid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

bool OfficeProcess::waitForExit(int ms)
{
    for (int waited = 0;; waited += 2) {
        {
            std::lock_guard lock(mMutex);
            if (reapLocked())
                return true;
        }
        if (waited >= ms)
            return false;
        QThread::msleep(2);
    }
}

bool OfficeProcess::hasExited()
{
    return waitForExit(0);
}

int OfficeProcess::exitCode() const
{
    std::lock_guard lock(mMutex);
    return mExitCode;
}

qint64 OfficeProcess::pid() const
{
    std::lock_guard lock(mMutex);
    return mPid;
}

void OfficeProcess::finish(int graceMs)
{
    waitForExit(graceMs);
    kill();
}

void OfficeProcess::kill()
{
    std::lock_guard lock(mMutex);
    if (mRunning) {
        ::kill(mPid, SIGKILL);
        int status = 0;
        while (::waitpid(mPid, &status, 0) < 0 && errno == EINTR) {
        }
        mRunning = false;
        mExitCode = -1;
    }
    endLocked();
}

// Never started again; its files go, and the watcher is told it may end.
void OfficeProcess::endLocked()
{
    mEnded = true;
    RemoveTree(mTempFolder);
    QFile::remove(pipeSocket(mPipeName));
    QFile::remove(singleInstanceSocket(mSlot->profileUrl()));
    if (mWatcherInput >= 0) {
        ::close(mWatcherInput);
        mWatcherInput = -1;
    }
}

void OfficeProcess::endStaleOffices()
{
    QList<RunningOffice> stale = officesOnProfile(mSlot->userInstallationArgument());
    {
        std::lock_guard lock(mMutex);
        stale.removeIf([this](const RunningOffice &office) { return mRunning && office.pid == mPid; });
    }
    for (const RunningOffice &office : stale)
        ::kill(pid_t(office.pid), SIGTERM);
    for (const RunningOffice &office : stale) {
        for (int waited = 0; processAlive(office.pid) && waited < 3000; waited += 20)
            QThread::msleep(20);
        if (processAlive(office.pid))
            ::kill(pid_t(office.pid), SIGKILL);
        // An ended office leaves its pipe's socket behind.
        if (!office.pipeName.isEmpty())
            QFile::remove(pipeSocket(office.pipeName));
    }
}
