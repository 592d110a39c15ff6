#include "OfficeProcess.h"

#include "ProcessScan.h"
#include "Spawn.h"

#include "shell/FileUtils.h"
#include "shell/RuntimeError.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstring>
#include <langinfo.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString OfficeBinary = QStringLiteral(LIBREOFFICE_PROGRAM_DIR "/soffice.bin");

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

} // namespace

QString defaultOfficeProgram()
{
    return OfficeBinary;
}

QString officeProgramFolder()
{
    return QFileInfo(OfficeBinary).path();
}

OfficeProcess::OfficeProcess(std::shared_ptr<const ProfileSlot> slot, const QString &pipeName, const QString &program)
    : mSlot(std::move(slot))
    , mPipeName(pipeName)
    , mTempFolder(mSlot->createTempFolder(pipeName))
    , mProgram(program)
    , mEnvironment(officeEnvironment(mTempFolder))
    , mWatcher(mTempFolder, {pipeSocket(mPipeName), singleInstanceSocket(mSlot->profileUrl())})
{
    for (const QString &argument :
         {QStringLiteral("--headless"), QStringLiteral("--invisible"), QStringLiteral("--nologo"),
          QStringLiteral("--norestore"), QStringLiteral("--nodefault"), QStringLiteral("--nolockcheck"),
          QStringLiteral("--nocrashreport"), mSlot->userInstallationArgument(),
          QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipeName)})
        mArguments.append(argument.toUtf8());
}

// The watcher ends after this, with the other members.
OfficeProcess::~OfficeProcess()
{
    kill();
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
    mWatcher.watch(mPid);
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
    mWatcher.release();
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
