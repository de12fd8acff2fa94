// The window layer's routing: the one dialog procedure of every dialog it
// makes, which gives each message to the handler bound to the control or
// menu item it concerns, then to the dialog's own, then answers it by
// default; and the dialog the keyboard belongs to. The layer knows nothing
// of what its dialogs show.
#pragma once
#include <windows.h>

namespace winlayer {

// An event handler: the shape of a dialog procedure. A non-zero result ends
// the routing of the message with that value; 0 lets it go on.
typedef INT_PTR (*Handler)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

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

// The common dialog procedure of every dialog made by CreateDialogWindow.
INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The dialog the user activated last, 0 when the last one was deactivated.
HWND ActiveDialog();

}  // namespace winlayer
