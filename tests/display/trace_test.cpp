// Trace and zoom-view points, the readout, and the limits of every spectrum
// index whatever the plot size.
#include "display/axes.h"
#include "display/trace.h"
#include "dsp/fft.h"
#include "dsp/readings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

using display::LinearScale;
using display::LogarithmicScale;

constexpr int32_t Reference = dsp::StartingReferenceLevel;

// A spectrum of FftLength entries inside guard entries whose amplitude
// (1000 R) maps to y = -207 on a 340-pixel plot, a row no in-bounds entry can
// give here. Entries from BinCount on stay 0 as the signal-processing pass
// leaves them.
struct GuardedSpectrum {
    std::vector<float> memory = std::vector<float>(3 * dsp::FftLength, 1000.0f * Reference);
    float* entries = memory.data() + dsp::FftLength;
    GuardedSpectrum()
    {
        for (int32_t n = 0; n < dsp::FftLength; ++n)
            entries[n] = n < dsp::BinCount ? 1.0f : 0.0f;
    }
};
constexpr int32_t GuardY = -207;

TEST(TracePoints, ColumnsOnBothScales)
{
    std::vector<float> spectrum(dsp::FftLength, 0.0f);
    const auto linear = display::TracePoints(spectrum.data(), LinearScale, 340, Reference);
    for (int32_t bin = 1; bin <= dsp::HalfLength; ++bin)
        EXPECT_EQ(linear[bin].x, bin);
    const auto log = display::TracePoints(spectrum.data(), LogarithmicScale, 340, Reference);
    EXPECT_EQ(log[1].x, 0);
    EXPECT_EQ(log[2].x, 56);
    EXPECT_EQ(log[3].x, 90);
    EXPECT_EQ(log[511].x, 510);
    EXPECT_EQ(log[512].x, 512);
}

TEST(TracePoints, LevelsOfAKnownSpectrum)
{
    std::vector<float> spectrum(dsp::FftLength, 0.0f);
    spectrum[1] = Reference;         // 0 dB: top edge, also the start point
    spectrum[24] = 8430.0f;          // -20 dB
    spectrum[100] = 0.5f;            // below 1: under the plot
    spectrum[200] = 10.0f * Reference;  // above R: over the plot
    spectrum[0] = Reference;         // bin 0 and bins past the last are not drawn
    spectrum[dsp::BinCount] = Reference;
    const auto points = display::TracePoints(spectrum.data(), LinearScale, 340, Reference);
    EXPECT_EQ(points[0].y, 0);
    EXPECT_EQ(points[1].y, 0);
    EXPECT_EQ(points[24].y, 69);
    EXPECT_EQ(points[100].y, 361);
    EXPECT_EQ(points[200].y, -69);
    EXPECT_EQ(points[2].y, 340);
    EXPECT_EQ(points[dsp::HalfLength].y, 340);
}

TEST(TracePoints, EveryPointIsTheMappingOfItsBin)
{
    // The trace works out its factors once; each point must still be what
    // the mappings give for its bin alone, whatever the spectrum and plot.
    std::mt19937 random(3);
    std::uniform_real_distribution<double> exponent(-3.0, 13.0);
    std::vector<float> spectrum(dsp::FftLength, 0.0f);
    for (int32_t height : {1, 211, 340, 343, 4096})
        for (int32_t reference : {1, 84300, 1 << 30})
            for (int32_t scale : {LinearScale, LogarithmicScale}) {
                for (int32_t bin = 0; bin < dsp::BinCount; ++bin)
                    spectrum[bin] = bin % 17 == 0 ? 0.0f
                                                  : static_cast<float>(std::exp(exponent(random)));
                const auto points =
                    display::TracePoints(spectrum.data(), scale, height, reference);
                for (int32_t bin = 1; bin < dsp::BinCount; ++bin) {
                    const double a = spectrum[bin] == 0.0f ? 1.0 : spectrum[bin];
                    ASSERT_EQ(points[bin].x, display::BinToX(bin, scale)) << bin;
                    ASSERT_EQ(points[bin].y, display::LevelToY(a, height, reference))
                        << "bin " << bin << " height " << height << " reference " << reference;
                }
            }
}

TEST(ZoomView, ColumnsOfBand100To200)
{
    // All bins at amplitude 1 (bottom row) except bin 201 at -20 dB (y 69).
    std::vector<float> spectrum(dsp::FftLength, 1.0f);
    spectrum[201] = 8430.0f;
    const auto points =
        display::ZoomViewPoints(spectrum.data(), 100, 200, LinearScale, 520, 340, Reference);
    ASSERT_EQ(points.size(), 521u);
    const int32_t expected[] = {340, 340, 69, 69, 340, 340};
    for (int32_t x = 0; x < 6; ++x) {
        EXPECT_EQ(points[x].x, x);
        EXPECT_EQ(points[x].y, expected[x]) << "column " << x;
    }
    EXPECT_EQ(points[520].x, 520);
}

