#include "Spawn.h"

#include "shell/RuntimeError.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char **environ;

namespace {

std::vector<char *> pointers(QByteArrayList &strings)
{
    std::vector<char *> result;
    for (QByteArray &string : strings)
        result.push_back(string.data());
    result.push_back(nullptr);
    return result;
}

} // namespace

QByteArrayList currentEnvironment()
{
    QByteArrayList result;
    for (char **entry = environ; *entry; ++entry)
        result.append(QByteArray(*entry));
    return result;
}

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
