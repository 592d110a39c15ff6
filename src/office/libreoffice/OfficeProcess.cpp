#include "OfficeProcess.h"

#include "shell/RuntimeError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QThread>
#include <QUrl>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

const QString OfficeBinary = QStringLiteral("/usr/lib/libreoffice/program/soffice.bin");
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

} // namespace

ProfileSlot::ProfileSlot()
{
    const QString base = officeFolder();
    if (!QDir().mkpath(base))
        throw RuntimeError(QStringLiteral("The document engine's folder %1 could not be created.").arg(base));
    QFile::setPermissions(base, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    for (int n = 1; n <= MaxProfiles; ++n) {
        const QString folder = QStringLiteral("%1/profile-%2").arg(base).arg(n);
        auto lock = std::make_unique<QLockFile>(folder + QStringLiteral(".lock"));
        lock->setStaleLockTime(0); // stale only when its owner is gone
        if (!lock->tryLock(0))
            continue;
        mFolder = folder;
        mLock = std::move(lock);
        // Temporary folders left by an office of a copy of the program that was killed.
        QDirIterator leftovers(base, {QStringLiteral("profile-%1-tmp-*").arg(n)}, QDir::Dirs | QDir::Hidden);
        while (leftovers.hasNext())
            QDir(leftovers.next()).removeRecursively();
        return;
    }
    throw RuntimeError(QStringLiteral("The document engine could not start: all %1 office profiles in %2 are in use.")
                           .arg(MaxProfiles).arg(base));
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
    if (!QDir().mkpath(folder))
        throw RuntimeError(QStringLiteral("The document engine's temporary folder %1 could not be created.").arg(folder));
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return folder;
}

OfficeProcess::OfficeProcess(std::shared_ptr<const ProfileSlot> slot, const QString &pipeName)
    : mSlot(std::move(slot))
    , mPipeName(pipeName)
    , mTempFolder(mSlot->createTempFolder(pipeName))
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The office's runtime takes its temporary folder from any of these.
    for (const QString &name : {QStringLiteral("TMPDIR"), QStringLiteral("TMP"), QStringLiteral("TEMP")})
        environment.insert(name, mTempFolder);
    environment.remove(QStringLiteral("SESSION_MANAGER"));
    // The office's threads (bridge calls, picture workers) would each get a memory arena of their
    // own, which grows the office by some 40 MiB over a couple of hundred fills. With one arena it
    // is smaller and grows only by what the office keeps of each document it opened (some 60 KB
    // a fill); no cost in speed could be measured.
    environment.insert(QStringLiteral("MALLOC_ARENA_MAX"), QStringLiteral("1"));
    mProcess.setProcessEnvironment(environment);
    mProcess.setProgram(OfficeBinary);
    mProcess.setArguments({QStringLiteral("--headless"), QStringLiteral("--invisible"),
                           QStringLiteral("--nologo"), QStringLiteral("--norestore"),
                           QStringLiteral("--nodefault"), QStringLiteral("--nolockcheck"),
                           QStringLiteral("--nocrashreport"), mSlot->userInstallationArgument(),
                           QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipeName)});
    mProcess.setStandardInputFile(QProcess::nullDevice());
    mProcess.setStandardOutputFile(QProcess::nullDevice());
    mProcess.setStandardErrorFile(QProcess::nullDevice());
    // The office is killed by the kernel the moment the program dies, however it dies.
    const pid_t parent = ::getpid();
    mProcess.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(1);
    });
}

OfficeProcess::~OfficeProcess()
{
    kill();
}

void OfficeProcess::start()
{
    if (!QFile::exists(OfficeBinary))
        throw RuntimeError(QStringLiteral("The document engine is not installed: %1 is missing.").arg(OfficeBinary));
    mProcess.start();
    if (!mProcess.waitForStarted(10000))
        throw RuntimeError(QStringLiteral("The document engine could not be started: %1").arg(mProcess.errorString()));
    mPid = mProcess.processId();
    // The watcher reads which office to wait for from here.
    QFile pidFile(mTempFolder + QStringLiteral("/office.pid"));
    if (pidFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        pidFile.write(QByteArray::number(mPid));
    pidFile.close();
    if (mWatcher.state() == QProcess::NotRunning)
        startWatcher();
}

// A watcher outlives the program by a moment: when the program dies its end of the watcher's
// input closes, and the watcher waits for the office to be gone (killing it if the kernel did
// not), then removes the office's temporary folder and pipe socket.
void OfficeProcess::startWatcher()
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
    mWatcher.setProgram(QStringLiteral("/bin/sh"));
    mWatcher.setArguments({QStringLiteral("-c"), script, QStringLiteral("sh"), mTempFolder, pipeSocket(mPipeName),
                           singleInstanceSocket(mSlot->profileUrl())});
    mWatcher.setStandardOutputFile(QProcess::nullDevice());
    mWatcher.setStandardErrorFile(QProcess::nullDevice());
    mWatcher.start();
    mWatcher.waitForStarted(5000);
}

bool OfficeProcess::waitForExit(int ms)
{
    if (mProcess.state() == QProcess::NotRunning)
        return true;
    return mProcess.waitForFinished(ms);
}

bool OfficeProcess::hasExited()
{
    return waitForExit(0);
}

void OfficeProcess::finish(int graceMs)
{
    if (!waitForExit(graceMs))
        kill();
    removeFiles();
}

void OfficeProcess::kill()
{
    if (mProcess.state() != QProcess::NotRunning) {
        mProcess.kill();
        mProcess.waitForFinished(5000);
    }
    removeFiles();
}

void OfficeProcess::removeFiles()
{
    QDir(mTempFolder).removeRecursively();
    QFile::remove(pipeSocket(mPipeName));
    QFile::remove(singleInstanceSocket(mSlot->profileUrl()));
    if (mWatcher.state() != QProcess::NotRunning) {
        mWatcher.closeWriteChannel();
        if (!mWatcher.waitForFinished(2000))
            mWatcher.kill();
    }
}

void OfficeProcess::endStaleOffices()
{
    QList<RunningOffice> stale = officesOnProfile(mSlot->userInstallationArgument());
    stale.removeIf([this](const RunningOffice &office) {
        return mProcess.state() != QProcess::NotRunning && office.pid == mPid;
    });
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
