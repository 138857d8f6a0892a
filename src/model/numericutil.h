#pragma once

#include <QtGlobal>

#include <cmath>
#include <cstring>
#include <limits>

// Conversions that stay defined for any input (NaN, huge values) coming from files or the JSON
// form of the state.

inline float floatFromBits(quint32 bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

inline quint32 bitsFromFloat(float f)
{
    quint32 bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// Truncation toward zero, saturating; NaN gives 0.
inline qint64 truncateToInt64(double d)
{
    if (std::isnan(d))
        return 0;
    constexpr double limit = 9.0e18;
    if (d >= limit)
        return qint64(limit);
    if (d <= -limit)
        return -qint64(limit);
    return qint64(d);
}

// Single precision of a double; finite values beyond the float range become infinities (a plain
// conversion of them is undefined).
inline float toSinglePrecision(double d)
{
    if (std::isfinite(d) && std::fabs(d) > double(std::numeric_limits<float>::max()))
        return d > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    return float(d);
}
