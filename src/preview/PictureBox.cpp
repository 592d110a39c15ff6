#include "preview/PictureBox.h"

#include "preview/StretchedPicture.h"
#include "shell/RuntimeError.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <qdrawutil.h>

namespace {
// One round of scaling ahead stops after this long, so that the window stays responsive.
constexpr qint64 FillRoundNanoseconds = 4'000'000;
} // namespace

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent); // paintEvent covers every pixel
    // Pointer moves over a picture box are its own; they never reach the window's hover rules.
    setAttribute(Qt::WA_NoMousePropagation);
    mFiller.setInterval(0);
    connect(&mFiller, &QTimer::timeout, this, &PictureBox::fillAhead);
}

PictureBox::~PictureBox() = default;

void PictureBox::setPicture(const QImage &picture)
{
    mPicture = picture;
    retire(mImage);
    retire(mPictureLayer);
    if (!picture.isNull()) {
        const QRect natural(QPoint(0, 0), StretchedPicture::logicalSize(picture));
        mPictureLayer = std::make_unique<StretchedPicture>(picture, natural, natural, devicePixelRatioF());
    }
    if (mAutoSize)
        fitToPicture();
    update();
    if (isVisible())
        mFiller.start();
}

void PictureBox::clearPicture()
{
    mPicture = QImage();
    retire(mImage);
    retire(mPictureLayer);
    update();
}

void PictureBox::setAutoSize(bool on)
{
    mAutoSize = on;
    if (on)
        fitToPicture();
}

void PictureBox::setAutoRedraw(bool on)
{
    mAutoRedraw = on;
}

void PictureBox::setBackColor(const QColor &color)
{
    mBackColor = color;
    update();
}

void PictureBox::setBorder(Border border)
{
    mBorder = border;
    update();
}

int PictureBox::borderWidth() const
{
    switch (mBorder) {
    case Border::Line: return 1;
    case Border::Sunken: return 2;
    default: return 0;
    }
}

void PictureBox::paintPicture(const QImage &picture, const QRect &destination, const QRect &source)
{
    if (picture.isNull())
        ::raise(StandardError::InvalidPicture);
    retire(mImage);
    mImage = std::make_unique<StretchedPicture>(picture, source, destination, devicePixelRatioF());
    mPaintedDestination = destination;
    mPaintedSource = source;
    update();
    if (isVisible())
        mFiller.start();
}

void PictureBox::repaintFrom(const QImage &picture)
{
    if (mImage)
        paintPicture(picture, mPaintedDestination, mPaintedSource);
}

int PictureBox::scalings() const
{
    return mEarlierScalings + (mPictureLayer ? mPictureLayer->scalings() : 0) + (mImage ? mImage->scalings() : 0);
}

QRect PictureBox::innerRect() const
{
    const int border = borderWidth();
    return rect().adjusted(border, border, -border, -border);
}

QPointF PictureBox::innerPosition(const QPointF &position) const
{
    return position - QPointF(borderWidth(), borderWidth());
}

void PictureBox::retire(std::unique_ptr<StretchedPicture> &layer)
{
    if (layer)
        mEarlierScalings += layer->scalings();
    layer.reset();
}

void PictureBox::fitToPicture()
{
    if (!mPicture.isNull()) {
        const int border = borderWidth();
        resize(StretchedPicture::logicalSize(mPicture) + QSize(2 * border, 2 * border));
    }
}

void PictureBox::fillAhead()
{
    const QRect area(QPoint(0, 0), innerRect().size());
    QElapsedTimer round;
    round.start();
    bool more = true;
    while (more && isVisible() && round.nsecsElapsed() < FillRoundNanoseconds)
        more = (mPictureLayer && mPictureLayer->fillNext(area)) || (mImage && mImage->fillNext(area));
    if (!more || !isVisible())
        mFiller.stop();
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), mBackColor);
    const QRect inner = innerRect();
    const QRect exposed = event->rect().intersected(inner).translated(-inner.topLeft());
    if (!exposed.isEmpty() && (mPictureLayer || mImage)) {
        painter.save();
        painter.setClipRect(inner);
        painter.translate(inner.topLeft());
        if (mPictureLayer)
            mPictureLayer->paint(painter, exposed);
        if (mImage)
            mImage->paint(painter, exposed);
        painter.restore();
    }
    if (mBorder == Border::Line) {
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    } else if (mBorder == Border::Sunken) {
        qDrawWinPanel(&painter, rect(), palette(), true);
    }
    // Without AutoRedraw a painting lasts only until the box is painted again.
    if (!mAutoRedraw)
        retire(mImage);
}

void PictureBox::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (mPictureLayer || mImage)
        mFiller.start();
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    emit mouseDown(event->button(), innerPosition(event->position()));
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMove(event->buttons(), innerPosition(event->position()));
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseUp(event->button(), innerPosition(event->position()));
}
