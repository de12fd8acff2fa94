#include "dsp/fft.h"

#include <cmath>
#include <cstring>

#include "dsp/fast_pass.h"
#include "dsp/portable_math.h"

namespace dsp {

int32_t BitReverseTable[FftLength] = {};
float FftReal[FftLength] = {};
float FftImag[FftLength] = {};
float Spectrum[FftLength] = {};
float AveragingFactor = 0.0f;
int32_t OffsetMultiplier = 0;
int32_t ReferenceLevel = 0;
int32_t WindowKind = 0;
bool PassHasRun = false;

void StageRotation(int32_t span, float& wpr, float& wpi)
{
    const float theta = static_cast<float>(static_cast<double>(TwoPi) / span);
    const float h = static_cast<float>(PortableSin(0.5 * theta));
    wpr = static_cast<float>(2.0 * h * h);
    wpi = static_cast<float>(PortableSin(theta));
}

void AdvanceTwiddle(float& wr, float& wi, float wpr, float wpi)
{
    const float temp = static_cast<float>(static_cast<double>(wr) * wpr
                                          + static_cast<double>(wi) * wpi);
    wi = static_cast<float>(wi - (static_cast<double>(wi) * wpr - static_cast<double>(wr) * wpi));
    wr = static_cast<float>(static_cast<double>(wr) - temp);
}

namespace {

// Windowed, bit-reversed load; false (and nothing stored) for an unknown kind.
bool LoadWindowed(const int16_t* samples, int32_t kind)
{
    if (!IsWindowKind(kind))
        return false;
    const float* table = WindowTableFor(kind);
    const double gain = WindowGain[kind];
    for (int32_t n = 0; n < FftLength; ++n) {
        const int32_t j = BitReverseTable[n];
        const double s = samples[n];
        if (table)
            FftReal[j] = static_cast<float>(s * table[n] * gain);
        else
            FftReal[j] = static_cast<float>(s);
        FftImag[n] = 0.0f;
    }
    return true;
}

// Decimation in time over the bit-reversed arrays, natural order out. The
// twiddle factor is advanced by a rotation recurrence, so each stage costs two
// sines; every value is held as a single between operations.
void Transform()
{
    int32_t half = 1;
    int32_t span = 2;
    while (span <= FftLength) {
        float wpr, wpi;
        StageRotation(span, wpr, wpi);
        for (int32_t g = 0; g < FftLength; g += span) {
            float wr = 1.0f;
            float wi = 0.0f;
            for (int32_t k = 0; k < half; ++k) {
                const int32_t i = g + k;
                const int32_t ip = i + half;
                const double re = FftReal[ip];
                const double im = FftImag[ip];
                const float tr = static_cast<float>(re * wr - im * wi);
                const float ti = static_cast<float>(re * wi + im * wr);
                FftReal[ip] = static_cast<float>(static_cast<double>(FftReal[i]) - tr);
                FftImag[ip] = static_cast<float>(static_cast<double>(FftImag[i]) - ti);
                FftReal[i] = static_cast<float>(static_cast<double>(FftReal[i]) + tr);
                FftImag[i] = static_cast<float>(static_cast<double>(FftImag[i]) + ti);
                AdvanceTwiddle(wr, wi, wpr, wpi);
            }
        }
        half = span;
        span = 2 * span;
    }
}

// Scaled magnitudes of bins 0..512 into FftReal, folded into Spectrum.
void AverageMagnitudes()
{
    const double alpha = AveragingFactor;
    for (int32_t k = 0; k < BinCount; ++k) {
        const double re = FftReal[k];
        const double im = FftImag[k];
        FftReal[k] = static_cast<float>(std::sqrt(re * re + im * im) / MagnitudeDivisor
                                        * OffsetMultiplier);
        Spectrum[k] = static_cast<float>((1.0 - alpha) * Spectrum[k] + alpha * FftReal[k]);
    }
}

}  // namespace

int32_t BitReverse(int32_t value, int32_t bits)
{
    int32_t result = 0;
    for (int32_t b = 0; b < bits; ++b) {
        // Unsigned arithmetic: for a negative value with bits > 31 the
        // doubling would overflow a signed integer; the bits are the same.
        result = static_cast<int32_t>((static_cast<uint32_t>(value) & 1u)
                                      | (static_cast<uint32_t>(result) << 1));
        value /= 2;
    }
    return result;
}

void BuildBitReverseTable()
{
    for (int32_t n = 0; n < FftLength; ++n)
        BitReverseTable[n] = BitReverse(n, FftBits);
}

void RunPassReference(const int16_t* samples, int32_t kind)
{
    WindowKind = kind;
    if (!LoadWindowed(samples, kind))
        return;
    Transform();
    AverageMagnitudes();
    PassHasRun = true;
}

void StartUp(void (*yield)())
{
    std::memset(Spectrum, 0, sizeof Spectrum);
    TwoPi = static_cast<float>(8.0 * std::atan(1.0));
    AveragingFactor = 1.0f;
    YieldHook = yield;
    BuildBitReverseTable();
    BuildWindowTables();
    BuildPassTables();
}

void SetOffsetMultiplier(int32_t multiplier)
{
    OffsetMultiplier = multiplier;
}

void SetAveragingFactor(float factor)
{
    AveragingFactor = factor;
}

void InitialiseSettings()
{
    ReferenceLevel = StartingReferenceLevel;
    OffsetMultiplier = 1;
}

void ResetState()
{
    std::memset(BitReverseTable, 0, sizeof BitReverseTable);
    std::memset(FftReal, 0, sizeof FftReal);
    std::memset(FftImag, 0, sizeof FftImag);
    std::memset(Spectrum, 0, sizeof Spectrum);
    ClearWindowTables();
    TwoPi = 0.0f;
    AveragingFactor = 0.0f;
    OffsetMultiplier = 0;
    ReferenceLevel = 0;
    WindowKind = 0;
    PassHasRun = false;
}

}  // namespace dsp
