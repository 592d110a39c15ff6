#include "shell/AppInfo.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace {
QString currentTitle;
QString programFolderOverride;
constexpr int MaxTitleLength = 40;
} // namespace

QString AppInfo::programFolder()
{
    return programFolderOverride.isEmpty() ? QCoreApplication::applicationDirPath() : programFolderOverride;
}

void AppInfo::setProgramFolder(const QString &folder)
{
    programFolderOverride = folder;
}

QString AppInfo::cursorFile()
{
    return programFolder() + QStringLiteral("/HAND-M.CUR");
}

QString AppInfo::titleFor(const QString &name)
{
    QString title = name;
    while (title.size() > MaxTitleLength) {
        const qsizetype lastSpace = title.lastIndexOf(QLatin1Char(' '));
        if (lastSpace < 0)
            return title.left(MaxTitleLength);
        title.truncate(lastSpace);
    }
    return title;
}

QString AppInfo::appTitle()
{
    return currentTitle.isEmpty() ? ProductName : currentTitle;
}

void AppInfo::SetAppTitle()
{
    currentTitle = titleFor(ProductName);
    QGuiApplication::setApplicationDisplayName(currentTitle);
}
