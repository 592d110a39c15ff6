#pragma once

#include <QCursor>
#include <QString>

// Loads a Windows cursor file (.cur) as a pointer, with the hot spot the file names.
// Throws RuntimeError when the file cannot be read as a cursor.
QCursor loadCursorFile(const QString &path);
