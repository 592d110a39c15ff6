#include "shell/SettingsStore.h"

#include "shell/RuntimeError.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Qt keeps one cache per settings file for the whole process. A write that fails leaves its change
// pending in that cache, shown to readers and tried again by every QSettings made later, which
// then reports AccessError from the start; and a QSettings object keeps the first problem it met,
// so a damaged file still says FormatError after a write has replaced it. The status of one object
// therefore tells neither whether the values could be read nor whether a write reached the disk.

namespace {

constexpr QSettings::Format format = QSettings::IniFormat;

// The settings file of the application. A QSettings made for it would read it at once, and a
// file that is no regular file (a FIFO, say) could block that read for ever; so the folder is
// asked of one made for a name that has no file.
QString fileOf(const QString &application)
{
    const QSettings none(format, QSettings::UserScope, QStringLiteral(".mistlefold-no-such-settings"));
    return QFileInfo(none.fileName()).path() + QLatin1Char('/') + application + QStringLiteral(".ini");
}

// Throws when something other than a regular file (or a link to one) stands where the settings
// file goes: it is never opened, so that nothing can block.
void requireRegularFile(const QString &file, const QString &what)
{
    struct stat info
    {};
    if (::stat(QFile::encodeName(file).constData(), &info) == 0 && !S_ISREG(info.st_mode))
        throw RuntimeError(QStringLiteral("The settings file %1 cannot be %2 (it is not a regular file)").arg(file, what));
}

// The value of key in section exactly as the file has it, without the blanks around it; empty when
// it is not there. For a value written by hand that Qt reads as a list (a comma, no quotes).
QString textAsWritten(const QString &file, const QString &section, const QString &key)
{
    QFile settings(file);
    if (!settings.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    bool inSection = false;
    QString found;
    while (!settings.atEnd()) {
        const QString line = QString::fromUtf8(settings.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inSection = line.mid(1, line.size() - 2).trimmed() == section;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (inSection && equals > 0 && line.left(equals).trimmed() == key)
            found = line.mid(equals + 1).trimmed(); // the last one counts, as for Qt
    }
    return found;
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
    const QString file = fileOf(application);
    requireRegularFile(file, QStringLiteral("read"));
    // AccessError alone only says that changes could not be written: the values still read.
    if (QFileInfo::exists(file)) {
        if (const int error = openError(file, O_RDONLY | O_NONBLOCK))
            throw RuntimeError(cannotBe(QStringLiteral("read"), file, error));
    }
    QSettings settings(format, QSettings::UserScope, application);
    settings.beginGroup(section);
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return defaultValue;
    // The program writes text quoted where Qt would split it; a hand-edited value may not be.
    if (value.typeId() == QMetaType::QStringList)
        return textAsWritten(file, section, key);
    return value.toString();
}

void SettingsStore::write(const QString &application, const QString &section, const QString &key, const QString &text)
{
    const QString file = fileOf(application);
    requireRegularFile(file, QStringLiteral("written"));
    {
        QSettings settings(format, QSettings::UserScope, application);
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
    try {
        requireRegularFile(file, QStringLiteral("written"));
    } catch (const RuntimeError &error) {
        return error.description();
    }
    int error = 0;
    if (info.exists())
        error = openError(file, O_WRONLY | O_NONBLOCK);
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
