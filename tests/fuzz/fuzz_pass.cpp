// The spectrum pass, one to three passes per input from the program's start:
// any FftLength samples, any window kind, any averaging factor and offset
// multiplier. Never a read past those samples; an unknown kind changes
// nothing; with the settings the program can hold (a factor in (0, 1], a
// multiplier >= 0) every magnitude and every averaged value is finite, >= 0,
// within what the samples allow, and each average lies between the old value
// and the new magnitude; the bins from BinCount on stay 0.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "display/sliders.h"
#include "dsp/fast_pass.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

struct Arrays {
    std::vector<float> real, imag, spectrum;
};

Arrays Snapshot()
{
    return Arrays{{dsp::FftReal, dsp::FftReal + dsp::FftLength},
                  {dsp::FftImag, dsp::FftImag + dsp::FftLength},
                  {dsp::Spectrum, dsp::Spectrum + dsp::FftLength}};
}

bool Unchanged(const std::vector<float>& before, const float* now)
{
    return std::memcmp(before.data(), now, before.size() * sizeof(float)) == 0;
}

// Either what the sliders set, or anything at all.
void ConsumeSettings(FuzzedDataProvider& input)
{
    if (input.ConsumeBool()) {
        dsp::AveragingFactor =
            display::AveragesSettingAt(input.ConsumeIntegralInRange<int32_t>(0, 100)).factor;
        dsp::OffsetMultiplier =
            display::OffsetSettingAt(input.ConsumeIntegralInRange<int32_t>(0, 10)).multiplier;
    } else {
        dsp::AveragingFactor = fuzz::ConsumeAnyFloat(input);
        dsp::OffsetMultiplier = input.ConsumeIntegral<int32_t>();
    }
}

int32_t ConsumeKind(FuzzedDataProvider& input)
{
    if (input.ConsumeBool())
        return input.ConsumeIntegralInRange<int32_t>(0, dsp::WindowKindCount - 1);
    return input.ConsumeIntegral<int32_t>();
}

bool SettingsTheProgramCanHold()
{
    return dsp::AveragingFactor > 0.0f && dsp::AveragingFactor <= 1.0f &&
           dsp::OffsetMultiplier >= 0;
}

void CheckPass(const int16_t* samples, int32_t kind, const Arrays& before)
{
    double sum = 0.0, absoluteSum = 0.0;
    for (int n = 0; n < dsp::FftLength; ++n) {
        sum += samples[n];
        absoluteSum += std::fabs(static_cast<double>(samples[n]));
    }
    // No coefficient exceeds 1 and no gain the largest; the rounding of the
    // transform in singles adds well under a per mille.
    const double gain = *std::max_element(dsp::WindowGain, dsp::WindowGain + dsp::WindowKindCount);
    const double scale = dsp::OffsetMultiplier / 100.0;
    const double bound = absoluteSum * gain * scale * 1.001 + 1e-3;
    for (int k = 0; k < dsp::BinCount; ++k) {
        const float m = dsp::FftReal[k];
        const float s = dsp::Spectrum[k];
        FUZZ_CHECK(std::isfinite(m) && m >= 0.0f && m <= bound,
                   "kind %d bin %d: magnitude %g, bound %g", kind, k, m, bound);
        FUZZ_CHECK(std::isfinite(s) && s >= 0.0f, "kind %d bin %d: average %g", kind, k, s);
        const double low = std::min<double>(before.spectrum[k], m);
        const double high = std::max<double>(before.spectrum[k], m);
        FUZZ_CHECK(s >= low * (1 - 1e-6) - 1e-30 && s <= high * (1 + 1e-6) + 1e-30,
                   "kind %d bin %d: average %g outside %g .. %g", kind, k, s, low, high);
    }
    // Bin 0 of the rectangular window is the plain sum of the samples.
    if (kind == dsp::KindRectangular) {
        const double expected = std::fabs(sum) * scale;
        FUZZ_CHECK(std::fabs(dsp::FftReal[0] - expected) <= absoluteSum * scale * 1e-5 + 1e-3,
                   "bin 0 reads %g, the samples sum to %g", dsp::FftReal[0], expected);
    }
}

// The state after start-up and main window initialisation. Building the
// tables costs 1.5 ms, so after the first input a silent pass at factor 1
// clears the average instead, unless an earlier input left something in it
// that such a pass cannot clear (an infinity or a NaN).
void Restart()
{
    static bool started = false;
    static const int16_t silence[dsp::FftLength] = {};
    if (started) {
        dsp::AveragingFactor = 1.0f;
        dsp::OffsetMultiplier = 1;
        dsp::RunPass(silence, dsp::KindRectangular);
        bool clear = true;
        for (int k = 0; k < dsp::FftLength; ++k)
            clear = clear && dsp::Spectrum[k] == 0.0f;
        if (clear)
            return;
    }
    dsp::ResetState();
    dsp::StartUp();
    dsp::InitialiseSettings();
    started = true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    Restart();
    bool sound = true;  // every pass so far ran with settings the program can hold
    const int passes = input.ConsumeIntegralInRange(1, 3);
    for (int pass = 0; pass < passes; ++pass) {
        const int32_t kind = ConsumeKind(input);
        ConsumeSettings(input);
        const auto samples = fuzz::ConsumeArray<int16_t>(input, dsp::FftLength);
        const Arrays before = Snapshot();
        dsp::RunPass(samples.get(), kind);

        FUZZ_CHECK(dsp::WindowKind == kind, "WindowKind %d after a pass of kind %d",
                   dsp::WindowKind, kind);
        for (int k = dsp::BinCount; k < dsp::FftLength; ++k)
            FUZZ_CHECK(dsp::Spectrum[k] == 0.0f, "bin %d beyond the last holds %g", k,
                       dsp::Spectrum[k]);
        if (!dsp::IsWindowKind(kind)) {
            FUZZ_CHECK(Unchanged(before.real, dsp::FftReal) &&
                           Unchanged(before.imag, dsp::FftImag) &&
                           Unchanged(before.spectrum, dsp::Spectrum),
                       "a pass of kind %d changed the arrays", kind);
            continue;
        }
        sound = sound && SettingsTheProgramCanHold();
        if (sound)
            CheckPass(samples.get(), kind, before);
    }
    return 0;
}
