#pragma once

#include <QScrollBar>

// A scroll bar that shows when it has the keyboard focus. The style draws no focus mark on scroll
// bars, yet the preview's bars take the focus first and move the page with the arrow and page keys.
class ScrollBar : public QScrollBar
{
    Q_OBJECT
public:
    ScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
