#include "shell/Clock.h"

namespace {

class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

SystemClock systemClock;
Clock *current = nullptr;

} // namespace

double Clock::timer() const
{
    return now().time().msecsSinceStartOfDay() / 1000.0;
}

Clock &Clock::instance()
{
    return current ? *current : systemClock;
}

void Clock::setInstance(Clock *clock)
{
    current = clock;
}
