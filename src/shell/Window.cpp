#include "shell/Window.h"

#include "shell/BackColors.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

namespace {
const char *const HoverRole = "mistlefoldHoverRole";
enum HoverRole { ButtonHover = 1, BackgroundHover = 2 };
// What a window manager's frame adds around a window: its borders, and the title bar above.
constexpr QSize FrameAllowance(8, 32);

// A screen reader announces a window of the program as a window (a frame), not as a filler.
QAccessibleInterface *windowAccessible(const QString &, QObject *object)
{
    auto *window = qobject_cast<Window *>(object);
    if (!window || !window->isWindow())
        return nullptr;
    return new QAccessibleWidget(window, QAccessible::Window);
}
} // namespace

QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

QFont designFont(qreal pointSize)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(pointSize);
    font.setBold(true);
    return font;
}

QString withoutMnemonic(const QString &caption)
{
    return QString(caption).remove(QLatin1Char('&'));
}

Window::Window(QWidget *parent) : QWidget(parent)
{
    QAccessible::installFactory(windowAccessible); // once: a factory installed already is kept
}

void Window::setDesign(int clientWidthTwips, int clientHeightTwips)
{
    setFixedSize(clientWidthTwips / 15, clientHeightTwips / 15);
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(designFont(9));
    setBackColor(this, Qt::white);
    placeOnScreen();
}

QSize Window::excessOverScreen() const
{
    const QScreen *screen = this->screen();
    if (!screen)
        return QSize(0, 0);
    const QSize room = screen->availableGeometry().size() - FrameAllowance;
    return QSize(qMax(0, width() - room.width()), qMax(0, height() - room.height()));
}

void Window::placeOnScreen()
{
    const QScreen *screen = this->screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    if (excessOverScreen() == QSize(0, 0))
        move(available.center() - rect().center());
    else
        move(available.topLeft()); // the title bar stays on screen, where the window can be moved by
}

QPushButton *Window::createPushButton(QWidget *parent, const QString &name, const QString &caption, const QRect &rect)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFont(designFont(11.25));
    button->setGeometry(rect);
    setButtonFaceColor(button, Qt::white);
    watchButtonHover(button);
    return button;
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

void Window::addShortcut(const QList<QKeySequence> &keys, QAbstractButton *button)
{
    auto *shortcut = new QShortcut(this);
    shortcut->setKeys(keys);
    connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click);
    const QString name = button->accessibleName().isEmpty() ? withoutMnemonic(button->text())
                                                            : button->accessibleName();
    button->setToolTip(QStringLiteral("%1 (%2)").arg(name, keys.constFirst().toString(QKeySequence::NativeText)));
}

void Window::setFocusOrder(const QList<QWidget *> &order)
{
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
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
    // Enter and keypad Enter press a focused command button, as Space does.
    if (event->type() == QEvent::KeyPress && watched->property(HoverRole).toInt() == ButtonHover) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            auto *button = qobject_cast<QAbstractButton *>(watched);
            if (button && !key->isAutoRepeat())
                button->click();
            return true;
        }
    }
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
