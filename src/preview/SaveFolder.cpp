#include "preview/SaveFolder.h"

#include "shell/AppInfo.h"
#include "shell/RuntimeError.h"
#include "shell/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString Section = QStringLiteral("SaveDialog");
const QString Key = QStringLiteral("LastFolder");

bool isFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

QString SaveFolder::initial()
{
    QString last;
    try {
        last = SettingsStore::read(AppInfo::SettingsApplication, Section, Key);
    } catch (const RuntimeError &) {
    }
    if (isFolder(last))
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (isFolder(documents))
        return documents;
    return QDir::homePath();
}

void SaveFolder::remember(const QString &savedFile)
{
    try {
        SettingsStore::write(AppInfo::SettingsApplication, Section, Key, QFileInfo(savedFile).absolutePath());
    } catch (const RuntimeError &) {
    }
}
