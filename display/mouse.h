// The mouse over the plot: the main window's mouse messages, its pointer and
// its repaint, each turned into one step of display/mousezoom.h, and the
// mouse and zoom state those steps keep.
#pragma once
#include <windows.h>

#include "display/mousezoom.h"

namespace display {

// The main window's mouse and zoom state (CursorX, CursorFrequency, ZoomMode,
// Dragging, DragLastX, SelectionStart, SelectionEnd; display/mousezoom.h says
// what each holds). Written by the steps below and by app/'s hook at every
// Start; read by the drawing.
extern MouseState Mouse;

// The main window's mouse messages; lParam is the position in its client
// area. Each turns what it finds into one step of display/mousezoom.h, keeps
// the new mouse and zoom state and draws or writes what the step names.
// WM_MOUSEMOVE: the cursor and readout state, the zoom readout, or the
// dragged band's edge.
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

// The main window's WM_PAINT: the live plot redrawn at Mouse.CursorX and
// copied, also over a zoom view or a dragged band, whose state stays.
void RepaintPlot();

// Capture's start hook: back to the live plot from a zoom or a drag.
void LeaveZoomForCapture();

// The mouse and zoom state back to the zeros the program starts with (tests).
void ResetMouseState();

}  // namespace display
