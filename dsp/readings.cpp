#include "dsp/readings.h"

#include <limits>

#include "dsp/numeric.h"
#include "dsp/sizes.h"

namespace dsp {

double BinFrequency(int32_t bin, int32_t sampleRate)
{
    return static_cast<double>(bin) * sampleRate / FftLength;
}

double FrequencyBin(double frequency, int32_t sampleRate)
{
    if (sampleRate == 0)
        return 0.0;
    return FftLength * frequency / sampleRate;
}

double LevelInDecibels(double amplitude, int32_t reference)
{
    if (amplitude == 0.0)
        return -std::numeric_limits<double>::infinity();
    return 20.0 * Log10(amplitude / reference);
}

float LevelInDecibelsSingle(double amplitude, int32_t reference)
{
    return static_cast<float>(LevelInDecibels(amplitude, reference));
}

}  // namespace dsp
