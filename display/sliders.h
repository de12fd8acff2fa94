// The arithmetic and label texts of the offset and averages sliders, and which
// trackbar requests change a setting. Pure functions of slider positions; the
// Win32 handlers read the control, call these and write the label and the
// setting. No <windows.h>.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace display {

// Ranges of the two vertical sliders; position 0 is the top.
constexpr int32_t OffsetSliderMax = 10;     // the offset slider runs 0 to 10
constexpr int32_t AveragesSliderMax = 100;  // the averages slider runs 0 to 100

// Trackbar request codes, the low word of a scroll message's wParam.
enum : int32_t {
    SliderLineUp = 0, SliderLineDown = 1, SliderPageUp = 2, SliderPageDown = 3,
    SliderThumbPosition = 4, SliderThumbTrack = 5,  // the thumb is dragged, or let go
    SliderTop = 6, SliderBottom = 7, SliderEndTrack = 8
};

// The position a slider's request leaves the thumb at: for the thumb-drag
// codes (4, 5) the thumb position of the message's high word, for the codes
// of the keyboard, the wheel, clicks beside the thumb and the end of a move
// (0 to 3, 6 to 8) the position queried from the control; no position for
// any other value (notifications pass the slider's identifier instead).
std::optional<int32_t> SliderPosition(int32_t code, int32_t thumbPosition,
                                      int32_t queriedPosition);

// What the offset slider sets at a position (limited to 0 to 10): with
// k = 10 - position, the multiplier nearest(10^(k / 2)) and the label
// "Offset + 0dB" ... "Offset + 100dB".
struct OffsetSetting {
    int32_t multiplier;  // for dsp::OffsetMultiplier
    std::string label;   // for the label facts::IdOffsetLabel
};
OffsetSetting OffsetSettingAt(int32_t position);

// What the averages slider sets at a position (limited to 0 to 100): with
// v = 100 - position, the factor 1 / 2^(v / 10) in single precision and the
// label of N = 1 / factor averages, "1.0 Averages" ... "9.8 Averages" with
// one decimal up to 10, "11 Averages" ... "1024 Averages" without above.
struct AveragesSetting {
    float factor;        // for dsp::AveragingFactor
    std::string label;   // for the label facts::IdAveragesLabel
};
AveragesSetting AveragesSettingAt(int32_t position);

}  // namespace display
