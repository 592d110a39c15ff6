#pragma once

#include <QString>

// The folder the Save dialog opens in, kept per user the way a desktop keeps a program's last
// folder: beside the party details in the settings file, in a section of its own.
namespace SaveFolder {

// The folder of the last successful save while it is still there; otherwise the user's Documents
// folder when there is one; otherwise the home folder.
QString initial();

// Remembers the folder of a file just saved. A settings file that cannot be written only means
// that the next dialog opens elsewhere: nothing is said.
void remember(const QString &savedFile);

} // namespace SaveFolder
