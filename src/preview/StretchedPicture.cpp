#include "preview/StretchedPicture.h"

#include <QPainter>

namespace {

// Resolution of a picture drawn one pixel per logical pixel: 96 dots per inch.
constexpr int ScreenDotsPerMeter = 3780;
// Tiles are small enough that the part of a page that one repaint shows is scaled in a few
// milliseconds.
constexpr int TileSide = 256;
// Bilinear sampling reads every source pixel only down to half size; stronger reductions are
// scaled in one piece with area averaging (their result is small).
constexpr double StrongReduction = 0.5;
// Beyond this many device pixels tiles are scaled only when painted, not ahead.
constexpr qint64 FillAheadLimit = 64 * 1024 * 1024;

int logicalLength(int pixels, int dotsPerMeter)
{
    if (dotsPerMeter <= 0 || dotsPerMeter == ScreenDotsPerMeter)
        return pixels;
    return qMax(1, qRound(double(pixels) * ScreenDotsPerMeter / dotsPerMeter));
}

} // namespace

QSize StretchedPicture::logicalSize(const QImage &picture)
{
    if (picture.isNull())
        return {};
    return QSize(logicalLength(picture.width(), picture.dotsPerMeterX()),
                 logicalLength(picture.height(), picture.dotsPerMeterY()));
}

StretchedPicture::StretchedPicture(const QImage &picture, const QRect &source, const QRect &destination,
                                   qreal devicePixelRatio)
    : mRatio(devicePixelRatio > 0 ? devicePixelRatio : 1.0)
{
    if (picture.isNull())
        return;
    // One pixel format for source and tiles keeps the scaling on Qt's fast paths.
    const QImage::Format format = picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                            : QImage::Format_RGB32;
    mPicture = picture.format() == format ? picture : picture.convertToFormat(format);

    const QSize logical = logicalSize(picture);
    const double pixelsX = double(picture.width()) / logical.width();
    const double pixelsY = double(picture.height()) / logical.height();
    mSourcePixels = QRectF(source.x() * pixelsX, source.y() * pixelsY, source.width() * pixelsX,
                           source.height() * pixelsY);
    mDeviceRect = deviceRect(destination);
    if (mDeviceRect.isEmpty() || mSourcePixels.isEmpty())
        return;

    mWholeAtOnce = mDeviceRect.width() < StrongReduction * mSourcePixels.width()
        || mDeviceRect.height() < StrongReduction * mSourcePixels.height();
    mTileSize = mWholeAtOnce ? mDeviceRect.size() : QSize(TileSide, TileSide);
    mColumns = (mDeviceRect.width() + mTileSize.width() - 1) / mTileSize.width();
    mRows = (mDeviceRect.height() + mTileSize.height() - 1) / mTileSize.height();
    mTiles.resize(qsizetype(mColumns) * mRows);
}

QRect StretchedPicture::deviceRect(const QRect &logical) const
{
    return QRectF(QPointF(logical.topLeft()) * mRatio, QSizeF(logical.size()) * mRatio).toAlignedRect();
}

QRect StretchedPicture::tileRect(int column, int row) const
{
    const QRect tile(QPoint(column * mTileSize.width(), row * mTileSize.height()), mTileSize);
    return tile.intersected(QRect(QPoint(0, 0), mDeviceRect.size()));
}

void StretchedPicture::scaleTile(int index)
{
    const QRect rect = tileRect(index % mColumns, index / mColumns);
    QImage tile;
    if (mWholeAtOnce) {
        const QRect aligned = mSourcePixels.toAlignedRect();
        const QImage part = aligned == mPicture.rect() ? mPicture : mPicture.copy(aligned);
        tile = part.scaled(mDeviceRect.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        tile = QImage(rect.size(), mPicture.format());
        QPainter painter(&tile);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.translate(-rect.topLeft());
        painter.drawImage(QRectF(QPointF(0, 0), QSizeF(mDeviceRect.size())), mPicture, mSourcePixels);
    }
    tile.setDevicePixelRatio(mRatio);
    mTiles[index] = tile;
    ++mScalings;
}

void StretchedPicture::paint(QPainter &painter, const QRect &exposed)
{
    const QRect device = deviceRect(exposed).intersected(mDeviceRect).translated(-mDeviceRect.topLeft());
    if (mTiles.isEmpty() || device.isEmpty())
        return;
    for (int row = device.top() / mTileSize.height(); row <= device.bottom() / mTileSize.height(); ++row) {
        for (int column = device.left() / mTileSize.width(); column <= device.right() / mTileSize.width(); ++column) {
            const int index = row * mColumns + column;
            if (mTiles.at(index).isNull())
                scaleTile(index);
            const QPoint at = mDeviceRect.topLeft() + tileRect(column, row).topLeft();
            painter.drawImage(QPointF(at) / mRatio, mTiles.at(index));
        }
    }
}

bool StretchedPicture::fillNext(const QRect &area)
{
    if (qint64(mDeviceRect.width()) * mDeviceRect.height() > FillAheadLimit)
        return false;
    const QRect device = deviceRect(area).intersected(mDeviceRect).translated(-mDeviceRect.topLeft());
    for (int index = 0; index < mTiles.size(); ++index) {
        if (mTiles.at(index).isNull() && tileRect(index % mColumns, index / mColumns).intersects(device)) {
            scaleTile(index);
            return true;
        }
    }
    return false;
}
