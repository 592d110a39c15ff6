#pragma once

#include <QImage>
#include <QList>
#include <QRect>

class QPainter;

// A picture stretched from a rectangle of it onto a rectangle of a picture box, kept as scaled
// tiles. Each tile is scaled, smoothly, the first time it is painted or filled ahead and is kept
// from then on: repainting, covering, uncovering or moving the box never scales it again.
//
// Lengths are logical pixels (the viewport unit). A picture may carry more pixels than its logical
// size: its resolution (dots per metre) says how many, and the stretch reads the full resolution,
// so that an enlarged page stays sharp.
class StretchedPicture
{
public:
    // source: the rectangle of the picture, in the picture's logical pixels; destination: the
    // rectangle of the box it is stretched onto; devicePixelRatio: the screen's pixels per logical
    // pixel.
    StretchedPicture(const QImage &picture, const QRect &source, const QRect &destination, qreal devicePixelRatio);

    // Draws the part that lies inside exposed (box coordinates), scaling the tiles it needs first.
    void paint(QPainter &painter, const QRect &exposed);

    // Scales the next tile inside area that is not scaled yet. Returns false when there is none.
    bool fillNext(const QRect &area);

    // How many scalings this stretch has made so far.
    int scalings() const { return mScalings; }

    // The size a picture covers at zoom 1.0: its pixel size at its own resolution, converted to
    // 96 dots per inch. A picture without a resolution is taken as 96 dots per inch.
    static QSize logicalSize(const QImage &picture);

private:
    QRect deviceRect(const QRect &logical) const;
    QRect tileRect(int column, int row) const;
    void scaleTile(int index);

    QImage mPicture;
    QRectF mSourcePixels; // in the picture's own pixels
    QRect mDeviceRect;    // the destination in device pixels
    qreal mRatio = 1.0;
    bool mWholeAtOnce = false; // a strong reduction is scaled in one piece, averaging every pixel
    QSize mTileSize;
    int mColumns = 0;
    int mRows = 0;
    QList<QImage> mTiles; // null until scaled
    int mScalings = 0;
};
