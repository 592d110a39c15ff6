#include "shell/AppInfo.h"

#include <QCoreApplication>

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
    // Kept here, not as Qt's application display name: Qt would append that name to the title of
    // every window on X11 ("Save File — Mistlefold"), and the titles must be exactly as given.
    currentTitle = titleFor(ProductName);
}
