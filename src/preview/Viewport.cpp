#include "preview/Viewport.h"

#include "preview/PictureBox.h"
#include "preview/StretchedPicture.h"
#include "shell/Arithmetic.h"
#include "shell/Guard.h"
#include "shell/Window.h"

#include <QScrollBar>
#include <QSignalBlocker>

#include <cmath>

using namespace Arithmetic;

// The numbers given to the guard are the procedures' line numbers: every line of a procedure
// counts, from 100 in steps of 2, also the Else and End If lines that perform nothing.

namespace {

const QString Window2 = QStringLiteral("Form2");

constexpr float MinZoom = 0.25f;
constexpr float MaxZoom = 4.0f;
constexpr float ZoomIncrement = 0.25f;
// A zoomed page this large or larger is not painted; the zoom returns to 1.0 instead.
constexpr qint32 ZoomWidthLimit = 11000;
constexpr qint32 ZoomHeightLimit = 13800;
// An overflow up to this length is scrolled one unit per bar value, a larger one ten.
constexpr float FineScrollLimit = 100;
constexpr qint16 FineStep = 1;
constexpr qint16 CoarseStep = 10;
// Taken off the holding box's inner size to give the page size at zoom 1.0.
constexpr int HoldingAllowance = 2;

// On an axis where the page box fits inside the frame there is nothing to drag into view: the
// dragged position gives way to where the box is.
float keptWhereItFits(float dragged, int position, int pageLength, int frameLength)
{
    return pageLength <= frameLength ? float(position) : dragged;
}

} // namespace

ScrollRange scrollRangeFor(float overflow)
{
    if (overflow <= 0)
        return {false, 0, 0};
    if (overflow <= FineScrollLimit)
        return {true, nearestToInt16(overflow), FineStep};
    const float coarse = overflow / float(CoarseStep); // single precision, as the overflow
    return {true, nearestToInt16(coarse), CoarseStep};
}

Viewport::Viewport(const Controls &controls, QObject *parent)
    : QObject(parent)
    , mWindow(controls.window)
    , Picture2(controls.Picture2)
    , Picture1(controls.Picture1)
    , Zoom_Ori(controls.Zoom_Ori)
    , HScroll1(controls.HScroll1)
    , VScroll1(controls.VScroll1)
{
    connect(&HScroll1, &QScrollBar::valueChanged, this, [this] { userScrolled(HScroll1); });
    connect(&VScroll1, &QScrollBar::valueChanged, this, [this] { userScrolled(VScroll1); });
    connect(&Picture1, &PictureBox::mouseDown, this, &Viewport::picture1_MouseDown);
    connect(&Picture1, &PictureBox::mouseMove, this, &Viewport::picture1_MouseMove);
    connect(&Picture1, &PictureBox::mouseUp, this, &Viewport::Picture1_MouseUp);
}

void Viewport::SetUp(Guard &guard)
{
    guard.run(102, [&] { Picture1.setAutoRedraw(true); });
    guard.run(104, [&] { Picture1.setAutoSize(true); });
    guard.run(106, [&] { Picture1.setBackColor(Qt::white); });
    guard.run(108, [&] { Zoom_Ori.setAutoRedraw(true); });
    guard.run(110, [&] { Zoom_Ori.setVisible(false); });
    guard.run(112, [&] { Zoom_Ori.resize(Picture1.width(), Zoom_Ori.height()); });
    guard.run(114, [&] { Zoom_Ori.resize(Zoom_Ori.width(), Picture1.height()); });
    guard.run(116, [&] { Zoom_Ori.setPicture(Picture1.picture()); });
    guard.run(118, [&] { mZoom = 1.0f; });
    guard.run(120, [&] { mOriWidth = nearestToInt32(Zoom_Ori.scaleWidth() - HoldingAllowance); });
    guard.run(122, [&] { mOriHeight = nearestToInt32(Zoom_Ori.scaleHeight() - HoldingAllowance); });
    guard.run(124, [&] { mZoomWidth = floorToInt32(double(mOriWidth) * 1); });
    guard.run(126, [&] { mZoomHeight = floorToInt32(double(mOriHeight) * 1); });
    guard.run(128, [&] { RedrawImage(); });
    guard.run(130, [&] { InitScrollbars(); });
}

void Viewport::ZoomStep(qint32 ZoomOut)
{
    SetZoom(ZoomOut == 0 ? mZoom + ZoomIncrement : mZoom - ZoomIncrement);
}

