// The thin window layer over Win32 that every dialog of the program uses:
// dialogs from in-memory templates, child controls, menu items, handlers bound
// to them, per-control colours, message routing, ending a dialog, the modal
// loops and the one message pump. It knows nothing of what the dialogs show.
// The layer owns its bindings, the colour brushes it creates and the icons it
// loads; all of them are freed when their dialog is destroyed.
#pragma once
#include <windows.h>

namespace winlayer {

// An event handler: the shape of a dialog procedure. A non-zero result ends
// the routing of the message with that value; 0 lets it go on.
typedef INT_PTR (*Handler)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Colour meaning "the system's default colour for this kind of window".
constexpr COLORREF DefaultColour = static_cast<COLORREF>(-1);

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

// Binds a handler to a dialog or to one of its controls (0 unbinds). Every
// handler receives the message as the dialog received it: the window argument
// is the dialog, also for a control's or a menu item's handler.
void Bind(HWND window, Handler handler);

// The handler bound to a window, or 0.
Handler BoundHandler(HWND window);

// A handler's answer to a message whose result its sender reads (such as
// WM_SETCURSOR): keeps `result` as the dialog's message result and returns
// TRUE, which ends the routing and the system's default handling.
INT_PTR Answer(HWND dialog, LRESULT result);

// Appends a plain-string item with its identifier to a pop-up menu; the item
// data holds the handler the routing calls for it.
void AddMenuItem(HMENU popup, const char* text, UINT id, Handler handler);

// Appends a pop-up menu to a menu bar (identifier 0, no handler).
void AddMenuPopup(HMENU bar, const char* text, HMENU popup);

// Gives a control, or a dialog itself, its own text and background colours,
// answered in WM_CTLCOLOR... by the dialog's routing. The layer owns the solid
// background brush and deletes it when the colour is replaced.
void SetColours(HWND window, COLORREF text, COLORREF background);

// Loads the icon resource `name` of the program at 32 x 32 and 16 x 16 and
// sets them as the dialog's big and small icon. The layer destroys them with
// the dialog. A missing icon is simply not set.
void SetDialogIcon(HWND dialog, const char* name);

// The common dialog procedure of every dialog made by CreateDialogWindow.
INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Ends a dialog: sends it WM_CLOSE, re-enables its owner or parent, keeps
// `value` as its end value and destroys it.
void EndDialogWithValue(HWND dialog, INT_PTR value);

// Shows a dialog that needs no loop of its own: the handler gets
// WM_INITDIALOG and WM_SIZE, is bound, and the dialog is shown and redrawn.
void ShowDialog(HWND dialog, Handler handler);

// First half of a modal run: the handler (if any) gets WM_INITDIALOG and
// WM_SIZE and is bound; an owner gets WM_CANCELMODE and is disabled; the
// dialog is shown.
void BeginModal(HWND dialog, Handler handler);

// Second half: the dialog's message loop until the window no longer exists,
// keyboard messages going to the dialog; then an owner is re-enabled and gets
// the focus. Returns the end value. Each pass is one pass of the pump below.
INT_PTR ModalLoop(HWND dialog);

// BeginModal and ModalLoop.
INT_PTR RunModal(HWND dialog, Handler handler);

// The dialog the user activated last, 0 when the last one was deactivated.
HWND ActiveDialog();

// The program's one kind of message to the user: a box without an owner,
// captioned "Warning", with the exclamation icon and an OK button, shown
// until OK is pressed.
void Warn(const char* text);

// One pass of the message pump for loops that belong to no dialog (the
// capture loop): takes at most one message and treats it as the modal loop
// does, keyboard messages going to ActiveDialog(); sleeps 1 ms when none
// waits. Returns whether a message was handled.
bool PumpOnce();

}  // namespace winlayer
