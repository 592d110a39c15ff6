#pragma once

#include "ProfileSlot.h"
#include "ShellWatcher.h"

#include <QByteArrayList>
#include <QString>

#include <memory>
#include <mutex>
#include <sys/types.h>

// The office program started by default, and the folder of its type libraries.
QString defaultOfficeProgram();
QString officeProgramFolder();

// One office process: the office program started directly (its pid is the office's), headless,
// on our profile, listening on a pipe of its own, with its own temporary folder and always a
// UTF-8 locale. It dies with the program even when the program is killed (with the thread that
// started it, in fact: start it from a thread that lives as long as the program); a small
// watcher then removes its temporary folder and pipe socket. Every member may be used from any
// thread.
class OfficeProcess
{
public:
    OfficeProcess(std::shared_ptr<const ProfileSlot> slot, const QString &pipeName, const QString &program);
    // Kills the office if it still runs, and removes its files.
    ~OfficeProcess();

    OfficeProcess(const OfficeProcess &) = delete;
    OfficeProcess &operator=(const OfficeProcess &) = delete;

    // Starts (or starts again) the office. Throws RuntimeError when it cannot be started, and
    // once the process has been ended (finish, kill): an ended office is never started again.
    void start();
    // Waits up to ms for the office to exit; true when it has exited (or never ran).
    bool waitForExit(int ms);
    bool hasExited();
    int exitCode() const;
    qint64 pid() const;

    const QString &pipeName() const { return mPipeName; }
    // The office's TMPDIR; the module keeps its own short-lived files there too.
    const QString &tempFolder() const { return mTempFolder; }

    // Waits up to graceMs for an office that was told to terminate, kills it if it has not
    // exited by then, and removes its files.
    void finish(int graceMs);
    // Kills the office now and removes its files.
    void kill();

    // Ends offices still running on our profile from an earlier run of the program (never this
    // one).
    void endStaleOffices();

private:
    bool reapLocked();
    void endLocked();

    std::shared_ptr<const ProfileSlot> mSlot;
    QString mPipeName;
    QString mTempFolder;
    QString mProgram;
    QByteArrayList mArguments;
    QByteArrayList mEnvironment;

    mutable std::mutex mMutex;
    pid_t mPid = 0;
    bool mRunning = false;
    int mExitCode = 0;
    bool mEnded = false;
    ShellWatcher mWatcher; // under mMutex
};
