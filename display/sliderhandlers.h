// The handlers of the offset and averages sliders, bound to the sliders by
// app/. They set dsp::OffsetMultiplier and dsp::AveragingFactor, which the
// next pass reads, and write the sliders' labels.
#pragma once
#include <windows.h>

namespace display {

// A scroll request of the offset slider that moved its thumb: its label and
// dsp::OffsetMultiplier follow the new position. Looks only at wParam (the
// request code and, while the thumb is dragged, its position). Returns 0.
INT_PTR OnOffsetSlider(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The same for the averages slider: its label and dsp::AveragingFactor
// follow it, and the off-screen picture is blackened, as the average starts
// to span a different number of spectra. Returns 0.
INT_PTR OnAveragesSlider(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace display
