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
    QPalette palette;
    const QColor window(53, 53, 53);
    const QColor text(240, 240, 240);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, QColor(42, 42, 42));
    palette.setColor(QPalette::AlternateBase, QColor(66, 66, 66));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::red);
    palette.setColor(QPalette::Highlight, QColor(42, 130, 218));
    palette.setColor(QPalette::HighlightedText, Qt::black);
    palette.setColor(QPalette::ToolTipBase, window);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::Light, QColor(80, 80, 80));
    palette.setColor(QPalette::Midlight, QColor(66, 66, 66));
    palette.setColor(QPalette::Mid, QColor(40, 40, 40));
    palette.setColor(QPalette::Dark, QColor(30, 30, 30));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(127, 127, 127));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(127, 127, 127));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(127, 127, 127));
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
