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

}  // namespace app
