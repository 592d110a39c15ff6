#pragma once

#include <QImage>
#include <QString>

#include <functional>

class GenerationHandOver;

// The page picture handed to the preview is made at the screen's density, which is quick. While
// the user looks at the preview, the page is sharpened to twice that density: the saved
// document's first page is rendered again on a worker thread and handed over with
// GenerationHandOver::setSharperPreviewPicture, on the user-interface thread. Nothing here waits
// on the user-interface thread; a sharpening that fails leaves the first picture in place, without
// a message (the preview is still correct, only softer when enlarged).
namespace PageSharpening {

// Renders the first page of a saved document at a density in dots per inch, on a worker thread:
// the document engine's renderer, given by the program at start (tests give their own). Without
// one nothing is sharpened.
using Renderer = std::function<QImage(const QString &documentPath, double dotsPerInch)>;
void setRenderer(Renderer renderer);

// Renders the first page of documentPath now, on the calling thread, with that renderer. Throws
// RuntimeError when none was given or the render fails.
QImage render(const QString &documentPath, double dotsPerInch);

// Starts sharpening picture, the page of documentPath just handed over, to twice its density and
// returns at once; the office is asked only once the preview has stayed for a moment (0.6 s), so a
// quick "< Back" (which cancels it) and new start never wait for it. A sharpening still under way is
// cancelled first. The hand-over must outlive
// the sharpening, or cancel it.
void start(const QString &documentPath, const QImage &picture, GenerationHandOver &handOver);

// Cancels the sharpening under way, if any: its picture is never handed over. The office work it
// has begun finishes on its own (a new run's office calls wait for it in turn).
void cancel();

// The density a sharpening of picture asks for: twice the picture's own, which is 96 dots per
// inch when it tells none.
double sharperDotsPerInch(const QImage &picture);

} // namespace PageSharpening
