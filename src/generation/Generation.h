#pragma once

class Guard;
class PartyDetails;
class QImage;
class QString;

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
    virtual void showPreview() = 0;
    virtual void hideMainWindow() = 0;
};

// The body of "Start Creating Template" (the main window's PushButton6_Click), statements 104 to
// 212, run through the handler's guard: the embedded template is written to the temporary folder
// as "template.dot", filled with the party details by a first engine instance and saved under a
// fresh "plumix" name, pictured by SaveDocAsJPG, and handed to the windows. A failing statement is
// reported with its line number and the run goes on with the next one; the run is never abandoned.
// Busy handling (statements 100, 102 and 214) stays with the handler.
void GenerateInvitation(Guard &guard, const PartyDetails &details, GenerationHandOver &handOver);

// Renders the saved document's first page through a second engine instance and writes it as
// "temp.bmp" in the temporary folder. Its own guarded procedure: failures are reported as
// Form1.SaveDocAsJPG with statement numbers 116 to 126, never raised to the caller.
void SaveDocAsJPG(const QString &documentPath);
