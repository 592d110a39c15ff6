#pragma once

#include <QLockFile>
#include <QProcess>
#include <QString>

#include <memory>

// A profile of our own for the office, in the user's cache folder. Profiles are numbered; each
// running copy of the program holds one through a lock file, so that two copies never start two
// offices on one profile (the second office would hand its work to the first and quit).
class ProfileSlot
{
public:
    // Takes the first free profile. Throws RuntimeError when none can be had.
    ProfileSlot();

    QString profileFolder() const { return mFolder; }
    // The office's startup argument naming the profile.
    QString userInstallationArgument() const;
    // The profile folder as the office sees it, a file URL.
    QString profileUrl() const;
    // A new, empty folder for one office's temporary files, beside the profile.
    QString createTempFolder(const QString &name) const;

private:
    QString mFolder;
    std::unique_ptr<QLockFile> mLock;
};

// One office process: soffice.bin started directly (its pid is the office's), headless, on our
// profile, listening on a pipe of its own, with its own temporary folder. It dies with the
// program even when the program is killed; a small watcher then removes its temporary folder and
// pipe socket.
class OfficeProcess
{
public:
    OfficeProcess(std::shared_ptr<const ProfileSlot> slot, const QString &pipeName);
    // Kills the office if it still runs, and removes its files.
    ~OfficeProcess();

    OfficeProcess(const OfficeProcess &) = delete;
    OfficeProcess &operator=(const OfficeProcess &) = delete;

    // Starts (or starts again) the office. Throws RuntimeError when it cannot be started.
    void start();
    // Waits up to ms for the office to exit; true when it has exited.
    bool waitForExit(int ms);
    bool hasExited();
    int exitCode() const { return mProcess.exitCode(); }
    qint64 pid() const { return mPid; }

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
    void startWatcher();
    void removeFiles();

    std::shared_ptr<const ProfileSlot> mSlot;
    QString mPipeName;
    QString mTempFolder;
    QProcess mProcess;
    QProcess mWatcher;
    qint64 mPid = 0;
};
