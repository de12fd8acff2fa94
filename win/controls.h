// The child controls and menu items of the window layer's dialogs, their
// colours and icons. The layer owns the colour brushes it creates and the
// icons it loads; all of them are freed when their dialog is destroyed.
#pragma once
#include <windows.h>

#include "win/routing.h"
#include "win/template.h"

namespace winlayer {

// Colour meaning "the system's default colour for this kind of window".
constexpr COLORREF DefaultColour = static_cast<COLORREF>(-1);

// Creates a child control of `dialog` with CreateWindowExA and gives it the
// dialog's font (WM_SETFONT, redraw TRUE). In dialog units x, y, cx and cy
// are each converted with MapDialogRect on `dialog`, as the system converts
// a template's controls. Returns the control.
HWND AddControl(HWND dialog, const char* className, const char* text, int id,
                int x, int y, int cx, int cy, DWORD style, DWORD exStyle,
                Units units = Units::Dialog);

// The control `id` of `dialog`, as GetDlgItem finds it, remembered: under
// Wine every GetDlgItem is a round trip to the window server, and the program
// looks up the same few controls for every buffer. A remembered handle is
// used only while it is still a child of `dialog` with that identifier.
HWND DialogItem(HWND dialog, int id);

// Appends a plain-string item with its identifier to a pop-up menu; the item
// data holds the handler the routing calls for it.
void AddMenuItem(HMENU popup, const char* text, UINT id, Handler handler);

// Appends a pop-up menu to a menu bar (identifier 0, no handler).
void AddMenuPopup(HMENU bar, const char* text, HMENU popup);

// Gives a control, or a dialog itself, its own text and background colours,
// answered in WM_CTLCOLOR... by the dialog's routing. The layer owns the solid
// background brush and deletes it when the colour is replaced.
void SetColours(HWND window, COLORREF text, COLORREF background);

// Character height of a `points`-point font on a screen of the given pixels
// per inch: -(pixelsPerInch x points) / 72, truncated toward zero (-9 for 7
// points at 96).
int FontHeight(int points, int pixelsPerInch);

// A `points`-point font of `face` in normal weight at the screen's vertical
// resolution, every other field of its description 0. The caller deletes it.
HFONT CreatePointFont(const char* face, int points);

// Loads the icon resource `name` of the program at 32 x 32 and 16 x 16 and
// sets them as the dialog's big and small icon. The layer destroys them with
// the dialog. A missing icon is simply not set.
void SetDialogIcon(HWND dialog, const char* name);

}  // namespace winlayer
