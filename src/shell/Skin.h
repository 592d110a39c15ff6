#pragma once

#include <QString>

class QWidget;

// Applies the skin file (a Qt style sheet) to a window. Throws RuntimeError when the file cannot
// be read or its style sheet cannot be parsed; the window then keeps no skin.
void applySkin(QWidget *window, const QString &skinPath);
