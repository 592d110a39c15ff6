#include "preview/ScrollBar.h"

#include <QPainter>
#include <QPen>

namespace {
constexpr int FocusMarkWidth = 2;
} // namespace

ScrollBar::ScrollBar(Qt::Orientation orientation, QWidget *parent) : QScrollBar(orientation, parent) {}

void ScrollBar::paintEvent(QPaintEvent *event)
{
    QScrollBar::paintEvent(event);
    if (!hasFocus())
        return;
    // A frame in the theme's selection colour, drawn whenever the bar has the focus: the window
    // gives it the focus when it opens, before any key is pressed. The style's own focus frame is
    // a faint tint that scroll bars do not even ask for.
    QPainter painter(this);
    const int inset = FocusMarkWidth / 2;
    painter.setPen(QPen(palette().color(QPalette::Highlight), FocusMarkWidth));
    painter.drawRect(rect().adjusted(inset, inset, -inset, -inset));
}
