#pragma once

#include "shell/Replaceable.h"

#include <QDateTime>

// The clock the program reads, replaceable by tests.
class Clock : public Replaceable<Clock>
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

    // Seconds since midnight, with fraction, as a timer reading.
    double timer() const;

private:
    friend class Replaceable<Clock>;
    static Clock &platformInstance();
};
