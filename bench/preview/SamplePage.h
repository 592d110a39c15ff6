#pragma once

#include <QImage>

// A page-like picture drawn in code: a US Letter invitation rendered at 192 dots per inch
// (1632 x 2112 pixels, 816 x 1056 logical pixels), as the generation hands the preview.
QImage samplePage();
