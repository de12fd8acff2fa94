// RunPass against RunPassReference, bit for bit, with every kernel this
// processor runs: every window kind, averaging factor and offset on silence,
// full-scale square waves, impulses, tones and random blocks, each pass
// starting from the same state for both.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "dsp/fast_pass.h"
#include "tests/dsp/dsp_test_support.h"

namespace {

using dsptest::ConstantBlock;
using dsptest::DspFixture;
using dsptest::Lcg;
using dsptest::NoiseBlock;
using dsptest::SineBlock;

struct PassState {
    float real[dsp::FftLength], imag[dsp::FftLength], spectrum[dsp::FftLength];
    void Save()
    {
        std::memcpy(real, dsp::FftReal, sizeof real);
        std::memcpy(imag, dsp::FftImag, sizeof imag);
        std::memcpy(spectrum, dsp::Spectrum, sizeof spectrum);
    }
    void Restore() const
    {
        std::memcpy(dsp::FftReal, real, sizeof real);
        std::memcpy(dsp::FftImag, imag, sizeof imag);
        std::memcpy(dsp::Spectrum, spectrum, sizeof spectrum);
    }
    // The first differing array and index, or "" when all bits agree.
    std::string FirstDifference() const
    {
        const struct { const char* name; const float* mine; const float* now; } arrays[] = {
            {"FftReal", real, dsp::FftReal}, {"FftImag", imag, dsp::FftImag},
            {"Spectrum", spectrum, dsp::Spectrum}};
        for (const auto& a : arrays) {
            for (int k = 0; k < dsp::FftLength; ++k) {
                if (std::memcmp(a.mine + k, a.now + k, sizeof(float)) != 0)
                    return std::string(a.name) + "[" + std::to_string(k) + "]";
            }
        }
        return "";
    }
};

// Square wave of full scale, `period` samples long, starting high or low.
std::vector<int16_t> SquareBlock(int period, bool low)
{
    std::vector<int16_t> block(dsp::CaptureSamples);
    for (int n = 0; n < dsp::CaptureSamples; ++n)
        block[n] = ((n % period) < period / 2) != low ? 32767 : -32768;
    return block;
}

std::vector<int16_t> ImpulseBlock(int at, int16_t value)
{
    std::vector<int16_t> block(dsp::CaptureSamples, 0);
    block[at] = value;
    return block;
}

std::vector<std::vector<int16_t>> Signals()
{
    Lcg lcg(0xb17);
    std::vector<std::vector<int16_t>> signals = {
        ConstantBlock(0), ConstantBlock(32767), ConstantBlock(-32768), ConstantBlock(-1),
        SquareBlock(2, false), SquareBlock(4, true), SquareBlock(64, false),
        SquareBlock(dsp::FftLength, true), SquareBlock(6, false), SquareBlock(1000, false),
        ImpulseBlock(0, 32767), ImpulseBlock(1, -32768), ImpulseBlock(513, 1),
        SineBlock(100, 1000.0), SineBlock(dsp::HalfLength - 1, 32767.0), SineBlock(1, 3.0)};
    for (int amplitude : {32767, 32767, 10000, 1000, 100, 10, 1})
        signals.push_back(NoiseBlock(lcg, amplitude));
    return signals;
}

const dsp::PassKernel Kernels[] = {dsp::PassKernel::Sse2, dsp::PassKernel::Avx};

class FastPassTest : public DspFixture, public ::testing::WithParamInterface<dsp::PassKernel> {
protected:
    void SetUp() override
    {
        DspFixture::SetUp();
        if (!dsp::UsePassKernel(GetParam()))
            GTEST_SKIP() << "this processor does not run the kernel";
    }
    void TearDown() override
    {
        DspFixture::TearDown();
        dsp::BuildPassTables();
    }

