// The menu commands of export and the accessories: the spectrum to a dated
// file and to the clipboard, the help file, the About box, the volume mixer
// and the audio page of the control panel. Each is a handler bound to its
// menu item; none looks at its arguments. They read dsp::Spectrum,
// dsp::ReferenceLevel and facts::SampleRate and write none of them. The
// clock, the processes, the shell and the Windows version are reached
// through platform::Calls.
#pragma once
#include <windows.h>

// "export" is a keyword; the module's namespace is export_.
namespace export_ {

// Identifiers of the About box's two labels.
enum : int {
    IdAboutTitle = 10001,
    IdAboutCredits = 10002,
};

// The About box while ShowAbout runs, else 0.
extern HWND AboutBox;
// Its title font while it is open, else 0; ShowAbout creates and deletes it.
extern HFONT AboutTitleFont;

// "Save FFT to file": writes the spectrum text and one more "\r\n" to
// FFTddMonthyyyyhhmmss.txt in the current directory, replacing a file of
// that name. When the file cannot be created or fully written it says so in
// a "Warning" box naming the file; success is silent. Returns 0.
INT_PTR SaveFftToFile(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// "Save FFT to clipboard": the spectrum text as CF_TEXT, with
// facts::MainDialog as the clipboard's owner. A clipboard that another
// program holds is asked again for about a quarter of a second; when it stays
// busy or refuses the text, "Spectrum couldn't be copied to the clipboard!"
// says so. The memory block passes to the clipboard when it takes it and is
// freed here when it does not. Returns 0.
INT_PTR SaveFftToClipboard(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// "Help": opens "help spectrum.htm" of the current directory with the shell
// (no folder given, so the shell uses the current one as it is), warning
// "Help file didn't open!" when it fails; returns the shell's result (above
// 32 on success).
INT_PTR ShowHelp(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// "About": builds the About box owned by facts::MainDialog and runs it
// modally until its close box ends it; returns 0.
INT_PTR ShowAbout(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// "Mixer": starts "Sndvol32.exe" of the system folder, or "SndVol.exe" (the
// mixer from Vista on) when that does not start, each by its full path and
// in the system folder; warns "Volume mixer didn't open!" when neither
// starts. Returns 0.
INT_PTR RunMixer(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// "Audio Devices": starts the control panel's audio page with the system
// folder's rundll32.exe, by its full path and in the system folder: page 2
// of mmsys.cpl up to XP, page 1 (Recording) from Vista on, by the major
// version platform::Calls reports. Warns "Audio devices panel didn't open!"
// when it does not start. Returns 0.
INT_PTR RunAudioDevices(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Starts `commandLine` in `directory` (0: the current one) without waiting
// for it and closes both handles at once; the new process's id, or 0 when it
// did not start.
DWORD RunDetached(const char* commandLine, const char* directory = nullptr);

}  // namespace export_
