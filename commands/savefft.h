// The spectrum to a dated file and to the clipboard: the File menu's two
// commands, each a handler bound to its menu item that does not look at its
// arguments. They read dsp::Spectrum, dsp::ReferenceLevel and
// facts::SampleRate and write none of them; the clock is reached through
// winlayer::platform::Calls.
#pragma once
#include <windows.h>

namespace commands {

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

}  // namespace commands
