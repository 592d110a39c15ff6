#pragma once

#include "shell/Replaceable.h"

#include <QString>

// Modal message boxes go through this seam so that tests read what was shown and script the
// answers instead of clicking.
class MessageBoxes : public Replaceable<MessageBoxes>
{
public:
    enum class Icon { None, Warning };
    enum class Buttons { Ok, YesNo };
    // The answers keep the values the rest of the program compares with.
    enum Answer { Ok = 1, Yes = 6, No = 7 };

    struct Message
    {
        QString title;
        QString text;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
    };

    virtual ~MessageBoxes() = default;

    // Shows the message modally and returns the button pressed.
    virtual int show(const Message &message) = 0;

    // Shows the message with an OK button and returns at once. The message does not take the
    // focus: keys the user types meanwhile go on reaching the window they were typed into.
    virtual void notify(const Message &message) = 0;

private:
    friend class Replaceable<MessageBoxes>;
    static MessageBoxes &platformInstance();
};
