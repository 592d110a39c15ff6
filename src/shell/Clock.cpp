#include "shell/Clock.h"

namespace {

class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace

double Clock::timer() const
{
    return now().time().msecsSinceStartOfDay() / 1000.0;
}

Clock &Clock::platformInstance()
{
    static SystemClock systemClock;
    return systemClock;
}
