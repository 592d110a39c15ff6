#pragma once

#include <QImage>
#include <QObject>
#include <QPointF>

class Guard;
class PictureBox;
class QScrollBar;
class Window;

// The viewport's state variables, all zero until the set-up.
struct ViewportState
{
    float mZoom = 0;      // the zoom factor, a multiple of 0.25 from 0.25 to 4.0 once set
    qint32 mOriWidth = 0; // size of the page picture at zoom 1.0
    qint32 mOriHeight = 0;
    qint32 mZoomWidth = 0; // size of the page picture at mZoom
    qint32 mZoomHeight = 0;
    qint16 mHStep = 0; // how far the page box moves per unit of scroll value: 0, 1 or 10
    qint16 mVStep = 0;
    float mDragX = 0; // pointer position in the page box at the last button press
    float mDragY = 0;
};

// One axis of the scroll set-up: whether the bar is enabled, its maximum and the step, for a page
// box that overflows the frame by the given length.
struct ScrollRange
{
    bool enabled = false;
    qint16 maximum = 0; // meaningful only when enabled
    qint16 step = 0;
};
ScrollRange scrollRangeFor(float overflow);

// The preview window's viewport: the page picture box Picture1 inside the frame Picture2, zoomed
// in quarter steps, moved with the two scroll bars or dragged with the mouse. The holding box
// Zoom_Ori keeps the unscaled page picture that every zoom is painted from. Lengths are logical
// pixels. Its guarded procedures report as procedures of the preview window.
class Viewport : public QObject, private ViewportState
{
    Q_OBJECT
public:
    struct Controls
    {
        Window &window;
        PictureBox &Picture2;
        PictureBox &Picture1;
        PictureBox &Zoom_Ori;
        QScrollBar &HScroll1;
        QScrollBar &VScroll1;
    };

    explicit Viewport(const Controls &controls, QObject *parent = nullptr);

    const ViewportState &state() const { return *this; }

    // The set-up for the picture that Picture1 holds: statements 102 to 130 of the window's
    // activate handler, run through its guard.
    void SetUp(Guard &guard);

    // Whether a zoom step in, or out, would be taken.
    bool canZoomIn() const;
    bool canZoomOut() const;
    // One zoom step: in for 0, out for any other value.
    void ZoomStep(qint32 ZoomOut);
    // Takes NewZoom and repaints when it lies between 0.25 and 4.0; otherwise does nothing.
    void SetZoom(float NewZoom);
    // Repaints the page box at mZoom, or returns to zoom 1.0 when the page would be too large.
    void RedrawImage();
    // Puts the page box at the frame's top-left and sets the bars' ranges and the steps.
    void InitScrollbars();
    // Takes a sharper picture of the page set up (the same logical size, more pixels) in the
    // holding box's place and repaints the page box from it at the current zoom. Nothing moves:
    // zoom, sizes, position and bars stay as they are. A picture of another size is ignored.
    void SharpenPicture(const QImage &sharper);
    // Set a bar's value to a percentage (0 to 100) of its maximum; other percentages are ignored.
    void SetHScrollbarByPercent(QScrollBar &HScrollbar, qint16 percent);
    void SetVScrollbarByPercent(QScrollBar &VScrollbar, qint16 percent);

    // The bars' change handlers: the page box follows the value.
    void HScroll1_Change();
    void VScroll1_Change();

    // Dragging the page box with the mouse; the release moves the bars to where it was dragged.
    void picture1_MouseDown(Qt::MouseButton Button, QPointF position);
    void picture1_MouseMove(Qt::MouseButtons Button, QPointF position);
    void Picture1_MouseUp(Qt::MouseButton Button, QPointF position);

private:
    void initAxis(QScrollBar &bar, qint16 &step, float overflow);
    // Bar values and maxima set by the program run the bar's change handler only when the value
    // actually changes, within the statement that sets them.
    void setBarValue(QScrollBar &bar, int value);
    void setBarMaximum(QScrollBar &bar, int maximum);
    void barChanged(QScrollBar &bar);
    void userScrolled(QScrollBar &bar);

    Window &mWindow;
    PictureBox &Picture2;
    PictureBox &Picture1;
    PictureBox &Zoom_Ori;
    QScrollBar &HScroll1;
    QScrollBar &VScroll1;
};
