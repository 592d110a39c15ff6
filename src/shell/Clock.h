#pragma once

#include <QDateTime>

// The clock the program reads, replaceable by tests.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

    // Seconds since midnight, with fraction, as a timer reading.
    double timer() const;

    static Clock &instance();
    static void setInstance(Clock *clock); // nullptr restores the system clock
};
