// Placeholders for handlers that other modules will provide; see the header.
#include "app/pending_handlers.h"

namespace app {

INT_PTR SaveFftToFile(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR SaveFftToClipboard(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR RunMixer(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR RunAudioDevices(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR ShowHelp(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR ShowAbout(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR OnOffsetSlider(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR OnAveragesSlider(HWND, UINT, WPARAM, LPARAM) { return 0; }

}  // namespace app
