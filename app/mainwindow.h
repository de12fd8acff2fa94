// The main window: its construction, its event handler and the handles of the
// main window and the sample-rate panel, valid for the whole run.
#pragma once
#include <windows.h>
#include <cstdint>

namespace app {

// Control and menu identifiers of the main window.
enum : int {
    IdPlot = 1003,
    IdStartStop = 1004,
    IdAveragesSlider = 1005,
    IdFreqScaleGroup = 1007,
    IdLinear = 1008,
    IdLogarithmic = 1009,
    IdRate11025 = 1010,
    IdRateGroup = 1011,
    IdRate22050 = 1017,
    IdRate44100 = 1018,
    IdWindowSelector = 1022,
    IdOffsetSlider = 1024,
    IdMenuMixer = 1025,
    IdMenuAudioDevices = 1026,
    IdMenuSaveToFile = 1027,
    IdMenuSaveToClipboard = 1028,
    IdMenuSelectSoundcard = 1029,
    IdMenuHelp = 2000,
    IdMenuAbout = 2001,
    IdLiveReadout = 2100,
    IdZoomReadout = 2101,
    IdAveragesLabel = 2102,
    IdOffsetLabel = 2103,
};

extern HWND MainDialog;       // the main window; owned by this module
extern HWND SampleRatePanel;  // child dialog holding the rate buttons

// The window functions in the order of the selector's items; an item's index
// is the window kind.
constexpr int WindowNameCount = 6;
extern const char* const WindowNames[WindowNameCount];

// The program's main window from start to close: builds it, initialises and
// shows it and runs its loop until the window is gone. Returns the value the
// window was ended with (0). `owner` is always 0.
INT_PTR RunMainWindow(HWND owner);

// The steps of RunMainWindow, apart so that tests can drive a real main
// window without entering its loop.
// Builds the hidden window with its icon, controls and menu, sets up the
// analysis tables and creates the plot surface.
void BuildMainWindow(HWND owner);
// Gives MainDialogProc WM_INITDIALOG and WM_SIZE, binds it and shows the
// window.
void ShowMainWindow();
// The main window's message loop; returns its end value once it is gone.
INT_PTR MainWindowLoop();

// The main window's event handler; returns 0 for every message.
INT_PTR MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace app
