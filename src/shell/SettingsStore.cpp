#include "shell/SettingsStore.h"

#include "shell/RuntimeError.h"

#include <QSettings>

namespace {

QString describe(const QSettings &settings, const QString &what)
{
    return QStringLiteral("The settings could not be %1 (%2)").arg(what, settings.fileName());
}

} // namespace

QString SettingsStore::read(const QString &application, const QString &section, const QString &key,
                            const QString &defaultValue)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, application);
    if (settings.status() != QSettings::NoError)
        throw RuntimeError(describe(settings, QStringLiteral("read")));
    settings.beginGroup(section);
    const QVariant value = settings.value(key);
    return value.isValid() ? value.toString() : defaultValue;
}

void SettingsStore::write(const QString &application, const QString &section, const QString &key,
                          const QString &text)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, application);
    settings.beginGroup(section);
    settings.setValue(key, text);
    settings.endGroup();
    settings.sync(); // written to a temporary file and renamed over the old one
    if (settings.status() != QSettings::NoError)
        throw RuntimeError(describe(settings, QStringLiteral("saved")));
}
