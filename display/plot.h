// The spectrum plot on the screen: the live picture with graticule, trace,
// cursor line and readout, the zoom view and the band inversion, the plot's
// handlers, and the mouse and zoom state they draw by. Everything is drawn
// with the surface of display/surface.h.
#pragma once
#include <windows.h>
#include <cstdint>

#include "display/surface.h"

namespace display {

extern float ReadoutLevel;  // level in dB under the cursor, set by every RedrawPlot

// Mouse and zoom state of the main window, owned here. Written by the main
// window's mouse handling (through this header) and by app/'s hook at every
// Start (ZoomMode); read by the drawing.
extern int32_t CursorX;          // plot x of the last mouse move over the plot; -1 after one elsewhere
extern float CursorFrequency;    // Hz of the bin under the mouse outside a drag
extern int32_t ZoomMode;         // 1 while a band is dragged or a zoom view is shown
extern int32_t Dragging;         // 1 from a press in the plot until the next release in it
extern int32_t DragLastX;        // edge of the inverted band, in plot pixels
extern int32_t SelectionStart;   // band ends in half-pixels
extern int32_t SelectionEnd;

// Draws grid lines and dB labels for scale 0 (linear) or 1 (logarithmic)
// into the off-screen picture.
void DrawGraticule(int32_t scale);

// Draws graticule, trace of dsp::Spectrum and the cursor line at cursorX into
// the off-screen picture, copies it to the screen and writes the readout
// under CursorFrequency (at facts::SampleRate) to label 2100 and ReadoutLevel.
void RedrawPlot(int32_t& cursorX);

// RedrawPlot drawn the plain way: the graticule drawn anew every time, the
// trace as a LineTo per bin, the readout written every time. It gives the
// same pixels and texts; tests compare against it and the benchmark times it.
void RedrawPlotReference(int32_t& cursorX);

// A freshly analysed buffer: the picture blackened and, unless a zoom view
// is up, redrawn at CursorX.
void ShowNewSpectrum();

// The main window's WM_PAINT: the live plot redrawn at CursorX and copied,
// also over a zoom view or a dragged band, whose state stays.
void RepaintPlot();

// The main window's mouse messages; lParam is the position in its client
// area. Each turns what it finds into one step of display/mousezoom.h, keeps
// the new mouse and zoom state and draws or writes what the step names.
// WM_MOUSEMOVE: the cursor and readout state, the zoom readout (2101), or
// the dragged band's edge.
void FollowMouse(LPARAM lParam);
// WM_LBUTTONDOWN: a band anchored where the plot was pressed; the live plot
// freezes.
void BeginZoomSelection(LPARAM lParam);
// WM_LBUTTONUP: the band ends here and its zoom view is drawn, or the live
// plot resumes when it is empty.
void EndZoomSelection(LPARAM lParam);
// WM_SETCURSOR (lParam: hit-test code and message): sets the cross-hair and
// returns true over the plot's client area once a buffer has been analysed;
// false leaves the pointer to the system.
bool ShowPlotPointer(LPARAM lParam);

// Capture's start hook: back to the live plot from a zoom or a drag.
void LeaveZoomForCapture();

// Every mouse and zoom variable back to the 0 the program starts with (tests).
void ResetMouseState();

// Draws the band s..e (half pixels, s < e) of dsp::Spectrum stretched over
// the whole plot, directly on the screen.
void DrawZoomView(int32_t s, int32_t e);

// Inverts the screen columns between x1 and x2 over the plot's full height.
void InvertBand(int32_t x1, int32_t x2);

// Handler of the sample-rate panel: a command from one of the rate buttons
// blackens the off-screen picture. Returns 0.
INT_PTR OnSampleRatePanel(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace display
