#include "export/pending_handlers.h"

namespace export_ {

INT_PTR SaveFftToFile(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR SaveFftToClipboard(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR RunMixer(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR RunAudioDevices(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR ShowHelp(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR ShowAbout(HWND, UINT, WPARAM, LPARAM) { return 0; }

}  // namespace export_
