#include "display/sliders.h"

#include "dsp/numeric.h"

#include <cmath>

namespace display {

namespace {

// The control bounds the position; a message that carries another value
// still must not reach a multiplier beyond the 32-bit range.
int32_t Limit(int32_t position, int32_t last)
{
    if (position < 0)
        return 0;
    return position > last ? last : position;
}

}  // namespace

std::optional<int32_t> SliderPosition(int32_t code, int32_t thumbPosition,
                                      int32_t queriedPosition)
{
    switch (code) {
    case SliderThumbPosition:
    case SliderThumbTrack:
        return thumbPosition;
    case SliderLineUp:
    case SliderLineDown:
    case SliderPageUp:
    case SliderPageDown:
    case SliderTop:
    case SliderBottom:
    case SliderEndTrack:
        // These messages carry no position; the thumb has already moved.
        return queriedPosition;
    default:
        return std::nullopt;
    }
}

OffsetSetting OffsetSettingAt(int32_t position)
{
    const int32_t k = OffsetSliderMax - Limit(position, OffsetSliderMax);
    OffsetSetting setting;
    setting.multiplier = dsp::Nearest(std::pow(10.0, k / 2.0));
    // The space is the sign place of the non-negative number.
    setting.label = "Offset + " + std::to_string(10 * k) + "dB";
    return setting;
}

AveragesSetting AveragesSettingAt(int32_t position)
{
    const int32_t v = AveragesSliderMax - Limit(position, AveragesSliderMax);
    AveragesSetting setting;
    setting.factor = static_cast<float>(1.0 / std::pow(2.0, v / 10.0));
    // The count shown is that of the stored single, not of the exact power.
    const double count = 1.0 / static_cast<double>(setting.factor);
    setting.label = dsp::FormatMask(count, count > 10.0 ? 0 : 1) + " Averages";
    return setting;
}

}  // namespace display
