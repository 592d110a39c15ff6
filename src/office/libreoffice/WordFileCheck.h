#pragma once

#include <QByteArray>

// Whether file is a whole Word 97-2003 document: a compound file whose header is there, every
// sector of which its allocation table uses is in the file, and which holds the document's main
// stream and its table stream. The office may report success for a document it could not write
// out (a cut-off file, or an empty container when its folder was full); those fail this.
bool wordFileIsComplete(const QByteArray &file);
