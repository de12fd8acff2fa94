// The export text with any spectrum content (NaNs, infinities, negatives,
// subnormals), any sample rate and any reference level: never a read past
// spectrum[HalfLength], always BinCount lines of "<frequency 0.0>\t<level 0.00>\r\n",
// the frequency that of the bin, the level 20 log10(a / reference) rounded,
// -inf for an amplitude of 0, or 0.00 where that logarithm does not exist.
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

#include "dsp/fft.h"
#include "dsp/numeric.h"
#include "dsp/sizes.h"
#include "commands/spectrumtext.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// |shown - exact| within half a unit of the mask's last digit and the
// double's resolution.
bool Rounded(std::string_view field, double exact, double halfUnit)
{
    const double shown = std::strtod(std::string(field).c_str(), nullptr);
    return std::fabs(shown - exact) <= halfUnit * (1 + 1e-9) + std::fabs(exact) * 0x1p-50;
}

void CheckLine(std::string_view line, int32_t bin, float amplitude, int32_t rate,
               int32_t reference)
{
    const size_t tab = line.find('\t');
    FUZZ_CHECK(tab != std::string_view::npos, "line %d has no tab", bin);
    const std::string_view frequency = line.substr(0, tab);
    const std::string_view level = line.substr(tab + 1);
    FUZZ_CHECK(fuzz::IsMaskText(frequency, 1) &&
                   (amplitude == 0.0f ? level == "-inf" : fuzz::IsMaskText(level, 2)),
               "line %d: \"%.*s\"", bin, static_cast<int>(line.size()), line.data());
    const double hertz = static_cast<double>(bin) * rate / dsp::FftLength;
    FUZZ_CHECK(Rounded(frequency, hertz, 0.05), "line %d at rate %d: \"%.*s\"", bin, rate,
               static_cast<int>(frequency.size()), frequency.data());
    const double ratio = static_cast<double>(amplitude) / reference;
    if (amplitude == 0.0f)
        return;
    if (ratio > 0.0 && std::isfinite(ratio)) {
        FUZZ_CHECK(Rounded(level, 20.0 * std::log10(ratio), 0.005),
                   "line %d: amplitude %g over %d reads \"%.*s\"", bin, amplitude, reference,
                   static_cast<int>(level.size()), level.data());
    } else {
        FUZZ_CHECK(level == "0.00", "line %d: amplitude %g over %d reads \"%.*s\"", bin,
                   amplitude, reference, static_cast<int>(level.size()), level.data());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const int32_t rate = input.ConsumeIntegral<int32_t>();
    const int32_t reference =
        input.ConsumeBool() ? dsp::StartingReferenceLevel : input.ConsumeIntegral<int32_t>();
    const auto spectrum = fuzz::ConsumeArray<float>(input, dsp::BinCount);

    const std::string text = commands::BuildSpectrumText(spectrum.get(), rate, reference);

    std::string_view rest = text;
    for (int32_t bin = 0; bin < dsp::BinCount; ++bin) {
        const size_t end = rest.find("\r\n");
        FUZZ_CHECK(end != std::string_view::npos, "only %d lines", bin);
        const std::string_view line = rest.substr(0, end);
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string_view::npos,
                   "line %d holds a stray line break", bin);
        CheckLine(line, bin, spectrum[bin], rate, reference);
        rest.remove_prefix(end + 2);
    }
    FUZZ_CHECK(rest.empty(), "%zu characters after line %d", rest.size(), dsp::BinCount);
    return 0;
}
