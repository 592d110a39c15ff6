#pragma once

class QColor;
class QWidget;

// The system colour of button faces.
QColor buttonFaceColor();

// Gives a widget a solid background of the given colour.
void setBackColor(QWidget *widget, const QColor &color);

// Gives the window and its option buttons, check boxes, frames and labels the button-face
// background. Picture boxes and other controls keep theirs.
void NormalizeBackColors(QWidget *window);
