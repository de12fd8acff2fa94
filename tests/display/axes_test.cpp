// Axis mappings and the graticule of the plot, against hand-computed pixel
// positions.
#include "display/axes.h"
#include "display/trace.h"
#include "dsp/fft.h"
#include "dsp/sizes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using display::LinearScale;
using display::LogarithmicScale;

constexpr int32_t Reference = dsp::StartingReferenceLevel;

// The spectrum's last entry, where every index past the end is held.
constexpr int32_t Last = dsp::FftLength - 1;

TEST(AxisMapping, LogAxisFactorIsTheSingleAboveTheExactValue)
{
    EXPECT_EQ(display::LogAxisFactor, 41.036659240722656f);
    const double exact = dsp::FftLength / (4.0 * std::log(double{dsp::HalfLength}));
    EXPECT_EQ(display::LogAxisFactor, static_cast<float>(exact));
    EXPECT_GT(static_cast<double>(display::LogAxisFactor), exact);
}

TEST(AxisMapping, BinToXOnBothScales)
{
    struct Case { int32_t bin, logX; };
    const Case cases[] = {{1, 0}, {2, 56}, {3, 90}, {10, 188}, {46, 314}, {47, 314},
                          {100, 376}, {511, 510}, {dsp::HalfLength, 512}};
    for (const Case& c : cases) {
        EXPECT_EQ(display::BinToX(c.bin, LinearScale), c.bin);
        EXPECT_EQ(display::BinToX(c.bin, LogarithmicScale), c.logX) << "bin " << c.bin;
    }
    // Only even columns occur on the logarithmic axis.
    for (int32_t bin = 1; bin <= dsp::HalfLength; ++bin)
        EXPECT_EQ(display::BinToX(bin, LogarithmicScale) % 2, 0) << "bin " << bin;
}

TEST(AxisMapping, XToBinOnBothScales)
{
    struct Case { int32_t x, logBin; };
    const Case cases[] = {{1, 2}, {90, 3}, {512, 512}, {520, 565},
                          {568, 1013}, {569, 1026}, {600, 1496}};
    for (const Case& c : cases) {
        EXPECT_EQ(display::XToBin(c.x, LinearScale), c.x);
        EXPECT_EQ(display::XToBin(c.x, LogarithmicScale), c.logBin) << "x " << c.x;
    }
    // The logarithmic axis never reaches bin 1.
    for (int32_t x = 1; x <= 520; ++x)
        EXPECT_GE(display::XToBin(x, LogarithmicScale), 2);
}

TEST(AxisMapping, XToBinSaturatesOnAbsurdlyWidePlots)
{
    EXPECT_EQ(display::XToBin(100000, LogarithmicScale), INT32_MAX);
    EXPECT_EQ(display::SpectrumIndex(display::XToBin(100000, LogarithmicScale)), Last);
}

