// The spectrum text: its shape, the frequency and level fields for chosen
// spectra and rates (expected texts worked out by hand), and the logarithm rule.
#include "dsp/fft.h"
#include "dsp/sizes.h"
#include "commands/spectrumtext.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

constexpr int32_t Reference = dsp::StartingReferenceLevel;

// One line per bin of the spectrum in use.
constexpr size_t LineCount = dsp::BinCount;

// The text split at "\r\n"; the part after the last one must be empty.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "text after the last line end";
    return lines;
}

std::string FrequencyField(const std::string& line) { return line.substr(0, line.find('\t')); }
std::string LevelField(const std::string& line) { return line.substr(line.find('\t') + 1); }

// A field of the mask "0.0" or "0.00": optional "-", digits, ".", decimals.
bool HasMaskShape(const std::string& field, size_t decimals)
{
    size_t n = field.rfind('-', 0) == 0 ? 1 : 0;
    const size_t point = field.find('.');
    if (point == std::string::npos || point == n || field.size() != point + 1 + decimals)
        return false;
    for (; n < field.size(); ++n) {
        if (n != point && (field[n] < '0' || field[n] > '9'))
            return false;
    }
    return true;
}

TEST(ExportSpectrumText, BeforeTheFirstStartEveryLineReadsMinusInfinity)
{
    const std::vector<float> spectrum(dsp::FftLength, 0.0f);
    const std::string text = commands::BuildSpectrumText(spectrum.data(), 0, Reference);
    const auto lines = Lines(text);
    ASSERT_EQ(lines.size(), LineCount);
    for (const std::string& line : lines)
        EXPECT_EQ(line, "0.0\t-inf");
    EXPECT_EQ(text.size(), LineCount * 10u);
}

TEST(ExportSpectrumText, EveryLineIsFrequencyTabLevel)
{
    std::vector<float> spectrum(dsp::FftLength);
    for (int32_t i = 0; i < dsp::FftLength; ++i)
        spectrum[i] = 0.37f * static_cast<float>(i * i) + 0.01f;
    for (int32_t rate : {11025, 22050, 44100}) {
        SCOPED_TRACE(rate);
        const auto lines = Lines(commands::BuildSpectrumText(spectrum.data(), rate, Reference));
        ASSERT_EQ(lines.size(), LineCount);
        for (const std::string& line : lines) {
            ASSERT_EQ(line.find('\t'), line.rfind('\t')) << line;
            ASSERT_NE(line.find('\t'), std::string::npos) << line;
            EXPECT_TRUE(HasMaskShape(FrequencyField(line), 1)) << line;
            EXPECT_TRUE(HasMaskShape(LevelField(line), 2)) << line;
        }
        EXPECT_EQ(lines.front(), "0.0\t-138.52");  // 0.01 / 84300 = 10^-6.9258
    }
}

struct FrequencyCase {
    int32_t rate;
    int32_t bin;
    const char* field;
};

TEST(ExportSpectrumText, FrequencyOfEachBin)
{
    const FrequencyCase cases[] = {
        {44100, 0, "0.0"},
        {44100, 1, "43.1"},       // 43.06640625
        {44100, 24, "1033.6"},    // 1033.59375
        {44100, 256, "11025.0"},
        {44100, 511, "22006.9"},  // 22006.93359375
        {44100, dsp::HalfLength, "22050.0"},
        {22050, 1, "21.5"},       // 21.533203125
        {22050, 3, "64.6"},       // 64.599609375
        {22050, dsp::HalfLength, "11025.0"},
        {11025, 1, "10.8"},       // 10.7666015625
        {11025, 3, "32.3"},       // 32.2998046875
        {11025, 128, "1378.1"},   // 1378.125
        {11025, dsp::HalfLength, "5512.5"},
        // An exact binary half of the last digit goes to the even neighbour.
        {11025, 256, "2756.2"},   // 2756.25
        {11025, 384, "4134.4"},   // 4134.375
    };
    const std::vector<float> spectrum(dsp::FftLength, 0.0f);
    for (int32_t rate : {11025, 22050, 44100}) {
        const auto lines = Lines(commands::BuildSpectrumText(spectrum.data(), rate, Reference));
        ASSERT_EQ(lines.size(), LineCount);
        for (const FrequencyCase& c : cases) {
            if (c.rate == rate) {
                EXPECT_EQ(FrequencyField(lines[c.bin]), c.field) << rate << " Hz, bin " << c.bin;
            }
        }
    }
}

