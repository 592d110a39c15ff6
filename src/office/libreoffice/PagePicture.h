#pragma once

#include "OfficeSession.h"

#include <com/sun/star/lang/XComponent.hpp>

// The picture of a page is made at twice the screen's 96 dots per inch, so that it stays sharp
// when shown enlarged; the image says so in its resolution.
inline constexpr int PictureDotsPerInch = 192;
inline constexpr int PictureDotsPerMeter = 7559; // 192 dots per inch

// Renders the document's first page and puts the picture on the clipboard.
void copyFirstPageToClipboard(OfficeSession &session, const Reference<css::lang::XComponent> &model);
