// The main window: its construction from the layout table, its event handler
// and the dispatch of its commands to the modules that own them. Its handles
// and identifiers are in facts/facts.h.
#pragma once
#include <windows.h>

#include "facts/facts.h"

namespace app {

// The program's main window from start to close: builds it, initialises and
// shows it and runs its loop until the window is gone. Returns the value the
// window was ended with (0). `owner` is always 0.
INT_PTR RunMainWindow(HWND owner);

// The steps of RunMainWindow, apart so that tests can drive a real main
// window without entering its loop.
// Builds the hidden window with its icon, controls and menu, sets up the
// analysis tables and creates the plot surface.
void BuildMainWindow(HWND owner);
// Gives MainDialogProc WM_INITDIALOG and WM_SIZE, binds it and shows the
// window.
void ShowMainWindow();
// The main window's message loop; returns its end value once it is gone.
INT_PTR MainWindowLoop();

// The main window's event handler; returns 0 for every message but
// WM_SETCURSOR over the plot, which it answers with the cross-hair.
INT_PTR MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace app
