#pragma once

#include <QString>

// The folder that holds the generation's work files ("template.dot", the filled document,
// "temp.bmp"). It is the value of TEMP (or temp) when that is set and not empty. Otherwise it is a
// private folder of the user's inside the system temporary folder, created with mode 0700 and
// checked to be a real folder owned by the user: fixed file names in a shared folder such as /tmp
// would let another user plant or redirect our work files.
namespace TempFolder {

// Throws RuntimeError when the private folder cannot be made or is not safe to use.
QString path();

// path() + "/" + name.
QString file(const QString &name);

// Removes the private folder when it is empty (at the end of the program).
void removePrivateFolderIfEmpty();

} // namespace TempFolder
