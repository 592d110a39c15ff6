#pragma once

#include <QSize>
#include <QString>

// Prints the filled invitation at documentPath through the document engine: a "Word.Application"
// opens it read-only and prints its first page with Document.PrintOut on the printer named, the
// number of copies asked for, on paper of pageTwips (the template's page, in twips), and waits
// until the printer has taken the job. A failure (no such printer, the job refused) throws
// RuntimeError with its description. Not guarded: the preview's print command reports it.
void PrintDocument(const QString &documentPath, const QString &printerName, int copies, QSize pageTwips);
