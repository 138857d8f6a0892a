#include "sim/simsensorvalues.h"

#include "sim/simbytes.h"

#include <QtMath>

namespace {

constexpr qint64 Day = 86400;
constexpr qint64 SampleStep = 300;

// Deterministic jitter in [-1, 1] that changes once a minute.
double jitter(int input, int position, qint64 t)
{
    quint64 x = quint64(t / 60) * 0x9E3779B97F4A7C15ULL + quint64(input * 16 + position + 1) * 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 31;
    x *= 0x94D049BB133111EBULL;
    x ^= x >> 29;
    return double(x % 20001) / 10000.0 - 1.0;
}

double dailyWave(int input, qint64 t)
{
    const double phase = 2.0 * M_PI * double((t + input * 3600) % Day) / double(Day);
    return qSin(phase);
}

} // namespace

namespace SimSensorValues {

bool isMeasuring(int type)
{
    return type == 1 || type == 2 || type == 3 || type == 5;
}

float reading(int type, int input, int position, qint64 t)
{
    const double wave = dailyWave(input, t);
    const double noise = jitter(input, position, t);
    const bool temperature = type == 1 || (type == 2 && position == 1);
    if (temperature)
        return float(24.0 + 1.7 * wave + 0.2 * noise);     // 22..26 °C
    if (type == 2)
        return float(60.0 - 8.0 * wave + 1.5 * noise);     // 50..70 %
    if (type == 3)
        return (t / 60 + input * 37) % 180 < 12 ? 1.0f : 0.0f; // open a few minutes every 3 hours
    if (type == 5)
        return float(qMax(0.0, 1500.0 + 1200.0 * wave + 25.0 * noise)); // millivolts
    return 0.0f;
}

quint32 statusWord(int type, int input, int position, qint64 t)
{
    const float value = reading(type, input, position, t);
    return type == 3 ? quint32(value) : SimBytes::floatBits(value);
}

Span span(int type, int input, int position, qint64 from, qint64 to)
{
    Span out;
    int samples = 0;
    double sum = 0;
    for (qint64 t = to; t > from && samples < 64; t -= SampleStep) {
        const float v = reading(type, input, position, t);
        out.min = samples == 0 ? v : qMin(out.min, v);
        out.max = samples == 0 ? v : qMax(out.max, v);
        sum += v;
        ++samples;
    }
    if (samples == 0) {
        out.min = out.max = reading(type, input, position, to);
        sum = out.min;
        samples = 1;
    }
    out.avg = float(sum / samples);
    return out;
}

} // namespace SimSensorValues
