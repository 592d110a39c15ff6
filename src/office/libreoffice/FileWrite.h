#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Files that reach their place complete or not at all, and what to say when writing failed.

// The description of a failed write of a file of about `bytes` bytes into folder:
// "Disk full" when it ran out of room, otherwise `otherwise`. Out of room means: error (an errno
// value) says so (no space, quota exceeded, file too large); or, when error is 0 because the
// cause is not known (the office's own writes), the folder's file system has less room left
// than the file needs (taken as at least 1 MiB), or the file-size limit of this process (which
// the office inherits) is below that.
QString describeFailedWrite(const QString &folder, qint64 bytes, int error, const QString &otherwise);

// Writes contents to destination, complete or not at all: under a temporary name beside the
// destination, renamed over it once complete (a link at the destination is replaced, never
// followed). When that fails, nothing new is left there (an earlier file of that name stays as
// it was) and RuntimeError says why, "Disk full" when the space ran out. A destination that may
// not be written to is refused.
void writeComplete(const QByteArray &contents, const QString &destination);

// Whether file is a whole Word 97-2003 document: a compound file whose header is there, every
// sector of which its allocation table uses is in the file, and which holds the document's main
// stream and its table stream. The office may report success for a document it could not write
// out (a cut-off file, or an empty container when its folder was full); those fail this.
bool wordFileIsComplete(const QByteArray &file);
