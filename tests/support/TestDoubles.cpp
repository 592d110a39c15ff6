#include "TestDoubles.h"

#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

int RecordingMessageBoxes::show(const Message &message)
{
    shown.append(message);
    if (onShow)
        onShow(message);
    if (message.buttons == Buttons::Ok)
        return Ok;
    return answers.isEmpty() ? Yes : answers.dequeue();
}

QStringList RecordingMessageBoxes::texts() const
{
    QStringList result;
    for (const Message &message : shown)
        result.append(message.text);
    return result;
}

QStringList RecordingMessageBoxes::reports() const
{
    QStringList result;
    for (const Message &message : shown)
        if (message.title == QLatin1String("Application Error"))
            result.append(message.text);
    return result;
}

QList<int> RecordingMessageBoxes::reportedLines() const
{
    static const QRegularExpression line(QStringLiteral("at line (\\d+)"));
    QList<int> lines;
    for (const QString &report : reports())
        lines.append(line.match(report).captured(1).toInt());
    return lines;
}

double ScriptedRandom::next()
{
    const double value = values.isEmpty() ? 0.0 : values.at(qMin<qsizetype>(drawn, values.size() - 1));
    ++drawn;
    return value;
}

FileDialogs::SaveChoice ScriptedFileDialogs::getSaveFileName(const SaveSettings &settings)
{
    shown.append(settings);
    const QString filter = filters.isEmpty() ? filterNames(settings.filter).value(0) : filters.dequeue();
    if (names.isEmpty())
        return {};
    return {names.dequeue(), filter};
}

TestEnvironment::TestEnvironment()
    : mOldTemp(qgetenv("TEMP"))
{
    QStandardPaths::setTestModeEnabled(true);
    QDir root(mRoot.path());
    for (const char *folder : {"config", "temp", "cache", "runtime"})
        root.mkpath(QString::fromLatin1(folder));
    QFile::setPermissions(root.filePath(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root.filePath(QStringLiteral("config")));
    qputenv("TEMP", root.filePath(QStringLiteral("temp")).toUtf8());
    qunsetenv("temp");
    qputenv("XDG_CACHE_HOME", root.filePath(QStringLiteral("cache")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", root.filePath(QStringLiteral("runtime")).toUtf8());
}

TestEnvironment::~TestEnvironment()
{
    if (mOldTemp.isNull())
        qunsetenv("TEMP");
    else
        qputenv("TEMP", mOldTemp);
}

QString TestEnvironment::tempFolder() const
{
    return QDir(mRoot.path()).filePath(QStringLiteral("temp"));
}

QString TestEnvironment::settingsFile() const
{
    return QDir(mRoot.path()).filePath(QStringLiteral("config/Quenbrook.ini"));
}
