#pragma once

class QColor;
class QWidget;

// The system colour of button faces.
QColor buttonFaceColor();

// The text colour to draw on the background: the theme's own text colour where it reads well
// there, otherwise black on a light and white on a dark background. A window that fixes a
// background keeps its lettering readable under any palette, dark ones included.
QColor readableTextColor(const QColor &background, const QColor &themeText);

// How much two colours differ in brightness, as the ratio of their relative luminances (1 for
// equal brightness, 21 for black on white). Text needs at least 4.5 to be read comfortably.
double contrastRatio(const QColor &first, const QColor &second);

// Gives a widget a solid background of the given colour, and text drawn on it a colour readable
// there.
void setBackColor(QWidget *widget, const QColor &color);

// Gives a button a face of the given colour, and its caption a colour readable there.
void setButtonFaceColor(QWidget *button, const QColor &color);

// Gives the window and its option buttons, check boxes, frames and labels the button-face
// background. Picture boxes and other controls keep theirs.
void NormalizeBackColors(QWidget *window);
