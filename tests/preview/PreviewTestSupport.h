#pragma once

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

// Pictures and mouse input for the preview window's tests.
namespace PreviewTest {

constexpr int ScreenDotsPerMeter = 3780; // 96 dpi: one pixel per logical pixel
constexpr int DoubleDotsPerMeter = 7559; // 192 dpi: two pixels per logical pixel

// A picture covering logical.width() x logical.height() logical pixels at the given resolution:
// white, with a dark frame and a diagonal so that a misplaced or missing paint shows.
inline QImage pagePicture(QSize logical, int dotsPerMeter = ScreenDotsPerMeter)
{
    const int scale = dotsPerMeter == DoubleDotsPerMeter ? 2 : 1;
    QImage picture(logical * scale, QImage::Format_RGB32);
    picture.setDotsPerMeterX(dotsPerMeter);
    picture.setDotsPerMeterY(dotsPerMeter);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(Qt::darkBlue);
    painter.drawRect(picture.rect().adjusted(0, 0, -1, -1));
    painter.drawLine(picture.rect().topLeft(), picture.rect().bottomRight());
    return picture;
}

// A picture of one-pixel black and white columns: any resampling that is not one to one turns
// them grey.
inline QImage stripedPicture(QSize pixels, int dotsPerMeter)
{
    QImage picture(pixels, QImage::Format_RGB32);
    picture.setDotsPerMeterX(dotsPerMeter);
    picture.setDotsPerMeterY(dotsPerMeter);
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x)
            picture.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    return picture;
}

inline void sendMouse(QWidget *widget, QEvent::Type type, QPointF position, Qt::MouseButton button,
                      Qt::MouseButtons buttons)
{
    QMouseEvent event(type, position, widget->mapToGlobal(position), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

inline void press(QWidget *widget, QPointF position)
{
    sendMouse(widget, QEvent::MouseButtonPress, position, Qt::LeftButton, Qt::LeftButton);
}

inline void moveHeld(QWidget *widget, QPointF position)
{
    sendMouse(widget, QEvent::MouseMove, position, Qt::NoButton, Qt::LeftButton);
}

inline void release(QWidget *widget, QPointF position)
{
    sendMouse(widget, QEvent::MouseButtonRelease, position, Qt::LeftButton, Qt::NoButton);
}

} // namespace PreviewTest
