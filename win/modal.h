// Showing and ending the window layer's dialogs, the modal loops and the one
// message pump they share with the capture loop, and the program's warning
// box.
#pragma once
#include <windows.h>

#include "win/routing.h"

namespace winlayer {

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
