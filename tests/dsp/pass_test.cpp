// The pass on signals whose spectra are known in closed form, and the rules
// of the running average, the offset and the window kind.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "dsp/fast_pass.h"
#include "dsp/numeric.h"
#include "tests/dsp/dsp_test_support.h"

namespace {

using dsptest::ConstantBlock;
using dsptest::DspFixture;
using dsptest::Lcg;
using dsptest::NoiseBlock;
using dsptest::SineBlock;

struct Snapshot {
    std::vector<float> real, imag, spectrum;
    Snapshot()
        : real(dsp::FftReal, dsp::FftReal + dsp::FftLength),
          imag(dsp::FftImag, dsp::FftImag + dsp::FftLength),
          spectrum(dsp::Spectrum, dsp::Spectrum + dsp::FftLength) {}
};

bool SameBits(const std::vector<float>& a, const float* b)
{
    return std::memcmp(a.data(), b, a.size() * sizeof(float)) == 0;
}

double LevelDb(float amplitude)
{
    return 20.0 * dsp::Log10(amplitude / static_cast<double>(dsp::ReferenceLevel));
}

TEST(BitReverse, Examples)
{
    EXPECT_EQ(dsp::BitReverse(1, dsp::FftBits), 512);
    EXPECT_EQ(dsp::BitReverse(3, dsp::FftBits), 768);
    EXPECT_EQ(dsp::BitReverse(1023, dsp::FftBits), 1023);
    EXPECT_EQ(dsp::BitReverse(0, dsp::FftBits), 0);
    EXPECT_EQ(dsp::BitReverse(5, 0), 0);
    EXPECT_EQ(dsp::BitReverse(5, -3), 0);
    EXPECT_EQ(dsp::BitReverse(0b110, 3), 0b011);
    // Only the low bits count: 1025 has the low ten bits of 1.
    EXPECT_EQ(dsp::BitReverse(1025, dsp::FftBits), 512);
    // A negative value truncates toward zero when halved: -3 -> -1 -> 0.
    EXPECT_EQ(dsp::BitReverse(-3, 3), 0b110);
}

TEST_F(DspFixture, BitReverseTableIsAPermutationAndItsOwnInverse)
{
    std::vector<int> seen(dsp::FftLength, 0);
    for (int n = 0; n < dsp::FftLength; ++n) {
        const int j = dsp::BitReverseTable[n];
        ASSERT_GE(j, 0);
        ASSERT_LT(j, dsp::FftLength);
        ++seen[j];
        EXPECT_EQ(dsp::BitReverseTable[j], n);
    }
    for (int n = 0; n < dsp::FftLength; ++n)
        EXPECT_EQ(seen[n], 1) << n;
}

TEST_F(DspFixture, StartAndInitialisedValues)
{
    EXPECT_EQ(dsp::AveragingFactor, 1.0f);
    EXPECT_EQ(dsp::OffsetMultiplier, 1);
    EXPECT_EQ(dsp::ReferenceLevel, 84300);
    EXPECT_EQ(dsp::FftReal[0], 0.0f);
    for (int k = 0; k < dsp::FftLength; ++k)
        ASSERT_EQ(dsp::Spectrum[k], 0.0f);
}

TEST_F(DspFixture, SilenceGivesZeroEverywhere)
{
    Lcg lcg(7);
    dsp::RunPass(NoiseBlock(lcg, 20000).data(), dsp::KindHanning);
    ASSERT_GT(dsp::Spectrum[10], 0.0f);
    for (int kind = 0; kind < dsp::WindowKindCount; ++kind) {
        dsp::RunPass(ConstantBlock(0).data(), kind);
        for (int k = 0; k < dsp::BinCount; ++k) {
            ASSERT_EQ(dsp::FftReal[k], 0.0f) << "kind " << kind << " bin " << k;
            ASSERT_EQ(dsp::Spectrum[k], 0.0f) << "kind " << kind << " bin " << k;
        }
    }
}

TEST_F(DspFixture, ConstantRectangularIsOneBinExactly)
{
    dsp::RunPass(ConstantBlock(100).data(), dsp::KindRectangular);
    EXPECT_EQ(dsp::Spectrum[0], 1024.0f);
    for (int k = 1; k < dsp::BinCount; ++k)
        ASSERT_EQ(dsp::Spectrum[k], 0.0f) << k;
}

TEST_F(DspFixture, ConstantKeepsItsLevelUnderEveryWindow)
{
    for (int kind = 0; kind < dsp::WindowKindCount; ++kind) {
        dsp::RunPass(ConstantBlock(100).data(), kind);
        EXPECT_NEAR(dsp::Spectrum[0], 1024.0, 1.024) << "kind " << kind;
    }
}

// The periodic Hann window's transform is 1/2 at bin 0, 1/4 at bins +-1 and
// nothing else, so with the gain of 2 the constant shows as 1024, 512, 0...
TEST_F(DspFixture, HanningMainLobeOfAConstant)
{
    dsp::RunPass(ConstantBlock(100).data(), dsp::KindHanning);
    EXPECT_NEAR(dsp::Spectrum[0], 1024.0, 1e-3);
    EXPECT_NEAR(dsp::Spectrum[1], 512.0, 1e-3);
    for (int k = 2; k < dsp::BinCount; ++k)
        ASSERT_LT(dsp::Spectrum[k], 1e-3) << k;
}

TEST_F(DspFixture, OnBinSineReadsFiveTwelveTimesItsPeak)
{
    dsp::RunPass(SineBlock(100, 1000.0).data(), dsp::KindRectangular);
    EXPECT_NEAR(dsp::Spectrum[100], 5120.0, 5120.0 * 1e-4);
    for (int k = 0; k < dsp::BinCount; ++k) {
        if (std::abs(k - 100) > 3) {
            ASSERT_LT(dsp::Spectrum[k], 1.0f) << k;
        }
    }
}

TEST_F(DspFixture, OnBinSineSameLevelUnderEveryWindow)
{
    for (int kind = 0; kind < dsp::WindowKindCount; ++kind) {
        dsp::RunPass(SineBlock(100, 1000.0).data(), kind);
        EXPECT_NEAR(dsp::Spectrum[100], 5120.0, 5.12) << "kind " << kind;
    }
}

TEST_F(DspFixture, ReferenceLevelReadings)
{
    dsp::RunPass(SineBlock(37, 16465.0).data(), dsp::KindRectangular);
    EXPECT_EQ(dsp::FormatMask(LevelDb(dsp::Spectrum[37]), 2), "0.00");
    dsp::RunPass(SineBlock(37, 32767.0).data(), dsp::KindRectangular);
    EXPECT_EQ(dsp::FormatMask(LevelDb(dsp::Spectrum[37]), 2), "5.98");
    for (int kind = 0; kind < dsp::WindowKindCount; ++kind) {
        dsp::RunPass(SineBlock(37, 16465.0).data(), kind);
        EXPECT_NEAR(LevelDb(dsp::Spectrum[37]), 0.0, 0.01) << "kind " << kind;
    }
}

TEST_F(DspFixture, AveragingByHalves)
{
    const std::vector<int16_t> block = SineBlock(20, 3000.0);
    dsp::RunPass(block.data(), dsp::KindBlackman);
    const Snapshot settled;
    dsp::ResetState();
    dsp::StartUp();
    dsp::InitialiseSettings();
    dsp::AveragingFactor = 0.5f;
    dsp::RunPass(block.data(), dsp::KindBlackman);
    for (int k = 0; k < dsp::BinCount; ++k)
        ASSERT_EQ(dsp::Spectrum[k], settled.spectrum[k] / 2) << k;
    dsp::RunPass(block.data(), dsp::KindBlackman);
    for (int k = 0; k < dsp::BinCount; ++k)
        ASSERT_EQ(dsp::Spectrum[k], static_cast<float>(0.75 * settled.spectrum[k])) << k;
    // The pass's own magnitudes do not depend on the average.
    EXPECT_TRUE(SameBits(std::vector<float>(settled.real.begin(), settled.real.begin() + dsp::BinCount),
                         dsp::FftReal));
}

TEST_F(DspFixture, OffsetMultiplierScalesByItsValue)
{
    Lcg lcg(11);
    const std::vector<int16_t> block = NoiseBlock(lcg, 30000);
    dsp::RunPass(block.data(), dsp::KindKaiser);
    const Snapshot once;
    dsp::OffsetMultiplier = 3;
    dsp::RunPass(block.data(), dsp::KindKaiser);
    for (int k = 0; k < dsp::BinCount; ++k) {
        ASSERT_GT(once.spectrum[k], 0.0f);
        ASSERT_NEAR(dsp::Spectrum[k] / once.spectrum[k], 3.0, 3e-7) << k;
    }
    EXPECT_NEAR(20.0 * std::log10(dsp::Spectrum[5] / once.spectrum[5]), 9.54, 0.005);
}

TEST_F(DspFixture, SamplesAfterTheFirstBlockDoNotCount)
{
    Lcg lcg(5);
    std::vector<int16_t> block = NoiseBlock(lcg, 32767);
    dsp::RunPass(block.data(), dsp::KindRectangular);
    const Snapshot first;
    for (size_t n = dsp::FftLength; n < block.size(); ++n)
        block[n] = static_cast<int16_t>(n & 1 ? 32767 : -32768);
    dsp::ResetState();
    dsp::StartUp();
    dsp::InitialiseSettings();
    dsp::RunPass(block.data(), dsp::KindRectangular);
    EXPECT_TRUE(SameBits(first.real, dsp::FftReal));
    EXPECT_TRUE(SameBits(first.imag, dsp::FftImag));
    EXPECT_TRUE(SameBits(first.spectrum, dsp::Spectrum));
}

TEST_F(DspFixture, UpperHalfOfSpectrumStaysZero)
{
    Lcg lcg(9);
    dsp::AveragingFactor = 0.125f;
    dsp::OffsetMultiplier = 100000;
    for (int pass = 0; pass < 30; ++pass)
        dsp::RunPass(NoiseBlock(lcg, 32767).data(), pass % dsp::WindowKindCount);
    ASSERT_GT(dsp::Spectrum[dsp::HalfLength], 0.0f);
    for (int k = dsp::BinCount; k < dsp::FftLength; ++k)
        ASSERT_EQ(dsp::Spectrum[k], 0.0f) << k;
}

TEST_F(DspFixture, KindChangeTakesEffectAtTheNextPass)
{
    const std::vector<int16_t> block = SineBlock(50, 5000.0);
    dsp::RunPass(block.data(), dsp::KindHanning);
    const Snapshot hanning;
    dsp::ResetState();
    dsp::StartUp();
    dsp::InitialiseSettings();
    dsp::RunPass(block.data(), dsp::KindRectangular);
    const Snapshot rectangular;

    dsp::AveragingFactor = 0.5f;
    dsp::RunPass(block.data(), dsp::KindHanning);
    EXPECT_EQ(dsp::WindowKind, dsp::KindHanning);
    for (int k = 0; k < dsp::BinCount; ++k) {
        const double blended = 0.5 * rectangular.spectrum[k] + 0.5 * hanning.spectrum[k];
        ASSERT_EQ(dsp::Spectrum[k], static_cast<float>(blended)) << k;
        ASSERT_EQ(dsp::FftReal[k], hanning.real[k]) << k;
    }
    // The Hanning main lobe spreads into bin 49, which the rectangular
    // window of an on-bin sine leaves (almost) empty.
    EXPECT_GT(dsp::Spectrum[49], 1000.0f);
    EXPECT_LT(rectangular.spectrum[49], 1.0f);
}

}  // namespace
