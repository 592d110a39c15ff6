#pragma once

#include <QString>
#include <QStringList>

#include <sys/types.h>

// A small shell process that outlives the program by a moment, so that an office the kernel ends
// with the program leaves no files behind: when the program dies its end of the watcher's input
// closes, and the watcher waits for the office to be gone (killing it if the kernel did not), then
// removes the office's folder and the other files given. Its owner calls it under a lock of its
// own.
class ShellWatcher
{
public:
    // folder is where the office's pid is kept for the watcher; it goes with the files.
    ShellWatcher(const QString &folder, const QStringList &files);
    // Ends the watcher; by then its owner has removed the files.
    ~ShellWatcher();

    ShellWatcher(const ShellWatcher &) = delete;
    ShellWatcher &operator=(const ShellWatcher &) = delete;

    // The office to wait for (one started again replaces the last), and the watcher started when
    // none runs yet. Without a watcher the program's own clean-up still removes the files.
    void watch(pid_t office);
    // Tells the watcher that it may end: the files are removed already.
    void release();

private:
    void start();

    QString mFolder;
    QStringList mFiles;
    pid_t mPid = 0;
    int mInput = -1;
};
