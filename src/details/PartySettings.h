#pragma once

#include <QDateTime>
#include <QString>

class QDateTimeEdit;
class QWidget;

// The party details' keys in the settings store, read and written for the main window. A store
// that cannot be read or written must not end the program, nor interrupt every keystroke: it is
// said once. Before the window is shown that is a message to dismiss; later it must not take the
// focus, or the next key typed would go to it instead of the field.
class PartySettings
{
public:
    explicit PartySettings(const QWidget &window) : mWindow(window) {}

    // The settings store's value of key, or defaultValue when the store cannot be read.
    QString stored(const QString &key, const QString &defaultValue);
    // Stores the value; a store that cannot be written is reported once.
    void store(const QString &key, const QString &text);
    // Sets a picker to its restored value and stores that value alone.
    void restorePicker(QDateTimeEdit *picker, const QString &key, const QDateTime &value);
    // Says at once when the store cannot be written, rather than at the first keystroke.
    void reportWriteProblem();

private:
    void reportProblem(const QString &text);

    const QWidget &mWindow;
    bool mProblemReported = false;
};
