#pragma once

#include <QString>

// Writes a PDF of the document at documentPath (the filled invitation) to destination, through
// the document engine: a "Word.Application" opens the document read-only and exports it with
// Document.ExportAsFixedFormat (PDF), then closes it and quits. The PDF is written among the work
// files (TempFolder) and put in the destination's place with WriteFileReplacing once complete. A
// failure throws RuntimeError with its description and leaves an existing destination as it was
// and no temporary file behind.
// Not guarded: the caller (the preview's save command) reports the failure with its own line.
void ExportPdf(const QString &documentPath, const QString &destination);

// Throws RuntimeError describing why destination cannot be written (an empty name, a folder, a
// missing or read-only folder, a read-only file), before the office is asked to make anything.
void checkExportDestination(const QString &destination);
