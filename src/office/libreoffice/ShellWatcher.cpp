#include "ShellWatcher.h"

#include "Spawn.h"

#include "shell/RuntimeError.h"

#include <QFile>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

ShellWatcher::ShellWatcher(const QString &folder, const QStringList &files) : mFolder(folder), mFiles(files) {}

ShellWatcher::~ShellWatcher()
{
    release();
    if (mPid > 0) {
        // It ends by itself once its input is closed; the files are removed already.
        ::kill(mPid, SIGKILL);
        ::waitpid(mPid, nullptr, 0);
    }
}

void ShellWatcher::watch(pid_t office)
{
    // The watcher reads which office to wait for from here.
    QFile pidFile(mFolder + QStringLiteral("/office.pid"));
    if (pidFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        pidFile.write(QByteArray::number(office));
    pidFile.close();
    if (mPid == 0)
        start();
}

void ShellWatcher::start()
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
        "rm -rf -- \"$@\"");
    int input[2];
    if (::pipe2(input, O_CLOEXEC) != 0)
        return;
    QByteArrayList arguments{"-c", script.toUtf8(), "sh", QFile::encodeName(mFolder)};
    for (const QString &file : mFiles)
        arguments.append(QFile::encodeName(file));
    try {
        mPid = spawn(QStringLiteral("/bin/sh"), arguments, currentEnvironment(), input[0], false);
        mInput = input[1];
    } catch (const RuntimeError &) {
        ::close(input[1]); // no watcher: the program's own clean-up still removes the files
    }
    ::close(input[0]);
}

void ShellWatcher::release()
{
    if (mInput >= 0) {
        ::close(mInput);
        mInput = -1;
    }
}
