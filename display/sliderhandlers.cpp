#include "display/sliderhandlers.h"

#include <commctrl.h>

#include <optional>

#include "display/sliders.h"
#include "display/surface.h"
#include "dsp/fft.h"
#include "facts/facts.h"

namespace display {

namespace {

// Where the request left the slider's thumb, or nothing for a message that
// moves no thumb. Requests without a position of their own (keys, wheel,
// clicks beside the thumb, the end of a move) come after the control has
// moved, so the control is asked.
std::optional<int32_t> RequestedPosition(int sliderId, WPARAM wParam)
{
    const LRESULT queried =
        SendDlgItemMessageA(facts::MainDialog, sliderId, TBM_GETPOS, 0, 0);
    return SliderPosition(LOWORD(wParam), HIWORD(wParam), static_cast<int32_t>(queried));
}

}  // namespace

INT_PTR OnOffsetSlider(HWND, UINT, WPARAM wParam, LPARAM)
{
    const std::optional<int32_t> position = RequestedPosition(facts::IdOffsetSlider, wParam);
    if (!position)
        return 0;
    const OffsetSetting setting = OffsetSettingAt(*position);
    SetDlgItemTextA(facts::MainDialog, facts::IdOffsetLabel, setting.label.c_str());
    dsp::SetOffsetMultiplier(setting.multiplier);
    return 0;
}

INT_PTR OnAveragesSlider(HWND, UINT, WPARAM wParam, LPARAM)
{
    const std::optional<int32_t> position = RequestedPosition(facts::IdAveragesSlider, wParam);
    if (!position)
        return 0;
    const AveragesSetting setting = AveragesSettingAt(*position);
    dsp::SetAveragingFactor(setting.factor);
    SetDlgItemTextA(facts::MainDialog, facts::IdAveragesLabel, setting.label.c_str());
    ClearPlot();
    return 0;
}

}  // namespace display