    // One pass of each from the state as it is; true when they agree.
    ::testing::AssertionResult SamePass(const int16_t* samples, int32_t kind)
    {
        PassState before, reference;
        before.Save();
        dsp::RunPassReference(samples, kind);
        reference.Save();
        before.Restore();
        dsp::RunPass(samples, kind);
        const std::string difference = reference.FirstDifference();
        if (difference.empty())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "first difference at " << difference;
    }
};

TEST_P(FastPassTest, SameBitsForEverySignalKindAlphaAndOffset)
{
    const float alphas[] = {1.0f, 0.5f, 1.0f / 3.0f, 0.125f, 0.1f,
                            static_cast<float>(1.0 / std::pow(2.0, 0.7)), 1.0f / 1024.0f};
    const int32_t offsets[] = {1, 3, 10, 32, 100, 316, 1000, 3162, 10000, 31623, 100000};
    const std::vector<std::vector<int16_t>> signals = Signals();
    size_t passes = 0;
    for (int kind = 0; kind < dsp::WindowKindCount; ++kind) {
        for (size_t a = 0; a < std::size(alphas); ++a) {
            dsp::AveragingFactor = alphas[a];
            for (size_t s = 0; s < signals.size(); ++s) {
                dsp::OffsetMultiplier = offsets[(s + a) % std::size(offsets)];
                ASSERT_TRUE(SamePass(signals[s].data(), kind))
                    << "kind " << kind << " alpha " << alphas[a] << " signal " << s
                    << " offset " << dsp::OffsetMultiplier;
                ++passes;
            }
        }
    }
    EXPECT_EQ(passes, dsp::WindowKindCount * std::size(alphas) * signals.size());
}

TEST_P(FastPassTest, SameBitsForEveryOffsetAtFullScale)
{
    Lcg lcg(42);
    dsp::AveragingFactor = 0.25f;
    for (int32_t offset : {1, 3, 10, 32, 100, 316, 1000, 3162, 10000, 31623, 100000}) {
        dsp::OffsetMultiplier = offset;
        for (int kind = 0; kind < dsp::WindowKindCount; ++kind) {
            ASSERT_TRUE(SamePass(NoiseBlock(lcg, 32767).data(), kind))
                << "kind " << kind << " offset " << offset;
            ASSERT_TRUE(SamePass(SquareBlock(8, kind & 1).data(), kind))
                << "kind " << kind << " offset " << offset;
        }
    }
}

// The transform's sign of zero must agree too: silence after a signal, and
// a block whose windowed ends are -0 (negative samples at zero coefficients).
TEST_P(FastPassTest, SameSignedZeros)
{
    std::vector<int16_t> block = ConstantBlock(-7);
    for (int kind = 0; kind < dsp::WindowKindCount; ++kind) {
        ASSERT_TRUE(SamePass(block.data(), kind)) << "kind " << kind;
        ASSERT_TRUE(SamePass(ConstantBlock(0).data(), kind)) << "kind " << kind;
        ASSERT_TRUE(SamePass(ImpulseBlock(0, -5).data(), kind)) << "kind " << kind;
    }
}

// A kind no window has is recorded and runs nothing, under every kernel.
TEST_P(FastPassTest, UnknownKindChangesNothing)
{
    Lcg lcg(3);
    dsp::AveragingFactor = 0.25f;
    dsp::RunPass(NoiseBlock(lcg, 10000).data(), dsp::KindHamming);
    dsp::RunPass(NoiseBlock(lcg, 10000).data(), dsp::KindWelch);
    PassState before;
    before.Save();
    for (int32_t kind : {-1, int32_t{dsp::WindowKindCount}, 1000, INT32_MIN}) {
        dsp::RunPass(NoiseBlock(lcg, 30000).data(), kind);
        EXPECT_EQ(dsp::WindowKind, kind);
        EXPECT_EQ(before.FirstDifference(), "") << kind;
    }
}

INSTANTIATE_TEST_SUITE_P(Kernels, FastPassTest, ::testing::ValuesIn(Kernels),
                         [](const ::testing::TestParamInfo<dsp::PassKernel>& info) {
                             return info.param == dsp::PassKernel::Avx ? std::string("Avx")
                                                                       : std::string("Sse2");
                         });

TEST_F(DspFixture, StartUpPicksAvxWhereTheProcessorHasIt)
{
    const bool avx = dsp::UsePassKernel(dsp::PassKernel::Avx);
    dsp::StartUp();
    EXPECT_EQ(dsp::ActivePassKernel(), avx ? dsp::PassKernel::Avx : dsp::PassKernel::Sse2);
    EXPECT_TRUE(dsp::UsePassKernel(dsp::PassKernel::Sse2));
    EXPECT_EQ(dsp::ActivePassKernel(), dsp::PassKernel::Sse2);
}

}  // namespace
