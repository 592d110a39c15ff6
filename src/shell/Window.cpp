#include "shell/Window.h"

#include <QEvent>

namespace {
const char *const HoverRole = "mistlefoldHoverRole";
enum HoverRole { ButtonHover = 1, BackgroundHover = 2 };
} // namespace

Window::Window(QWidget *parent)
    : QWidget(parent)
{
}

void Window::setMousePointer(int pointer)
{
    mMousePointer = pointer;
    applyCursor();
}

void Window::setMouseIcon(const QCursor &cursor)
{
    mMouseIcon = cursor;
    applyCursor();
}

void Window::hoverButton()
{
    if (mMousePointer != Hourglass)
        setMousePointer(Custom);
}

void Window::hoverBackground()
{
    if (mMousePointer != Hourglass)
        setMousePointer(Default);
}

void Window::watchButtonHover(QWidget *button)
{
    // Each control has its own pointer handler or none: a move over it never reaches the
    // handler of the frame or window behind it.
    button->setAttribute(Qt::WA_NoMousePropagation);
    button->setMouseTracking(true);
    button->setProperty(HoverRole, ButtonHover);
    button->installEventFilter(this);
}

void Window::watchBackgroundHover(QWidget *background)
{
    background->setAttribute(Qt::WA_NoMousePropagation);
    background->setMouseTracking(true);
    background->setProperty(HoverRole, BackgroundHover);
    background->installEventFilter(this);
}

bool Window::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        switch (watched->property(HoverRole).toInt()) {
        case ButtonHover: hoverButton(); break;
        case BackgroundHover: hoverBackground(); break;
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Window::applyCursor()
{
    switch (mMousePointer) {
    case Hourglass: setCursor(Qt::WaitCursor); break;
    case Custom: setCursor(mMouseIcon.value_or(QCursor(Qt::PointingHandCursor))); break;
    default: unsetCursor(); break;
    }
}
