// The number masks "0", "0.0" and "0.00" with any double (NaNs, infinities,
// subnormals, the largest magnitudes), the readout text with any two singles
// and the slider labels at any position: the text always has the mask's
// shape, a "-" only for values below zero, and it reads back as the value
// rounded to the mask's decimals.
#include <cmath>
#include <cstdlib>
#include <string>

#include "display/axes.h"
#include "display/trace.h"
#include "display/sliders.h"
#include "dsp/numeric.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// The longest mask text: "-", 309 digits of the largest double, ".00".
constexpr size_t LongestMask = 1 + 309 + 3;

void CheckMask(double value, int decimals)
{
    const std::string text = dsp::FormatMask(value, decimals);
    FUZZ_CHECK(fuzz::IsMaskText(text, decimals), "value %a decimals %d gave \"%s\"", value,
               decimals, text.c_str());
    FUZZ_CHECK(text.size() <= LongestMask, "value %a gave %zu characters", value, text.size());
    const bool minus = text[0] == '-';
    FUZZ_CHECK(!minus || value < 0.0, "value %a gave \"%s\"", value, text.c_str());
    if (!std::isfinite(value))
        return;
    FUZZ_CHECK(minus == (value < 0.0), "value %a gave \"%s\"", value, text.c_str());
    // Rounded to the decimals: within half a unit of the last digit, plus the
    // double's own resolution at large magnitudes.
    const double shown = std::strtod(text.c_str(), nullptr);
    const double tolerance =
        0.5 * std::pow(10.0, -decimals) * (1.0 + 1e-9) + std::fabs(value) * 0x1p-52;
    FUZZ_CHECK(std::fabs(shown - value) <= tolerance, "value %.17g gave \"%s\"", value,
               text.c_str());
}

// "<frequency>Hz, <level>dB", each with the readout's decimals, or the level
// "-inf" for minus infinity.
void CheckReadout(float frequency, float level)
{
    const std::string text = display::ReadoutText(frequency, level);
    const size_t first = fuzz::MaskLength(text, display::ReadoutDecimals);
    FUZZ_CHECK(first != 0 && text.compare(first, 4, "Hz, ") == 0, "readout \"%s\"",
               text.c_str());
    const std::string_view rest = std::string_view(text).substr(first + 4);
    const bool none = std::isinf(level) && level < 0;
    const size_t second = none ? (rest.substr(0, 4) == "-inf" ? 4 : 0) : fuzz::MaskLength(rest, display::ReadoutDecimals);
    FUZZ_CHECK(second != 0 && rest.substr(second) == "dB", "readout \"%s\"", text.c_str());
}

void CheckSliderLabels(int32_t position)
{
    const display::OffsetSetting offset = display::OffsetSettingAt(position);
    FUZZ_CHECK(offset.multiplier >= 1 && offset.multiplier <= 100000, "position %d: %d",
               position, offset.multiplier);
    const std::string_view label = offset.label;
    FUZZ_CHECK(label.substr(0, 9) == "Offset + " && label.size() > 11 &&
                   fuzz::IsMaskText(label.substr(9, label.size() - 11), 0) &&
                   label.substr(label.size() - 2) == "dB",
               "position %d: \"%s\"", position, offset.label.c_str());

    const display::AveragesSetting averages = display::AveragesSettingAt(position);
    FUZZ_CHECK(averages.factor >= 1.0f / 1024 && averages.factor <= 1.0f, "position %d: %g",
               position, averages.factor);
    const std::string_view count = std::string_view(averages.label);
    const size_t suffix = count.rfind(" Averages");
    FUZZ_CHECK(suffix != std::string_view::npos && suffix + 9 == count.size() &&
                   (fuzz::IsMaskText(count.substr(0, suffix), 0) ||
                    fuzz::IsMaskText(count.substr(0, suffix), 1)),
               "position %d: \"%s\"", position, averages.label.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const double value = fuzz::ConsumeAnyDouble(input);
    for (int decimals = 0; decimals <= 2; ++decimals)
        CheckMask(value, decimals);
    const float frequency = fuzz::ConsumeAnyFloat(input);
    const float level = fuzz::ConsumeAnyFloat(input);
    CheckReadout(frequency, level);
    CheckSliderLabels(input.ConsumeIntegral<int32_t>());
    return 0;
}
