#pragma once

#include <QByteArray>
#include <QString>

// True when the last-modified time of path can be read (the file or folder exists); false for
// every failure, such as a missing file or folder or a bad path. Never throws.
bool FileExists(const QString &path);

// True when a regular file, not a link, stands at path. Never throws.
bool RegularFileExists(const QString &path);

// Lets queued user-interface events run once; then, unless a regular file stands at path, writes
// the bytes there exactly as they are, completely or not at all (WriteFileReplacing). A link at
// path is never taken for the file and never written through: it is replaced. A failed write
// throws RuntimeError.
void WriteFileIfAbsent(const QByteArray &bytes, const QString &path);

// The one way the program replaces a file (its work files, the saved invitation, the PDF, the
// document the engine saved): the bytes go to a new file in path's folder, unnamed while it is
// written where the file system allows (else under a name ".mistlefold-<pid>-<random>.part" that
// the next write into that folder removes once its program is gone), synced to disk, and it takes
// path's place in one step once complete; the folder is synced as well. It keeps the permissions
// of a file it replaces. A link at path is replaced, never followed, so that nothing is ever
// written outside the folder named. A file that may not be written is not replaced. A failure
// leaves path as it was and nothing beside it, and throws RuntimeError: "Disk full" when the
// space, the quota or the file-size limit ran out, else the runtime's description.
void WriteFileReplacing(const QByteArray &bytes, const QString &path);
// As WriteFileReplacing, but nothing is synced to disk: for a work file that is read back and
// removed within the same run (the page picture), which a crash would make worthless anyway.
void WriteWorkFile(const QByteArray &bytes, const QString &path);

// The contents of the regular file at path, never read through a link. Throws RuntimeError:
// "File not found" when no regular file stands there.
QByteArray ReadRegularFile(const QString &path);

// Removes whatever stands at path, a folder with everything in it, and never through a link: a
// link, at path or anywhere inside, is removed as a link and its target left alone, and the walk
// never leaves the folder it removes (each folder is opened relative to the one above it, without
// following links). Failures are ignored: what cannot be removed stays.
void RemoveTree(const QString &path);

// Why folder cannot be one of the user's own that nobody else may change: it cannot be looked at,
// it is not a real folder (a link, say), another user owns it, or others may change it and it
// cannot be closed to them. Empty when it is fine; a folder of the user's that others could enter
// is closed to them first.
QString privateFolderProblem(const QString &folder);

// Deletes the file at path, ignoring every failure.
void DeleteFileQuietly(const QString &path);

// The runtime's description for a failed file operation on path.
QString describeFileFailure(const QString &path);
// The same for a failure whose errno is known: "Disk full" when the space or the quota ran out,
// or the file may grow no further; "Permission denied" when access was refused.
QString describeFileFailure(const QString &path, int error);
