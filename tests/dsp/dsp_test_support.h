// Shared by the dsp tests: a fixture that starts the module as the program
// does, a deterministic sample generator and on-bin test signals.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "dsp/fft.h"
#include "dsp/sizes.h"

namespace dsptest {

// Module state as after start-up and main window initialisation.
class DspFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        dsp::ResetState();
        dsp::StartUp();
        dsp::InitialiseSettings();
    }
    void TearDown() override { dsp::ResetState(); }
};

// 64-bit LCG (Knuth's MMIX constants): the same numbers on every target,
// unlike the distributions of <random>.
struct Lcg {
    uint64_t state;
    explicit Lcg(uint64_t seed) : state(seed) {}
    uint32_t Next()
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 32);
    }
    // Uniform in [-amplitude, amplitude] for amplitude <= 32767.
    int16_t Sample(int32_t amplitude)
    {
        const uint32_t span = static_cast<uint32_t>(2 * amplitude + 1);
        return static_cast<int16_t>(static_cast<int32_t>(Next() % span) - amplitude);
    }
};

// A capture buffer: CaptureSamples samples, of which the pass reads the first FftLength.
inline std::vector<int16_t> NoiseBlock(Lcg& lcg, int32_t amplitude)
{
    std::vector<int16_t> block(dsp::CaptureSamples);
    for (int16_t& s : block)
        s = lcg.Sample(amplitude);
    return block;
}

inline std::vector<int16_t> ConstantBlock(int16_t value)
{
    return std::vector<int16_t>(dsp::CaptureSamples, value);
}

// peak * sin(2 pi bin n / FftLength), rounded to integers.
inline std::vector<int16_t> SineBlock(int bin, double peak)
{
    const long double pi = 3.14159265358979323846264338327950288L;
    std::vector<int16_t> block(dsp::CaptureSamples);
    for (int n = 0; n < dsp::CaptureSamples; ++n) {
        const int phase = (bin * n) % dsp::FftLength;
        const long double v = peak * std::sin(2.0L * pi * phase / dsp::FftLength);
        block[n] = static_cast<int16_t>(std::lround(static_cast<double>(v)));
    }
    return block;
}

}  // namespace dsptest