TEST(AxisMapping, LevelToY)
{
    struct Case { double amplitude; int32_t y; };
    const Case cases[] = {
        {Reference, 0},        // 0 dB on the top edge
        {1.0, 340},            // the row just below a 340-pixel plot
        {0.0, 0},              // R / 0 is infinite: the logarithm rule gives 0
        {-5.0, 0},             // negative: logarithm rule
        {10.0 * Reference, -69},
        {0.5, 361},
        {Reference / 10.0, 69},                        // -20 dB
        {Reference * std::pow(10.0, -4.5), 311},       // -90 dB, below the -90dB line
        {std::nan(""), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(display::LevelToY(c.amplitude, 340, Reference), c.y) << "a " << c.amplitude;
}

TEST(AxisMapping, ZoomColumnToBinLinearEdges)
{
    // s = 100, e = 200 half-pixels: bins 200 to 400 over 520 columns.
    EXPECT_EQ(display::ZoomColumnToBin(0, 100, 200, LinearScale, 520), 200);
    EXPECT_EQ(display::ZoomColumnToBin(260, 100, 200, LinearScale, 520), 400);
    struct Case { int32_t column, bin; };
    const Case columns[] = {{1, 200}, {2, 201}, {3, 201}, {260, 300}, {520, 400}};
    for (const Case& c : columns)
        EXPECT_EQ(display::ZoomColumnToBin(c.column / 2, 100, 200, LinearScale, 520), c.bin)
            << "column " << c.column;
}

TEST(AxisMapping, ZoomColumnToBinLogarithmicEdges)
{
    // The edges are the bins XToBin gives under the band's ends.
    for (int32_t s : {1, 45, 100, 200}) {
        EXPECT_EQ(display::ZoomColumnToBin(0, s, 255, LogarithmicScale, 520),
                  display::XToBin(2 * s, LogarithmicScale));
        EXPECT_EQ(display::ZoomColumnToBin(260, s, 255, LogarithmicScale, 520),
                  display::XToBin(510, LogarithmicScale));
    }
    // Right end at its limit nearest(W / 2 - 5): beyond the spectrum from W = 580.
    EXPECT_EQ(display::ZoomColumnToBin(0, 284, 284, LogarithmicScale, 579), 1013);
    EXPECT_EQ(display::ZoomColumnToBin(0, 285, 285, LogarithmicScale, 580), 1038);
}

TEST(AxisMapping, SpectrumIndexStaysInTheArray)
{
    struct Case { double bin; int32_t index; };
    const Case cases[] = {{-1e300, 0}, {-1, 0}, {0, 0}, {NAN, 0}, {2.5, 2}, {3.5, 4},
                          {dsp::HalfLength, dsp::HalfLength}, {Last, Last}, {Last + 0.4, Last},
                          {dsp::FftLength, Last}, {1496, Last},
                          {double(int64_t(1) << 40), Last}, {INFINITY, Last}};
    for (const Case& c : cases)
        EXPECT_EQ(display::SpectrumIndex(c.bin), c.index) << "bin " << c.bin;
}

}  // namespace

// Comparison and printing for the expectations below; in the type's own
// namespace so that the standard containers find them.
namespace display {

bool operator==(const Segment& a, const Segment& b)
{
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}

std::ostream& operator<<(std::ostream& out, const Segment& s)
{
    return out << "(" << s.x1 << "," << s.y1 << ")-(" << s.x2 << "," << s.y2 << ")";
}

}  // namespace display

namespace {

// ---- Graticule -------------------------------------------------------------

std::vector<display::Segment> Lines(const display::Graticule& g)
{
    return std::vector<display::Segment>(g.lines, g.lines + g.lineCount);
}

std::vector<display::Segment> VerticalLines(const std::vector<int32_t>& xs, int32_t h)
{
    std::vector<display::Segment> lines;
    for (int32_t x : xs)
        lines.push_back(display::Segment{x, 0, x, h});
    return lines;
}

std::vector<display::Segment> LevelLines(const std::vector<int32_t>& ys, int32_t w)
{
    std::vector<display::Segment> lines;
    for (int32_t y : ys)
        lines.push_back(display::Segment{0, y, w - 30, y});
    return lines;
}

std::vector<display::Segment> Concat(std::vector<display::Segment> a,
                                     const std::vector<display::Segment>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<int32_t> LevelRows340 = {34, 68, 102, 136, 170, 204, 238, 272, 306, 340};

TEST(Graticule, Linear520By340)
{
    const display::Graticule g = display::BuildGraticule(LinearScale, 520, 340);
    const std::vector<int32_t> columns = {0, 52, 104, 156, 208, 260, 312, 364, 416, 468, 520};
    EXPECT_EQ(Lines(g), Concat(VerticalLines(columns, 340), LevelLines(LevelRows340, 520)));
}

TEST(Graticule, Labels520By340)
{
    const display::Graticule g = display::BuildGraticule(LinearScale, 520, 340);
    const char* shown[] = {"-10dB", "-20dB", "-30dB", "-40dB", "-50dB",
                           "-60dB", "-70dB", "-80dB", "-90dB", "-100d"};
    ASSERT_EQ(g.labelCount, 10);
    for (int32_t n = 0; n < 10; ++n) {
        const display::Label& label = g.labels[n];
        EXPECT_EQ(std::string(label.text, label.count), shown[n]);
        EXPECT_EQ(label.x, 492);
        EXPECT_EQ(label.y, LevelRows340[n] - 5);
    }
    EXPECT_EQ(g.labels[0].y, 29);
    EXPECT_EQ(g.labels[8].y, 301);
    EXPECT_EQ(g.labels[9].y, 335);
    EXPECT_STREQ(g.labels[9].text, "-100dB");
}

TEST(Graticule, Logarithmic520By340)
{
    const display::Graticule g = display::BuildGraticule(LogarithmicScale, 520, 340);
    // Bins 5, 10, ..., 50, four pixels right of their x; then bins 52, ..., 572.
    const std::vector<int32_t> fine = {136, 192, 226, 248, 268, 282, 294, 306, 316, 324};
    const std::vector<int32_t> coarse = {324, 380, 414, 438, 456, 470, 482, 494, 504, 512, 520};
    EXPECT_EQ(Lines(g), Concat(Concat(VerticalLines(fine, 340), VerticalLines(coarse, 340)),
                               LevelLines(LevelRows340, 520)));
    EXPECT_EQ(g.labelCount, 10);
}

TEST(Graticule, Height339StopsAtMinus90)
{
    const display::Graticule g = display::BuildGraticule(LinearScale, 520, 339);
    const std::vector<int32_t> rows = {34, 68, 102, 136, 170, 204, 238, 272, 306};
    const std::vector<display::Segment> lines = Lines(g);
    ASSERT_EQ(lines.size(), 11u + 9u);
    EXPECT_EQ(std::vector<display::Segment>(lines.begin() + 11, lines.end()),
              LevelLines(rows, 520));
    EXPECT_EQ(lines[10], (display::Segment{520, 0, 520, 339}));
    ASSERT_EQ(g.labelCount, 9);
    EXPECT_EQ(std::string(g.labels[8].text, g.labels[8].count), "-90dB");
    EXPECT_EQ(g.labels[8].y, 301);
}

TEST(Graticule, WidePlotsOnTheLogarithmicScale)
{
    // W = 600: bins 6..60 step 6, then 60..660 step 60.
    const display::Graticule g = display::BuildGraticule(LogarithmicScale, 600, 340);
    EXPECT_EQ(g.lineCount, 10 + 11 + 10);
    EXPECT_EQ(g.lines[0].x1, display::BinToX(6, LogarithmicScale) + 4);
    EXPECT_EQ(g.lines[20].x1, display::BinToX(660, LogarithmicScale));
    const display::Graticule g2 = display::BuildGraticule(LogarithmicScale, 1200, 340);
    EXPECT_EQ(g2.lineCount, 10 + 11 + 10);
    EXPECT_EQ(g2.lines[20].x1, display::BinToX(1320, LogarithmicScale));
    EXPECT_EQ(g2.labels[0].x, 1172);
}

TEST(Graticule, SizesTooSmallForAStepLeaveThoseLinesOut)
{
    // W = 50: nearest(0.5) = 0 fine lines; H = 4: no level lines or labels.
    const display::Graticule g = display::BuildGraticule(LogarithmicScale, 50, 4);
    EXPECT_EQ(g.lineCount, 11);
    EXPECT_EQ(g.labelCount, 0);
    const display::Graticule empty = display::BuildGraticule(LinearScale, 0, 0);
    EXPECT_EQ(empty.lineCount, 0);
}

TEST(Graticule, CapacityIsNeverReached)
{
    for (int32_t scale : {LinearScale, LogarithmicScale})
        for (int32_t size = 1; size <= 5000; ++size) {
            const display::Graticule g = display::BuildGraticule(scale, size, size);
            ASSERT_LT(g.lineCount, display::Graticule::MaxLines) << "size " << size;
            ASSERT_LT(g.labelCount, display::Graticule::MaxLabels) << "size " << size;
        }
}

}  // namespace
