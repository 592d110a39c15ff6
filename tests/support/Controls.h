#pragma once

#include <QAccessible>
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QWidget>

// The accessible objects at and below node that a screen reader has no name for, by role and
// object name.
inline QStringList unnamedAccessibles(QAccessibleInterface *node)
{
    QStringList unnamed;
    if (node->text(QAccessible::Name).trimmed().isEmpty())
        unnamed.append(QStringLiteral("%1 %2").arg(int(node->role())).arg(node->object()->objectName()));
    for (int i = 0; i < node->childCount(); ++i)
        unnamed += unnamedAccessibles(node->child(i));
    return unnamed;
}

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
