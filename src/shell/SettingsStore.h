#pragma once

#include <QString>

// The per-user settings store: text values addressed by application, section and key. Kept in an
// INI file per application under the user's configuration folder.
namespace SettingsStore {

// The stored text, or defaultValue when the key (or its section or application) is absent.
// Reading never creates anything. Throws RuntimeError when the store cannot be read.
QString read(const QString &application, const QString &section, const QString &key,
             const QString &defaultValue = QString());

// Stores the text, replacing any earlier value; the value is on disk when the call returns.
// Throws RuntimeError when the store cannot be written.
void write(const QString &application, const QString &section, const QString &key,
           const QString &text);

} // namespace SettingsStore
