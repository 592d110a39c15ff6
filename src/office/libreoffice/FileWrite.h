#pragma once

#include <QString>
#include <QtGlobal>

// What to say when writing a file failed, and whether it failed for want of room.

// The description of a failed write of a file of about `bytes` bytes into folder:
// "Disk full" when it ran out of room, otherwise `otherwise`. Out of room means: error (an errno
// value) says so (no space, quota exceeded, file too large); or, when error is 0 because the
// cause is not known (the office's own writes), the folder's file system has less room left
// than the file needs (taken as at least 1 MiB), or the file-size limit of this process (which
// the office inherits) is below that.
QString describeFailedWrite(const QString &folder, qint64 bytes, int error, const QString &otherwise);

// What to tell the user when the office could not write path (its own I/O error, whose text
// names its internals): "Disk full" when path's folder is short of room, else the runtime's
// description of a failed write there. The office's text goes to standard error only.
QString describeOfficeWriteFailure(const QString &path, const QString &officeText);
