#pragma once

#include <QStringList>

class Guard;
class PartyDetails;
class QImage;

// What the generation pipeline hands to the windows, in the order it does so: the main window's
// pointer, the page picture and the filled document for the preview window, showing the preview
// and hiding the main window. The main window implements it; the pipeline knows neither window.
class GenerationHandOver
{
public:
    virtual ~GenerationHandOver() = default;

    // The main window's pointer (Window::Pointer): the hourglass while the run works, then the
    // default arrow.
    virtual void setMainWindowPointer(int pointer) = 0;
    // The picture for the preview window's Picture1; a null picture leaves it empty. The first
    // hand-over creates and loads the preview window.
    virtual void setPreviewPicture(const QImage &picture) = 0;
    // The filled document's full path, or the empty text when no document with content was
    // saved; the preview window owns the document from then on.
    virtual void setPreviewDocument(const QString &documentPath) = 0;
    // The values the page was filled with, in the order the page reads: the party date and time
    // as the page shows them, the street address, the city, the state, and who gives the party.
    virtual void setPreviewText(const QStringList &values) = 0;
    virtual void showPreview() = 0;
    virtual void hideMainWindow() = 0;
    // After the preview is shown, from the user-interface thread's event loop: a sharper picture
    // of the page handed over (more pixels, the same logical size) for the preview of the
    // document at documentPath; one for a document the preview no longer shows is ignored.
    virtual void setSharperPreviewPicture(const QImage &picture, const QString &documentPath) = 0;
    // After the preview is shown: the fields whose values are too long to show in full on the
    // page even in the smallest text, by their captions ("Street Address"), to be told in one
    // message. Not called when every value fits.
    virtual void tellTooLong(const QStringList &fields) = 0;
};

// The body of "Start Creating Template" (the main window's PushButton6_Click), statements 104 to
// 212, run through the handler's guard: the embedded template is written to the temporary folder
// as "template.dot", filled with the party details by a first engine instance, its text made to
// fit its boxes (statements 216 to 224), saved under a fresh "plumix" name, pictured by
// SaveDocAsJPG, and handed to the windows; the page is then sharpened in the background
// (PageSharpening) and values too long to fit are told (statement 226).
// A failing statement is reported with its line number and the run goes on with the next one;
// the run is never abandoned. Busy handling (statements 100, 102 and 214) stays with the handler.
void GenerateInvitation(Guard &guard, const PartyDetails &details, GenerationHandOver &handOver);

// Renders the saved document's first page through a second engine instance and writes it as
// "temp.bmp" in the temporary folder. Its own guarded procedure: failures are reported as
// Form1.SaveDocAsJPG with statement numbers 116 to 126, never raised to the caller.
void SaveDocAsJPG(const QString &documentPath);
