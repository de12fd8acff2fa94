// The handlers of the offset (1024) and averages (1005) sliders, bound to the
// sliders by app/. They write dsp::OffsetMultiplier and dsp::AveragingFactor,
// which the next pass reads, and the sliders' labels 2103 and 2102.
#pragma once
#include <windows.h>

namespace display {

// A scroll request of the offset slider that moved its thumb: label 2103 and
// dsp::OffsetMultiplier follow the new position. Looks only at wParam (the
// request code and, while the thumb is dragged, its position). Returns 0.
INT_PTR OnOffsetSlider(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The same for the averages slider: label 2102 and dsp::AveragingFactor
// follow it, and the off-screen picture is blackened, as the average starts
// to span a different number of spectra. Returns 0.
INT_PTR OnAveragesSlider(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace display