// Empty bins lie just below the plot, as in the live trace, not on its top.
TEST(ZoomView, EmptyBinsLieJustBelowThePlot)
{
    std::vector<float> spectrum(dsp::FftLength, 0.0f);
    const auto points =
        display::ZoomViewPoints(spectrum.data(), 10, 20, LogarithmicScale, 520, 340, Reference);
    for (const display::Point& p : points)
        EXPECT_EQ(p.y, 340);
}

TEST(Readout, BeforeTheFirstBuffer)
{
    EXPECT_EQ(display::ReadoutBin(0.0f, 0), 0);
    EXPECT_EQ(display::ReadoutBin(1033.59375f, 0), 0);
    EXPECT_EQ(display::ReadoutText(0.0f, dsp::LevelInDecibelsSingle(0.0f, Reference)),
              "0.0Hz, -infdB");
}

TEST(Readout, BinStaysInTheArray)
{
    const float inf = std::numeric_limits<float>::infinity();
    const int32_t Last = dsp::FftLength - 1;  // the array's last entry
    struct Case { float frequency; int32_t rate; int32_t bin; };
    const Case cases[] = {
        {22050.0f, 44100, 512}, {44100.0f, 44100, Last}, {1e30f, 11025, Last},
        {inf, 44100, Last}, {-100.0f, 44100, 0}, {-inf, 44100, 0},
        {std::nanf(""), 44100, 0}, {1000.0f, -44100, 0}, {1e9f, 1, Last},
    };
    for (const Case& c : cases)
        EXPECT_EQ(display::ReadoutBin(c.frequency, c.rate), c.bin)
            << c.frequency << " Hz at " << c.rate;
}

// Every column of a wide plot on the logarithmic scale, through the same
// steps as the mouse readout: bin under x, its frequency, the readout bin.
TEST(Bounds, ReadoutOfWideLogarithmicPlots)
{
    GuardedSpectrum spectrum;
    for (int32_t width : {520, 600, 1200})
        for (int32_t rate : {11025, 22050, 44100})
            for (int32_t x = 1; x <= width; ++x) {
                const int32_t bin = display::XToBin(x, LogarithmicScale);
                const float frequency = static_cast<float>(bin * static_cast<double>(rate) / dsp::FftLength);
                const int32_t index = display::ReadoutBin(frequency, rate);
                // Beyond the array the readout shows the never-computed last bin.
                ASSERT_EQ(index, std::min(bin, dsp::FftLength - 1)) << "x " << x << " width " << width;
                if (bin >= dsp::BinCount) {
                    ASSERT_EQ(dsp::LevelInDecibelsSingle(spectrum.entries[index], Reference),
                              -std::numeric_limits<float>::infinity());
                }
            }
}

TEST(Bounds, ZoomViewOfWideLogarithmicPlots)
{
    GuardedSpectrum spectrum;
    for (int32_t width : {520, 600, 1200}) {
        const int32_t limit = static_cast<int32_t>(std::nearbyint(width / 2.0 - 5));
        for (int32_t s : {0, 1, limit / 2, limit - 1})
            for (int32_t scale : {LinearScale, LogarithmicScale}) {
                const auto points = display::ZoomViewPoints(spectrum.entries, s, limit, scale,
                                                            width, 340, Reference);
                ASSERT_EQ(points.size(), static_cast<size_t>(width) + 1);
                for (const display::Point& p : points)
                    ASSERT_NE(p.y, GuardY) << "width " << width << " s " << s;
            }
    }
}

TEST(Bounds, ZoomBandsReachingBelowBinZero)
{
    GuardedSpectrum spectrum;
    spectrum.entries[0] = Reference;  // bin 0 reads y 0, bins from 1 on y 340
    const auto points =
        display::ZoomViewPoints(spectrum.entries, -20, 5, LinearScale, 520, 340, Reference);
    for (const display::Point& p : points)
        ASSERT_NE(p.y, GuardY);
    // Band from bin -40 to 10: the first columns are held at bin 0.
    EXPECT_EQ(points[0].y, 0);
    EXPECT_EQ(points[519].y, 340);
}

TEST(Bounds, TraceReadsOnlyBinsFrom1ToTheLast)
{
    GuardedSpectrum spectrum;
    spectrum.entries[0] = 1000.0f * Reference;
    for (int32_t n = dsp::BinCount; n < dsp::FftLength; ++n)
        spectrum.entries[n] = 1000.0f * Reference;
    for (int32_t scale : {LinearScale, LogarithmicScale}) {
        const auto points = display::TracePoints(spectrum.entries, scale, 340, Reference);
        for (const display::Point& p : points)
            ASSERT_EQ(p.y, 340);
    }
}

}  // namespace
