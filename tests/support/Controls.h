#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QWidget>

// The control of a window with this name (its objectName, the name the window design gives it).
// A control that is missing, or of another type, ends the test program at once with a message
// naming what was looked for: a test must never go on against the wrong widget.
template <typename T = QWidget>
T *control(const QObject &window, const QString &name)
{
    T *found = window.findChild<T *>(name);
    if (!found)
        qFatal("%s has no %s named \"%s\"", window.metaObject()->className(), T::staticMetaObject.className(),
               qPrintable(name));
    return found;
}
