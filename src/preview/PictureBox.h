#pragma once

#include <QColor>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <memory>

class StretchedPicture;

// A picture box: a background colour, an optional border, a picture shown at its natural size at
// the top-left, and a persistent image that stretch-copies paint into. With AutoRedraw the box
// keeps what was painted into it, so covering and uncovering it shows the same image again
// without scaling anything. Lengths are logical pixels; positions inside the box (mouse events,
// painting) are measured from the inner top-left corner, inside the border.
//
// It is deliberately no QLabel: the window's background normalisation gives labels the
// button-face colour, and picture boxes keep their own.
class PictureBox : public QWidget
{
    Q_OBJECT
public:
    enum class Border { None, Line, Sunken };

    explicit PictureBox(QWidget *parent = nullptr);
    ~PictureBox() override;

    // The picture, shown at its natural size. Assigning one clears what was painted into the box;
    // with AutoSize the box takes the picture's natural size (plus its border).
    void setPicture(const QImage &picture);
    const QImage &picture() const { return mPicture; }
    // Removes the picture and clears the persistent image to the background colour.
    void clearPicture();

    void setAutoSize(bool on);
    void setAutoRedraw(bool on);
    void setBackColor(const QColor &color);
    QColor backColor() const { return mBackColor; }
    void setBorder(Border border);
    int borderWidth() const;

    // The drawable size inside the border.
    int scaleWidth() const { return width() - 2 * borderWidth(); }
    int scaleHeight() const { return height() - 2 * borderWidth(); }

    // Stretch-copies the source rectangle of picture (its logical pixels) onto the destination
    // rectangle of the box, replacing what was painted before. Fails with "Invalid picture" when
    // there is no picture.
    void paintPicture(const QImage &picture, const QRect &destination, const QRect &source);
    // Paints what the last paintPicture painted again, from another picture of the same logical
    // size (a sharper one): the same rectangles, the new picture's pixels. Nothing moves.
    void repaintFrom(const QImage &picture);

    // How many scalings the box has made since it was created (tiles of its pictures).
    int scalings() const;
    // True while parts of the painted image not shown yet are still being scaled ahead.
    bool isFillingAhead() const { return mFiller.isActive(); }

signals:
    // Mouse button pressed, pointer moved (buttons held, possibly none), button released; the
    // position is in the box's own coordinates.
    void mouseDown(Qt::MouseButton button, QPointF position);
    void mouseMove(Qt::MouseButtons buttons, QPointF position);
    void mouseUp(Qt::MouseButton button, QPointF position);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QRect innerRect() const;
    QPointF innerPosition(const QPointF &position) const;
    void retire(std::unique_ptr<StretchedPicture> &layer);
    void fitToPicture();
    void fillAhead();

    QImage mPicture;
    // The picture at its natural size, and the stretch painted over it (the persistent image).
    std::unique_ptr<StretchedPicture> mPictureLayer;
    std::unique_ptr<StretchedPicture> mImage;
    QRect mPaintedDestination;
    QRect mPaintedSource;
    QColor mBackColor = Qt::white;
    Border mBorder = Border::None;
    bool mAutoSize = false;
    bool mAutoRedraw = false;
    int mEarlierScalings = 0;
    // Scales the rest of the persistent image while the program is idle, a tile at a time, so
    // that moving the box later only shows tiles that are ready.
    QTimer mFiller;
};
