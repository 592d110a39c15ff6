#pragma once

#include <QImage>

// The picture on the program's own clipboard, asked for up to 1000 times in a row; a null image when every
// attempt failed. Format 0 takes whatever picture form the clipboard offers. Never throws.
QImage GetClipboardPicture(qint32 format);
