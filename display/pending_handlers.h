// The slider handlers the main window binds, not written yet: each returns 0
// and changes nothing. The real ones replace these, under the same names.
#pragma once
#include <windows.h>

namespace display {

INT_PTR OnOffsetSlider(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR OnAveragesSlider(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace display
