#include "shell/Program.h"

#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <QWidget>

#include <atomic>
#include <csignal>
#include <mutex>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {
// Read by the office module's threads as well as the user-interface thread.
std::atomic<bool> ended = false;
// Hooks are added from worker threads too (the temporary folder is first asked for there, say).
std::mutex cleanupsMutex;
std::vector<std::function<void()>> cleanups;

// A signal handler may only write to a descriptor; the event loop reads the other end.
int signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

} // namespace

void Program::endOnTerminationSignals()
{
    if (signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(signalPipe[1], &byte, 1);
        EndProgram();
    });
    struct sigaction action
    {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

QIcon Program::appIcon()
{
    QIcon icon;
    for (int size : {32, 48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/mistlefold-%1.png").arg(size), QSize(size, size));
    return icon;
}

void Program::EndProgram()
{
    ended = true;
    runCleanups();
    // Hide rather than close: closing would run the windows' own closing handlers.
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        window->hide();
    QCoreApplication::exit(0);
}

bool Program::hasEnded()
{
    return ended;
}

void Program::resetEnded()
{
    ended = false;
}

void Program::addCleanup(std::function<void()> cleanup)
{
    std::lock_guard lock(cleanupsMutex);
    cleanups.push_back(std::move(cleanup));
}

void Program::runCleanups()
{
    // Run outside the lock: a hook may add another (for the next run in tests).
    std::vector<std::function<void()>> hooks;
    {
        std::lock_guard lock(cleanupsMutex);
        hooks.swap(cleanups);
    }
    for (auto &hook : hooks)
        hook();
}
