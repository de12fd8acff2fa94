// The pass against a direct DFT in long double of the same windowed samples,
// and a fixed stream whose result must be bit-identical on every target.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "dsp/fast_pass.h"
#include "tests/dsp/dsp_test_support.h"

namespace {

using dsptest::DspFixture;
using dsptest::Lcg;
using dsptest::NoiseBlock;

struct Dft {
    std::vector<long double> re, im;
};

// X[k] = sum x[n] e^(+2 pi i n k / 1024), every k, from exact phase indices.
Dft DirectDft(const std::vector<float>& x)
{
    const long double pi = 3.14159265358979323846264338327950288L;
    std::vector<long double> c(dsp::FftLength), s(dsp::FftLength);
    for (int m = 0; m < dsp::FftLength; ++m) {
        c[m] = std::cos(2.0L * pi * m / dsp::FftLength);
        s[m] = std::sin(2.0L * pi * m / dsp::FftLength);
    }
    Dft out{std::vector<long double>(dsp::FftLength), std::vector<long double>(dsp::FftLength)};
    for (int k = 0; k < dsp::FftLength; ++k) {
        long double re = 0.0L, im = 0.0L;
        for (int n = 0; n < dsp::FftLength; ++n) {
            const int m = (n * k) & (dsp::FftLength - 1);
            re += x[n] * c[m];
            im += x[n] * s[m];
        }
        out.re[k] = re;
        out.im[k] = im;
    }
    return out;
}

// The windowed samples as the pass stores them: s * coefficient * gain,
// rounded to single once.
std::vector<float> Windowed(const std::vector<int16_t>& block, int kind)
{
    const float* table = dsp::WindowTableFor(kind);
    std::vector<float> x(dsp::FftLength);
    for (int n = 0; n < dsp::FftLength; ++n) {
        x[n] = table ? static_cast<float>(static_cast<double>(block[n]) * table[n] * dsp::WindowGain[kind])
                     : static_cast<float>(block[n]);
    }
    return x;
}

// A signal with a strong peak and a weak floor, so that errors relative to
// the peak are tested on small bins too.
std::vector<int16_t> ToneAndNoise(Lcg& lcg, int bin)
{
    std::vector<int16_t> block = NoiseBlock(lcg, 200);
    const long double pi = 3.14159265358979323846264338327950288L;
    for (int n = 0; n < dsp::FftLength; ++n) {
        const long double v =
            20000.0L * std::cos(2.0L * pi * ((bin * n) & (dsp::FftLength - 1)) / dsp::FftLength + 0.3L);
        block[n] = static_cast<int16_t>(block[n] + std::lround(static_cast<double>(v)));
    }
    return block;
}

TEST_F(DspFixture, MagnitudesAgreeWithDirectDft)
{
    Lcg lcg(2024);
    const int offsets[] = {1, 10, 316};
    double worst = 0.0;
    for (int kind = 0; kind < dsp::WindowKindCount; ++kind) {
        for (int b = 0; b < 4; ++b) {
            const std::vector<int16_t> block =
                b == 3 ? ToneAndNoise(lcg, 37 + 100 * kind) : NoiseBlock(lcg, 32767 >> (5 * b));
            const int offset = offsets[b % 3];
            dsp::OffsetMultiplier = offset;
            dsp::RunPass(block.data(), kind);
            const Dft dft = DirectDft(Windowed(block, kind));

            long double peak = 0.0L;
            std::vector<long double> mag(dsp::FftLength);
            for (int k = 0; k < dsp::FftLength; ++k) {
                mag[k] = std::sqrt(dft.re[k] * dft.re[k] + dft.im[k] * dft.im[k]) / 100.0L * offset;
                if (mag[k] > peak)
                    peak = mag[k];
            }
            ASSERT_GT(peak, 0.0L);
            const double tolerance = static_cast<double>(peak) * 2e-6;
            for (int k = 0; k < dsp::BinCount; ++k) {
                const double error = std::fabs(dsp::FftReal[k] - static_cast<double>(mag[k]));
                worst = std::max(worst, error / static_cast<double>(peak));
                ASSERT_LE(error, tolerance) << "kind " << kind << " block " << b << " bin " << k;
                ASSERT_EQ(dsp::Spectrum[k], dsp::FftReal[k]);
            }
            // The raw transform is left behind where the magnitudes did not
            // overwrite it, with the positive exponent's sign of the imaginary part.
            const double raw = static_cast<double>(peak) * 100.0 / offset * 2e-6;
            for (int k = dsp::BinCount; k < dsp::FftLength; ++k)
                ASSERT_NEAR(dsp::FftReal[k], static_cast<double>(dft.re[k]), raw) << k;
            for (int k = 0; k < dsp::FftLength; ++k)
                ASSERT_NEAR(dsp::FftImag[k], static_cast<double>(dft.im[k]), raw) << k;
        }
    }
    RecordProperty("worst_relative_error", std::to_string(worst));
    std::printf("worst error relative to the peak: %.3g\n", worst);
}

// FNV-1a, 64 bits, over raw bytes.
uint64_t Fnv1a(const void* data, size_t size, uint64_t hash = 14695981039346656037ull)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        hash ^= p[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

// The tables are built once from cosines and exponentials; their bits must
// not depend on the target's maths library.
TEST_F(DspFixture, TablesIdenticalOnEveryTarget)
{
    uint64_t h = Fnv1a(dsp::BitReverseTable, sizeof dsp::BitReverseTable);
    for (int32_t kind = 0; kind < dsp::WindowKindCount; ++kind) {
        if (const float* table = dsp::WindowTableFor(kind))
            h = Fnv1a(table, dsp::FftLength * sizeof *table, h);
    }
    h = Fnv1a(&dsp::TwoPi, sizeof dsp::TwoPi, h);
    EXPECT_EQ(h, 0x73d252cc7c0ba1e0ull) << std::hex << "0x" << h;
}

// A fixed stream through every kind, averaging and offset: the spectrum the
// user sees must be the same bits natively and in the Windows build, from
// the reference pass and from every kernel of the fast one.
uint64_t StreamHash(void (*run)(const int16_t*, int32_t), dsp::PassKernel kernel)
{
    dsp::ResetState();
    dsp::StartUp();
    dsp::InitialiseSettings();
    dsp::UsePassKernel(kernel);
    Lcg lcg(0x5eed);
    const float alphas[] = {1.0f, 0.5f, 0.125f, 1.0f / 1024.0f};
    const int offsets[] = {1, 3, 10, 316, 100000};
    for (int pass = 0; pass < 120; ++pass) {
        dsp::AveragingFactor = alphas[(pass / dsp::WindowKindCount) % 4];
        dsp::OffsetMultiplier = offsets[(pass / 24) % 5];
        const int32_t amplitude = 32767 >> (pass % 11);
        run(NoiseBlock(lcg, amplitude).data(), pass % dsp::WindowKindCount);
    }
    uint64_t h = Fnv1a(dsp::Spectrum, sizeof dsp::Spectrum);
    h = Fnv1a(dsp::FftReal, sizeof dsp::FftReal, h);
    h = Fnv1a(dsp::FftImag, sizeof dsp::FftImag, h);
    return h;
}

TEST_F(DspFixture, StreamIdenticalOnEveryTarget)
{
    const uint64_t pinned = 0x3cc91666a5fd8ad6ull;
    const dsp::PassKernel chosen = dsp::ActivePassKernel();
    uint64_t h = StreamHash(dsp::RunPassReference, chosen);
    EXPECT_EQ(h, pinned) << "reference " << std::hex << "0x" << h;
    for (dsp::PassKernel kernel : {dsp::PassKernel::Sse2, dsp::PassKernel::Avx}) {
        if (kernel == dsp::PassKernel::Avx && chosen != kernel)
            continue;  // this processor has no AVX; StartUp chose SSE2
        h = StreamHash(dsp::RunPass, kernel);
        EXPECT_EQ(dsp::ActivePassKernel(), kernel);
        EXPECT_EQ(h, pinned) << "kernel " << static_cast<int>(kernel) << std::hex << " 0x" << h;
    }
}

}  // namespace
