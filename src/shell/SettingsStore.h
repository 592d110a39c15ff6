#pragma once

#include <QString>

// The per-user settings store: text values addressed by application, section and key. Kept in an
// INI file per application under the user's configuration folder.
namespace SettingsStore {

// The stored text, or defaultValue when the key (or its section or application) is absent.
// Reading never creates anything. A file that cannot be written still reads, and a damaged file
// gives what could be read from it. Throws RuntimeError when the file is there but cannot be read.
QString read(const QString &application, const QString &section, const QString &key,
             const QString &defaultValue = QString());

// Stores the text, replacing any earlier value; the value is on disk when the call returns. A text
// equal to the one stored is not written again. Throws RuntimeError when the change could not be
// stored; it is then kept in memory and stored with the next write that succeeds.
void write(const QString &application, const QString &section, const QString &key, const QString &text);

// Why changes could not be stored (the file or its folder cannot be written), found without
// changing anything; empty when nothing stands in the way that can be seen before a write.
QString writeProblem(const QString &application);

} // namespace SettingsStore
