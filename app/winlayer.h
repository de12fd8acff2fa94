// The thin window layer over Win32 that every dialog of the program uses.
#pragma once
#include <windows.h>

namespace winlayer {

// Colour meaning "the system's default colour for this kind of window".
constexpr COLORREF DefaultColour = static_cast<COLORREF>(-1);

// Gives a control, or a dialog itself, its own text and background colours,
// answered in WM_CTLCOLOR... by the dialog's routing. The layer owns the solid
// background brush and deletes it when the colour is replaced.
void SetColours(HWND window, COLORREF text, COLORREF background);

}  // namespace winlayer
