// Mouse and zoom state of the main window. Written by the main window's mouse
// handling and by the capture engine (ZoomMode at every Start); read by the
// plot drawing.
#pragma once
#include <cstdint>

namespace app {

extern int32_t CursorX;          // plot x of the last mouse move over the plot; -1 after one elsewhere
extern float CursorFrequency;    // Hz of the bin under the mouse outside a drag
extern int32_t ZoomMode;         // 1 while a band is dragged or a zoom view is shown
extern int32_t Dragging;         // 1 from a press in the plot until the next release in it
extern int32_t DragLastX;        // edge of the inverted band, in plot pixels
extern int32_t SelectionStart;   // band ends in half-pixels
extern int32_t SelectionEnd;

}  // namespace app
