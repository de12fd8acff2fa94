// Dialogs of the window layer built from in-memory templates, in dialog units
// or in pixels.
#pragma once
#include <windows.h>

namespace winlayer {

// How the positions and sizes given to CreateDialogWindow and AddControl are
// measured: dialog units of the dialog font, or pixels.
enum class Units { Dialog, Pixels };

// Creates a hidden dialog from an in-memory DLGTEMPLATEEX (no controls, no
// menu, default class, always DS_SETFONT with "MS Sans Serif" 8 pt) whose
// messages go through the layer's routing. In dialog units the system places it as a template says
// (relative to the owner's or parent's client area; DS_CENTER centres it). In
// pixels (x, y) is relative to the owner's or parent's client area and
// (cx, cy) is the exact client size; the frame is added around it.
HWND CreateDialogWindow(HWND owner, const char* title, DWORD style, DWORD exStyle,
                        int x, int y, int cx, int cy, Units units = Units::Dialog);

}  // namespace winlayer
