#include "shell/Program.h"

#include <QApplication>
#include <QIcon>
#include <QWidget>

#include <vector>

namespace {
bool ended = false;
std::vector<std::function<void()>> &cleanups()
{
    static std::vector<std::function<void()>> hooks;
    return hooks;
}
} // namespace

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
    cleanups().push_back(std::move(cleanup));
}

void Program::runCleanups()
{
    auto hooks = std::move(cleanups());
    cleanups().clear();
    for (auto &hook : hooks)
        hook();
}
