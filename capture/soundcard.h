// The "Select soundcard" dialog: lists the wave-input devices by product name
// and stores the chosen one in capture::InputDevice. The dialog window exists
// only while SelectSoundcard runs.
#pragma once
#include <windows.h>

namespace capture {

enum : int {
    IdDeviceList = 1002,  // the combo box of device names
    IdDeviceOk = 4321,    // the OK button
};

extern HWND SoundcardDialog;  // the dialog while it is open, else 0

// Menu handler of "SelectSoundcard": runs the dialog modally; returns 0.
INT_PTR SelectSoundcard(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The dialog's event handler; returns 0 for every message.
INT_PTR SoundcardDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace capture
