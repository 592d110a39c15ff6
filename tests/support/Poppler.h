#pragma once

#include <QString>
#include <QStringList>

// What poppler's command-line tools (pdfinfo, pdftotext, pdffonts, pdfimages) read from a PDF.

// The standard output of a poppler tool; empty (and a warning) when it fails.
QString popplerOutput(const QString &tool, const QStringList &arguments);

// The rows of pdffonts' table (its two heading lines left out), one per font.
QStringList pdfFonts(const QString &pdf);
// True when the pdffonts row says the font is embedded ("emb" column).
bool isEmbedded(const QString &fontRow);
