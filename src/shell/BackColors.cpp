#include "shell/BackColors.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>

#include <algorithm>
#include <cmath>

namespace {

// Text this much brighter or darker than its background reads comfortably.
constexpr double ReadableContrast = 4.5;

double relativeLuminance(const QColor &color)
{
    const auto linear = [](float channel) {
        return channel <= 0.03928f ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = color.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

// Sets the background role and the text role drawn on it; disabled text stays dimmed.
void setColors(QWidget *widget, QPalette::ColorRole backRole, QPalette::ColorRole textRole, const QColor &background,
               const QColor &themeText)
{
    const QColor text = readableTextColor(background, themeText);
    QPalette palette = widget->palette();
    palette.setColor(backRole, background);
    palette.setColor(QPalette::Active, textRole, text);
    palette.setColor(QPalette::Inactive, textRole, text);
    const QColor dimmed = QColor::fromRgbF((text.redF() + background.redF()) / 2,
                                           (text.greenF() + background.greenF()) / 2,
                                           (text.blueF() + background.blueF()) / 2);
    palette.setColor(QPalette::Disabled, textRole, dimmed);
    widget->setPalette(palette);
}

} // namespace

QColor buttonFaceColor()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

double contrastRatio(const QColor &first, const QColor &second)
{
    const double one = relativeLuminance(first);
    const double other = relativeLuminance(second);
    return (std::max(one, other) + 0.05) / (std::min(one, other) + 0.05);
}

QColor readableTextColor(const QColor &background, const QColor &themeText)
{
    if (contrastRatio(background, themeText) >= ReadableContrast)
        return themeText;
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return contrastRatio(background, black) >= contrastRatio(background, white) ? black : white;
}

void setBackColor(QWidget *widget, const QColor &color)
{
    setColors(widget, QPalette::Window, QPalette::WindowText, color,
              QApplication::palette().color(QPalette::WindowText));
    widget->setAutoFillBackground(true);
}

void setButtonFaceColor(QWidget *button, const QColor &color)
{
    setColors(button, QPalette::Button, QPalette::ButtonText, color,
              QApplication::palette().color(QPalette::ButtonText));
}

void NormalizeBackColors(QWidget *window)
{
    const QColor face = buttonFaceColor();
    setBackColor(window, face);
    const auto children = window->findChildren<QWidget *>();
    for (QWidget *child : children) {
        if (qobject_cast<QRadioButton *>(child) || qobject_cast<QCheckBox *>(child) || qobject_cast<QGroupBox *>(child)
            || qobject_cast<QLabel *>(child))
            setBackColor(child, face);
    }
}