bool Viewport::canZoomIn() const
{
    return mZoom + ZoomIncrement <= MaxZoom;
}

bool Viewport::canZoomOut() const
{
    return mZoom - ZoomIncrement >= MinZoom;
}

void Viewport::SetZoom(float NewZoom)
{
    if (NewZoom >= MinZoom && NewZoom <= MaxZoom) {
        mZoom = NewZoom;
        RedrawImage();
    }
}

void Viewport::RedrawImage()
{
    Guard guard(Window2, QStringLiteral("RedrawImage"));
    guard.run(100, [&] { mZoomWidth = floorToInt32(double(mOriWidth) * double(mZoom)); });
    guard.run(102, [&] { mZoomHeight = floorToInt32(double(mOriHeight) * double(mZoom)); });
    if (guard.test(104, [&] { return mZoomWidth < ZoomWidthLimit && mZoomHeight < ZoomHeightLimit; })) {
        guard.run(106, [&] { Picture1.clearPicture(); });
        guard.run(108, [&] { Picture1.resize(mZoomWidth, Picture1.height()); });
        guard.run(110, [&] { Picture1.resize(Picture1.width(), mZoomHeight); });
        guard.run(112, [&] {
            Picture1.paintPicture(Zoom_Ori.picture(), QRect(0, 0, mZoomWidth, mZoomHeight),
                                  QRect(0, 0, mOriWidth, mOriHeight));
        });
        guard.run(114, [&] { mWindow.setMousePointer(Window::Default); });
        guard.run(116, [&] { setBarValue(HScroll1, 0); });
        guard.run(118, [&] { setBarValue(VScroll1, 0); });
        guard.run(120, [&] { HScroll1.setEnabled(Picture2.scaleWidth() < mZoomWidth); });
        guard.run(122, [&] { VScroll1.setEnabled(Picture2.scaleHeight() < mZoomHeight); });
        // The ranges and steps follow the new size, measured against the frame's inner size like
        // the enabling above, so that the bars reach every part of the zoomed page and an enabled
        // bar always moves it. It has no number of its own: a failure reports as 122, the number of
        // the branch's last step, so that the reset branch below keeps its numbers 126 to 134.
        guard.run(122, [&] { InitScrollbars(); });
    } else {
        guard.run(126, [&] { mZoom = 1.0f; });
        guard.run(128, [&] { mOriWidth = nearestToInt32(Zoom_Ori.scaleWidth() - HoldingAllowance); });
        guard.run(130, [&] { mOriHeight = nearestToInt32(Zoom_Ori.scaleHeight() - HoldingAllowance); });
        guard.run(132, [&] { mZoomWidth = mOriWidth; });
        guard.run(134, [&] { mZoomHeight = mOriHeight; });
    }
}

void Viewport::InitScrollbars()
{
    Picture1.move(0, 0);
    // The overflow beyond what the frame shows, inside its border: the measure the repaint enables
    // the bars by and the drag clamps the page with. Measured against the frame's outer size, a
    // page 1 to 4 units larger than the frame's inside would get a disabled bar and never show
    // its far edge.
    initAxis(HScroll1, mHStep, float(Picture1.width()) - float(Picture2.scaleWidth()));
    initAxis(VScroll1, mVStep, float(Picture1.height()) - float(Picture2.scaleHeight()));
}

void Viewport::SharpenPicture(const QImage &sharper)
{
    const QImage &current = Zoom_Ori.picture();
    if (current.isNull() || StretchedPicture::logicalSize(sharper) != StretchedPicture::logicalSize(current))
        return;
    Zoom_Ori.setPicture(sharper);
    Picture1.repaintFrom(sharper);
}

void Viewport::initAxis(QScrollBar &bar, qint16 &step, float overflow)
{
    const ScrollRange range = scrollRangeFor(overflow);
    bar.setEnabled(range.enabled);
    if (range.enabled)
        setBarMaximum(bar, range.maximum);
    step = range.step;
    if (range.enabled)
        setBarValue(bar, 0);
}

void Viewport::SetHScrollbarByPercent(QScrollBar &HScrollbar, qint16 percent)
{
    if (percent < 0 || percent > 100)
        return;
    setBarValue(HScrollbar, nearestToInt16(double(percent) / 100.0 * HScrollbar.maximum()));
}

