// Help, the volume mixer and the audio page of the control panel: the shell
// and detached processes, reached through winlayer::platform::Calls. Each command is a
// handler bound to its menu item that does not look at its arguments.
#pragma once
#include <windows.h>

namespace commands {

// "Help": opens "help spectrum.htm" of the current directory with the shell
// (no folder given, so the shell uses the current one as it is), warning
// "Help file didn't open!" when it fails; returns the shell's result (above
// 32 on success).
INT_PTR ShowHelp(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// "Mixer": starts "Sndvol32.exe" of the system folder, or "SndVol.exe" (the
// mixer from Vista on) when that does not start, each by its full path and
// in the system folder; warns "Volume mixer didn't open!" when neither
// starts. Returns 0.
INT_PTR RunMixer(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// "Audio Devices": starts the control panel's audio page with the system
// folder's rundll32.exe, by its full path and in the system folder: page 2
// of mmsys.cpl up to XP, page 1 (Recording) from Vista on, by the major
// version winlayer::platform::Calls reports. Warns "Audio devices panel didn't open!"
// when it does not start. Returns 0.
INT_PTR RunAudioDevices(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Starts `commandLine` in `directory` (0: the current one) without waiting
// for it and closes both handles at once; the new process's id, or 0 when it
// did not start.
DWORD RunDetached(const char* commandLine, const char* directory = nullptr);

}  // namespace commands
