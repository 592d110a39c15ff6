#pragma once

#include "shell/Replaceable.h"

// The source of random numbers, replaceable by tests.
class RandomSource : public Replaceable<RandomSource>
{
public:
    virtual ~RandomSource() = default;

    // Mixes a seed (a timer reading) into the generator's state.
    virtual void randomize(double seed) = 0;
    // A uniform value in [0, 1).
    virtual double next() = 0;

    // An integer from 1 to n: the integer part of next() * n, plus 1.
    int draw(int n);

private:
    friend class Replaceable<RandomSource>;
    static RandomSource &platformInstance();
};
