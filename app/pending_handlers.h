// Handlers the main window binds to its menu items and sliders whose real
// work lives in other modules and is not written yet. Each returns 0 for now;
// when a module brings its own, its declaration replaces the one here.
#pragma once
#include <windows.h>

namespace app {

INT_PTR SaveFftToFile(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR SaveFftToClipboard(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR RunMixer(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR RunAudioDevices(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR ShowHelp(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR ShowAbout(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR OnOffsetSlider(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR OnAveragesSlider(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace app
