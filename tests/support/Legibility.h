#pragma once

#include <QApplication>
#include <QColor>
#include <QGroupBox>
#include <QImage>
#include <QPalette>
#include <QRect>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QWidget>

// Checking that a window's lettering can be read under a given colour scheme.
namespace Legibility {

// A dark colour scheme as desktop themes give it (Fusion's dark variant): light text on dark
// windows, buttons and fields.
inline QPalette darkPalette()
{
    const QColor dark(53, 53, 53);
    const QColor light(240, 240, 240);
    QPalette palette(dark); // the button face; shades derived from it
    palette.setColor(QPalette::ButtonText, light);
    palette.setColor(QPalette::Window, dark);
    palette.setColor(QPalette::WindowText, light);
    palette.setColor(QPalette::Base, QColor(42, 42, 42));
    palette.setColor(QPalette::Text, light);
    return palette;
}

// The application's palette for as long as it lives; the one before afterwards.
class ApplicationPalette
{
public:
    explicit ApplicationPalette(const QPalette &palette) : mBefore(QApplication::palette())
    {
        QApplication::setPalette(palette);
    }
    ~ApplicationPalette() { QApplication::setPalette(mBefore); }
    ApplicationPalette(const ApplicationPalette &) = delete;
    ApplicationPalette &operator=(const ApplicationPalette &) = delete;

private:
    QPalette mBefore;
};

// Where a frame draws its title.
inline QRect titleArea(QGroupBox *frame)
{
    QStyleOptionGroupBox option;
    option.initFrom(frame);
    option.text = frame->title();
    option.subControls = QStyle::SC_GroupBoxLabel;
    return frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
}

// How far apart the lightest and darkest pixels of the area lie as drawn on screen, in grey
// levels from 0 to 255. Lettering that can be read stands at least half the range apart from its
// background; a caption drawn in its background's colour leaves only the shading of the
// background itself (a few levels).
inline int brightnessSpread(QWidget *widget, QRect area)
{
    const QImage image = widget->grab(area).toImage();
    int darkest = 255;
    int lightest = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int grey = qGray(image.pixel(x, y));
            darkest = qMin(darkest, grey);
            lightest = qMax(lightest, grey);
        }
    }
    return lightest - darkest;
}

constexpr int ReadableSpread = 128;

} // namespace Legibility
