#include "dsp/numeric.h"

#include <cmath>
#include <cstdio>

namespace dsp {

int32_t Nearest(double value)
{
    // nearbyint follows the current rounding mode, which is round-to-nearest-even.
    return static_cast<int32_t>(std::nearbyint(value));
}

int32_t Fix(double value)
{
    return static_cast<int32_t>(std::trunc(value));
}

int32_t Int(double value)
{
    return static_cast<int32_t>(std::floor(value));
}

double LogE(double value)
{
    if (!(value > 0.0) || std::isinf(value))
        return 0.0;
    return std::log(value);
}

double Log10(double value)
{
    if (!(value > 0.0) || std::isinf(value))
        return 0.0;
    return std::log10(value);
}

std::string FormatMask(double value, int decimals)
{
    // printf spells NaN and the infinities in letters; a mask shows digits
    // only, and these values read as zero as their logarithms do.
    if (!std::isfinite(value))
        value = 0.0;
    // printf writes "-0.0" for negative zero and for small negatives that round
    // to zero; a "-" belongs only to values below zero, so -0.0 reads "0.0".
    if (value == 0.0)
        value = 0.0;
    char text[352];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string FormatLevel(double level, int decimals)
{
    if (std::isinf(level) && level < 0.0)
        return "-inf";
    return FormatMask(level, decimals);
}

}  // namespace dsp
