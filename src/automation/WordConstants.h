#pragma once

#include <QtGlobal>

// Numbers of the word processor's object model that the program and its document-engine server
// both speak.
namespace WordConstants {

// What Font.Size reads for a text of mixed sizes.
inline constexpr double Undefined = 9999999;
// Document.ExportAsFixedFormat's format for PDF.
inline constexpr qint32 ExportFormatPdf = 17;

} // namespace WordConstants
