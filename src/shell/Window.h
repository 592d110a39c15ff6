#pragma once

#include <QCursor>
#include <QRect>
#include <QWidget>

#include <optional>

// A top-level window of the program with its pointer state (MousePointer): 0 the default arrow,
// 11 the hourglass while a generation runs, 99 the custom pointer whose picture is MouseIcon.
// The window's pointer governs the pointer shown over the window and the controls that do not
// choose their own (the command buttons among them).
class QAbstractButton;
class QPushButton;

// Window design lengths are in twips; 15 twips make one logical pixel.
QRect twips(int left, int top, int width, int height);
// The design's lettering: Arial, bold, at the given size.
QFont designFont(qreal pointSize);
// A caption as it reads, without the "&" that marks its Alt letter.
QString withoutMnemonic(const QString &caption);

class Window : public QWidget
{
    Q_OBJECT
public:
    enum Pointer { Default = 0, Hourglass = 11, Custom = 99 };

    explicit Window(QWidget *parent = nullptr);

    int MousePointer() const { return mMousePointer; }
    void setMousePointer(int pointer);

    // The picture of the custom pointer; without one the custom pointer is a pointing hand.
    void setMouseIcon(const QCursor &cursor);
    bool hasMouseIcon() const { return mMouseIcon.has_value(); }

    // Hover feedback: pointer moves over a command button ask for the custom pointer, moves over
    // the window's background or a frame for the default arrow; neither changes the hourglass.
    void hoverButton();
    void hoverBackground();

protected:
    // A fixed-size window with a client area of the given size in twips, white, in the design's
    // 9-point lettering, without a maximise button, placed by placeOnScreen().
    void setDesign(int clientWidthTwips, int clientHeightTwips);
    // Centres the window on its screen's available area when it fits there with the window
    // manager's frame, and otherwise puts it at the area's top-left corner (on a HiDPI screen the
    // design can be larger than the screen).
    void placeOnScreen();
    // How much larger than the available area the window is with its frame, on each axis; zero
    // on an axis where it fits.
    QSize excessOverScreen() const;
    // A command button of the design: Arial 11.25 pt bold on white, with the hover feedback; Enter
    // presses it when it has the focus.
    QPushButton *createPushButton(QWidget *parent, const QString &name, const QString &caption, const QRect &rect);
    // Keys that press the button as a click does (nothing while it is disabled) while this window
    // is active; its tooltip names the first of them.
    void addShortcut(const QList<QKeySequence> &keys, QAbstractButton *button);
    // The Tab key visits the controls in this order.
    void setFocusOrder(const QList<QWidget *> &order);

    // Routes pointer moves over these widgets to hoverButton() / hoverBackground().
    void watchButtonHover(QWidget *button);
    void watchBackgroundHover(QWidget *background);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyCursor();

    int mMousePointer = Default;
    std::optional<QCursor> mMouseIcon;
};
