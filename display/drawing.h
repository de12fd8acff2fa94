// The spectrum plot on the screen: the live picture with graticule, trace,
// cursor line and readout, the zoom view and the band inversion, and the
// handler of the sample-rate panel. Everything is drawn with the surface of
// display/surface.h, at the mouse and zoom state of display/mouse.h.
#pragma once
#include <windows.h>
#include <cstdint>

#include "display/surface.h"

namespace display {

// The frequency axis in use: LinearScale, or LogarithmicScale while the
// Logarithmic button is checked.
int32_t CurrentScale();

// Draws grid lines and dB labels for scale 0 (linear) or 1 (logarithmic)
// into the off-screen picture.
void DrawGraticule(int32_t scale);

// Draws graticule, trace of dsp::Spectrum and the cursor line at cursorX into
// the off-screen picture, copies it to the screen and writes the readout
// under Mouse.CursorFrequency (at facts::SampleRate) to the live readout.
void RedrawPlot(int32_t cursorX);

// RedrawPlot drawn the plain way: the graticule drawn anew every time, the
// trace as a LineTo per bin, the readout written every time. It gives the
// same pixels and texts; tests compare against it and the benchmark times it.
void RedrawPlotReference(int32_t cursorX);

// A freshly analysed buffer: the picture blackened and, unless a zoom view
// is up, redrawn at Mouse.CursorX.
void ShowNewSpectrum();

// Draws the band s..e (half pixels, s < e) of dsp::Spectrum stretched over
// the whole plot, directly on the screen.
void DrawZoomView(int32_t s, int32_t e);

// Inverts the screen columns between x1 and x2 over the plot's full height.
void InvertBand(int32_t x1, int32_t x2);

// Handler of the sample-rate panel: a command from one of the rate buttons
// blackens the off-screen picture. Returns 0.
INT_PTR OnSampleRatePanel(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace display
