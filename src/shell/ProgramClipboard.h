#pragma once

#include <QImage>

// The program's own clipboard, in memory: the document engine's CopyAsPicture puts the page's
// picture here and the pipeline reads it back. Making an invitation so never touches the system's
// clipboard, which keeps whatever the user copied. Usable from any thread.
namespace ProgramClipboard {

void setImage(const QImage &image);
// The picture put here last; a null image when there is none.
QImage image();
void clear();

} // namespace ProgramClipboard