void Viewport::SetVScrollbarByPercent(QScrollBar &VScrollbar, qint16 percent)
{
    if (percent < 0 || percent > 100)
        return;
    setBarValue(VScrollbar, nearestToInt16(double(percent) / 100.0 * VScrollbar.maximum()));
}

void Viewport::HScroll1_Change()
{
    Picture1.move(negate16(multiply16(mHStep, toInt16(HScroll1.value()))), Picture1.y());
}

void Viewport::VScroll1_Change()
{
    Picture1.move(Picture1.x(), negate16(multiply16(mVStep, toInt16(VScroll1.value()))));
}

void Viewport::setBarValue(QScrollBar &bar, int value)
{
    const int before = bar.value();
    {
        const QSignalBlocker blocker(bar);
        bar.setValue(value);
    }
    if (bar.value() != before)
        barChanged(bar);
}

void Viewport::setBarMaximum(QScrollBar &bar, int maximum)
{
    const int before = bar.value();
    {
        const QSignalBlocker blocker(bar);
        bar.setMaximum(maximum);
    }
    if (bar.value() != before)
        barChanged(bar);
}

void Viewport::barChanged(QScrollBar &bar)
{
    if (&bar == &HScroll1)
        HScroll1_Change();
    else if (&bar == &VScroll1)
        VScroll1_Change();
}

void Viewport::userScrolled(QScrollBar &bar)
{
    // A bar's maximum never exceeds a tenth of the largest page painted, so the 16-bit move
    // cannot overflow; were it to, the page box would simply stay where it is.
    try {
        barChanged(bar);
    } catch (const RuntimeError &) {
    }
}

void Viewport::picture1_MouseDown(Qt::MouseButton, QPointF position)
{
    Guard guard(Window2, QStringLiteral("picture1_MouseDown"));
    guard.run(100, [&] { mDragX = float(position.x()); });
    guard.run(102, [&] { mDragY = float(position.y()); });
}

void Viewport::picture1_MouseMove(Qt::MouseButtons Button, QPointF position)
{
    Guard guard(Window2, QStringLiteral("picture1_MouseMove"));
    float newLeft = 0;
    float newTop = 0;
    if (guard.test(100, [&] { return Button != Qt::NoButton; })) {
        guard.run(102, [&] { newLeft = float(Picture1.x()) - mDragX + float(position.x()); });
        if (guard.test(104, [&] { return newLeft > 0; }))
            guard.run(106, [&] { newLeft = 0; });
        else if (guard.test(108, [&] { return float(Picture2.scaleWidth()) - float(Picture1.width()) > newLeft; }))
            guard.run(110, [&] { newLeft = float(Picture2.scaleWidth()) - float(Picture1.width()); });
        // On the End If line: a page that fits the frame's width stays where it is. The clamp
        // above would put its right edge at the frame's right edge on every move, even a purely
        // vertical one.
        guard.run(112,
                  [&] { newLeft = keptWhereItFits(newLeft, Picture1.x(), Picture1.width(), Picture2.scaleWidth()); });
        guard.run(114, [&] { newTop = float(Picture1.y()) - mDragY + float(position.y()); });
        if (guard.test(116, [&] { return newTop > 0; }))
            guard.run(118, [&] { newTop = 0; });
        else if (guard.test(120, [&] { return float(Picture2.scaleHeight()) - float(Picture1.height()) > newTop; }))
            guard.run(122, [&] { newTop = float(Picture2.scaleHeight()) - float(Picture1.height()); });
        guard.run(124,
                  [&] { newTop = keptWhereItFits(newTop, Picture1.y(), Picture1.height(), Picture2.scaleHeight()); });
        guard.run(126, [&] { Picture1.move(nearestToInt32(newLeft), nearestToInt32(newTop)); });
    }
}

void Viewport::Picture1_MouseUp(Qt::MouseButton, QPointF)
{
    Guard guard(Window2, QStringLiteral("Picture1_MouseUp"));
    qint32 horizontal = 0;
    qint32 vertical = 0;
    guard.run(100, [&] {
        horizontal = nearestToInt32(divide(std::abs(Picture1.x()), Picture1.width() - Picture2.width()) * 100);
    });
    guard.run(102, [&] {
        vertical = nearestToInt32(divide(std::abs(Picture1.y()), Picture1.height() - Picture2.height()) * 100);
    });
    guard.run(104, [&] { SetHScrollbarByPercent(HScroll1, toInt16(horizontal)); });
    guard.run(106, [&] { SetVScrollbarByPercent(VScroll1, toInt16(vertical)); });
}
