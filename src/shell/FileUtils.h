#pragma once

#include <QByteArray>
#include <QString>

// True when the last-modified time of path can be read (the file or folder exists); false for
// every failure, such as a missing file or folder or a bad path. Never throws.
bool FileExists(const QString &path);

// Lets queued user-interface events run once; then, unless a file exists at path, writes the
// bytes there exactly as they are. A failed write throws RuntimeError and leaves no partial file.
void WriteFileIfAbsent(const QByteArray &bytes, const QString &path);

// Deletes the file at path, ignoring every failure.
void DeleteFileQuietly(const QString &path);

// The runtime's description for a failed file operation on path.
QString describeFileFailure(const QString &path);
