#pragma once

#include <QImage>
#include <QString>

// The first page of the filled invitation as a picture, made by the document engine from the saved
// document: for the clipboard and for a picture file. A "Word.Application" is created first, so
// that an office is running (started if need be) while the page is rendered with the renderer
// given to PageSharpening at start, and quit afterwards. On the user-interface thread the windows
// keep painting meanwhile (the engine's calls serve repaints while they wait). Throws
// RuntimeError with a description when the page cannot be made; without a renderer there is
// none to make it.
QImage RenderPage(const QString &documentPath, double dotsPerInch);

// The density of a picture file of the page: 300 dots per inch, 2550 x 3300 pixels for a Letter
// page.
inline constexpr double PictureFileDotsPerInch = 300.0;

// Writes the first page of documentPath as a PNG picture at PictureFileDotsPerInch to destination,
// with WriteFileReplacing: complete or not at all. A failure throws RuntimeError and leaves an
// existing destination as it was. Not guarded: the preview's save command reports the failure.
void ExportPng(const QString &documentPath, const QString &destination);
