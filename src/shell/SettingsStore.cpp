#include "shell/SettingsStore.h"

#include "shell/RuntimeError.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

// Qt keeps one cache per settings file for the whole process. A write that fails leaves its change
// pending in that cache, shown to readers and tried again by every QSettings made later, which
// then reports AccessError from the start; and a QSettings object keeps the first problem it met,
// so a damaged file still says FormatError after a write has replaced it. The status of one object
// therefore tells neither whether the values could be read nor whether a write reached the disk.

namespace {

constexpr QSettings::Format format = QSettings::IniFormat;

QString fileOf(const QString &application)
{
    return QSettings(format, QSettings::UserScope, application).fileName();
}

// Opens the file and closes it again, changing nothing: 0, or why it cannot be opened so.
int openError(const QString &file, int flags)
{
    const int descriptor = ::open(QFile::encodeName(file).constData(), flags | O_CLOEXEC);
    if (descriptor < 0)
        return errno;
    ::close(descriptor);
    return 0;
}

QString cannotBe(const QString &what, const QString &file, int error = 0)
{
    QString text = QStringLiteral("The settings file %1 cannot be %2").arg(file, what);
    if (error != 0)
        text += QStringLiteral(" (%1)").arg(qt_error_string(error));
    return text;
}

} // namespace

QString SettingsStore::read(const QString &application, const QString &section, const QString &key,
                            const QString &defaultValue)
{
    QSettings settings(format, QSettings::UserScope, application);
    // AccessError alone only says that changes could not be written: the values still read.
    if (QFileInfo::exists(settings.fileName())) {
        if (const int error = openError(settings.fileName(), O_RDONLY))
            throw RuntimeError(cannotBe(QStringLiteral("read"), settings.fileName(), error));
    }
    settings.beginGroup(section);
    const QVariant value = settings.value(key);
    return value.isValid() ? value.toString() : defaultValue;
}

void SettingsStore::write(const QString &application, const QString &section, const QString &key, const QString &text)
{
    QString file;
    {
        QSettings settings(format, QSettings::UserScope, application);
        file = settings.fileName();
        const bool clean = settings.status() == QSettings::NoError;
        settings.beginGroup(section);
        // Storing what is stored already changes nothing: restoring a value never writes it back.
        const QVariant stored = settings.value(key);
        if (clean && stored.isValid() && stored.toString() == text)
            return;
        settings.setValue(key, text);
        settings.endGroup();
        settings.sync(); // written to a temporary file and renamed over the old one
        if (clean) {
            if (settings.status() == QSettings::AccessError)
                throw RuntimeError(cannotBe(QStringLiteral("written"), file));
            return;
        }
    }
    // The object started with a problem and kept it: a new one tries again whatever is still
    // pending, and only its AccessError says that the change is not on disk.
    const QSettings check(format, QSettings::UserScope, application);
    if (check.status() == QSettings::AccessError)
        throw RuntimeError(cannotBe(QStringLiteral("written"), file));
}

QString SettingsStore::writeProblem(const QString &application)
{
    const QString file = fileOf(application);
    const QFileInfo info(file);
    int error = 0;
    if (info.exists())
        error = openError(file, O_WRONLY);
    // A change is written beside the file and renamed over it, so the folder must take new files.
    if (error == 0 && QFileInfo(info.absolutePath()).isDir()) {
        QByteArray probe = QFile::encodeName(file + QStringLiteral(".probe-XXXXXX"));
        const int descriptor = ::mkostemp(probe.data(), O_CLOEXEC);
        if (descriptor < 0) {
            error = errno;
        } else {
            ::close(descriptor);
            ::unlink(probe.constData());
        }
    }
    return error != 0 ? cannotBe(QStringLiteral("written"), file, error) : QString();
}
