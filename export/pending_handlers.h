// The menu handlers of export and the accessories (file, clipboard, mixer,
// audio devices, help, About), not written yet: each returns 0 and does
// nothing. The real ones replace these, under the same names.
#pragma once
#include <windows.h>

// "export" is a keyword; the module's namespace is export_.
namespace export_ {

INT_PTR SaveFftToFile(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR SaveFftToClipboard(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR RunMixer(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR RunAudioDevices(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR ShowHelp(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR ShowAbout(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace export_
