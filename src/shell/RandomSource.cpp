#include "shell/RandomSource.h"

#include <QRandomGenerator>

#include <cmath>

namespace {

// Seeded once from the system's entropy. A timer reading is mixed into the state rather than
// replacing it: reseeding from a clock that ticks slower than the draws would otherwise repeat
// the same value, and a fresh file name would then be eight copies of one digit.
class SystemRandom : public RandomSource
{
public:
    void randomize(double seed) override
    {
        mGenerator.seed(mGenerator.generate() ^ static_cast<quint32>(std::fmod(seed, 1.0) * 4294967295.0)
                        ^ static_cast<quint32>(seed));
    }
    double next() override { return mGenerator.generateDouble(); }

private:
    QRandomGenerator mGenerator{QRandomGenerator::securelySeeded()};
};

} // namespace

int RandomSource::draw(int n)
{
    return static_cast<int>(std::floor(next() * n)) + 1;
}

RandomSource &RandomSource::platformInstance()
{
    static SystemRandom systemRandom;
    return systemRandom;
}
