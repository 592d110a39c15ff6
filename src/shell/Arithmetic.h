#pragma once

#include "shell/RuntimeError.h"

#include <QtGlobal>

#include <cmath>
#include <limits>

// The runtime's integer arithmetic: rounding to whole numbers and the 16- and 32-bit integers that
// hold the automation layer's values and the preview's scroll values, steps and sizes. A result
// that does not fit its integer, or a computation without a finite result, fails with the
// runtime's standard description.
namespace Arithmetic {

// x rounded towards minus infinity.
inline qint32 floorToInt32(double x)
{
    const double result = std::floor(x);
    if (!std::isfinite(result) || result < std::numeric_limits<qint32>::min()
        || result > std::numeric_limits<qint32>::max())
        raise(StandardError::Overflow);
    return static_cast<qint32>(result);
}

// x rounded to the nearest integer, ties to the even one (2.5 gives 2, 3.5 gives 4).
inline qint32 nearestToInt32(double x)
{
    const double result = std::nearbyint(x); // the default rounding mode rounds ties to even
    if (!std::isfinite(result) || result < std::numeric_limits<qint32>::min()
        || result > std::numeric_limits<qint32>::max())
        raise(StandardError::Overflow);
    return static_cast<qint32>(result);
}

// A whole number as a 16-bit integer.
inline qint16 toInt16(qint64 value)
{
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        raise(StandardError::Overflow);
    return static_cast<qint16>(value);
}

// x rounded to the nearest integer (ties to even) as a 16-bit integer.
inline qint16 nearestToInt16(double x)
{
    return toInt16(nearestToInt32(x));
}

// Product and negation in 16-bit integer arithmetic.
inline qint16 multiply16(qint16 a, qint16 b)
{
    return toInt16(qint64(a) * b);
}

inline qint16 negate16(qint16 a)
{
    return toInt16(-qint64(a));
}

// a / b; a zero divisor fails with "Division by zero".
inline double divide(double a, double b)
{
    if (b == 0.0)
        raise(StandardError::DivisionByZero);
    const double result = a / b;
    if (!std::isfinite(result))
        raise(StandardError::Overflow);
    return result;
}

} // namespace Arithmetic
