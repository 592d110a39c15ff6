#pragma once

#include <QCursor>
#include <QWidget>

#include <optional>

// A top-level window of the program with its pointer state (MousePointer): 0 the default arrow,
// 11 the hourglass while a generation runs, 99 the custom pointer whose picture is MouseIcon.
// The window's pointer governs the pointer shown over the window and the controls that do not
// choose their own (the command buttons among them).
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
    // Routes pointer moves over these widgets to hoverButton() / hoverBackground().
    void watchButtonHover(QWidget *button);
    void watchBackgroundHover(QWidget *background);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyCursor();

    int mMousePointer = Default;
    std::optional<QCursor> mMouseIcon;
};