TEST(ExportSpectrumText, AWideRateKeepsEveryDigit)
{
    // 512 x 2147483647 / 1024 = 1073741823.5; the product overflows 32 bits.
    const std::vector<float> spectrum(dsp::FftLength, 0.0f);
    const auto high = Lines(commands::BuildSpectrumText(spectrum.data(), 2147483647, Reference));
    EXPECT_EQ(FrequencyField(high[dsp::HalfLength]), "1073741823.5");
    EXPECT_EQ(FrequencyField(high[1]), "2097152.0");  // 2097151.9990234375
    const auto low = Lines(commands::BuildSpectrumText(spectrum.data(), -44100, Reference));
    EXPECT_EQ(FrequencyField(low[1]), "-43.1");
    EXPECT_EQ(FrequencyField(low[0]), "0.0");
}

struct LevelCase {
    int32_t bin;
    float amplitude;
    const char* field;
};

TEST(ExportSpectrumText, LevelOfEachBinAgainstTheReference)
{
    const LevelCase cases[] = {
        {0, 84300.0f, "0.00"},
        {1, 8430.0f, "-20.00"},
        {2, 843000.0f, "20.00"},
        {3, 843.0f, "-40.00"},
        {4, 84.3f, "-60.00"},
        {5, 168600.0f, "6.02"},    // twice the reference: 20 log10 2 = 6.0206
        {6, 42150.0f, "-6.02"},
        {7, 252900.0f, "9.54"},    // the +10 dB offset step multiplies by 3
        {8, 1.0f, "-98.52"},       // 20 log10 84300 = 98.5166
        // A sinusoid of peak 16465 (5.12 x 16465) and a full-scale one (5.12 x 32767).
        {100, 84300.8f, "0.00"},
        {200, 167767.04f, "5.98"},
        // The smallest positive single still has a logarithm.
        {511, std::numeric_limits<float>::denorm_min(), "-995.59"},
        {dsp::HalfLength, 843.0f, "-40.00"},
    };
    std::vector<float> spectrum(dsp::FftLength, 0.0f);
    // Entries the export must not read.
    for (int32_t i = dsp::BinCount; i < dsp::FftLength; ++i)
        spectrum[i] = 1e30f;
    for (const LevelCase& c : cases)
        spectrum[c.bin] = c.amplitude;
    const auto lines = Lines(commands::BuildSpectrumText(spectrum.data(), 44100, Reference));
    ASSERT_EQ(lines.size(), LineCount);
    for (const LevelCase& c : cases)
        EXPECT_EQ(LevelField(lines[c.bin]), c.field) << "bin " << c.bin;
    EXPECT_EQ(lines[9], "387.6\t-inf");  // 387.59765625, an empty bin
    EXPECT_EQ(lines[dsp::HalfLength], "22050.0\t-40.00");
}

// An amplitude of 0 (of either sign) reads -inf; the other levels without a
// logarithm keep reading 0.00.
TEST(ExportSpectrumText, LevelsWithoutALogarithmReadZero)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float values[] = {0.0f, -0.0f, -8430.0f, -84300.0f, -1e-30f, inf, -inf, nan};
    std::vector<float> spectrum(dsp::FftLength, 0.0f);
    for (size_t n = 0; n < sizeof values / sizeof values[0]; ++n)
        spectrum[10 + n] = values[n];
    const auto lines = Lines(commands::BuildSpectrumText(spectrum.data(), 22050, Reference));
    ASSERT_EQ(lines.size(), LineCount);
    for (size_t n = 0; n < sizeof values / sizeof values[0]; ++n)
        EXPECT_EQ(LevelField(lines[10 + n]), n < 2 ? "-inf" : "0.00") << "value " << values[n];
}

TEST(ExportSpectrumText, AReferenceWithoutALogarithmReadsZero)
{
    std::vector<float> spectrum(dsp::FftLength, 8430.0f);
    spectrum[0] = 0.0f;  // no signal: -inf whatever the reference
    for (int32_t reference : {0, -84300}) {
        const auto lines = Lines(commands::BuildSpectrumText(spectrum.data(), 44100, reference));
        ASSERT_EQ(lines.size(), LineCount);
        for (size_t n = 0; n < lines.size(); ++n)
            ASSERT_EQ(LevelField(lines[n]), n == 0 ? "-inf" : "0.00")
                << "reference " << reference << ": " << lines[n];
    }
}

TEST(ExportSpectrumText, SameStateGivesTheSameText)
{
    std::vector<float> spectrum(dsp::FftLength, 0.0f);
    spectrum[24] = 8430.0f;
    const std::string first = commands::BuildSpectrumText(spectrum.data(), 44100, Reference);
    EXPECT_EQ(commands::BuildSpectrumText(spectrum.data(), 44100, Reference), first);
    EXPECT_EQ(Lines(first)[24], "1033.6\t-20.00");
}

}  // namespace
