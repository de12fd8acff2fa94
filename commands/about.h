// The About box: the Help menu's "About", a handler bound to its menu item.
#pragma once
#include <windows.h>

namespace commands {

// Identifiers of the About box's two labels.
enum : int {
    IdAboutTitle = 10001,
    IdAboutCredits = 10002,
};

// The About box while ShowAbout runs, else 0.
extern HWND AboutBox;
// Its title font while it is open, else 0; ShowAbout creates and deletes it.
extern HFONT AboutTitleFont;

// "About": builds the About box owned by facts::MainDialog and runs it
// modally until its close box ends it; returns 0.
INT_PTR ShowAbout(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace commands
