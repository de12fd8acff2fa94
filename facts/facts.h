// The facts about the main window that more than one module needs: control
// and menu identifiers, the sample-rate buttons, the icon, the Start/Stop
// captions, the two window handles and
// the sample rate the plot's frequencies are measured in. A leaf: it includes
// nothing of the program's modules, and they all may include it.
#pragma once
#include <windows.h>
#include <cstdint>

namespace facts {

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

// The sample-rate panel's buttons, in their order on the panel: identifier,
// caption and samples per second.
struct RateButton {
    int id;
    const char* caption;
    int32_t rate;
};
constexpr RateButton RateButtons[] = {
    {IdRate11025, "&11025", 11025}, {IdRate22050, "&22050", 22050}, {IdRate44100, "&44100", 44100}};

// The program's icon (ICON1 of resources/spectrum.rc): the main window's and
// the About box's.
constexpr char IconName[] = "icon1";

// The Start/Stop button's captions. Whether capture runs is the caption,
// compared exactly.
constexpr char StartCaption[] = "&Start";
constexpr char StopCaption[] = "&Stop";

extern HWND MainDialog;       // the main window; written by app/ when it builds it
extern HWND SampleRatePanel;  // child dialog holding the rate buttons; written by app/

// Samples per second of the last Start, 0 before it. Written by capture/ only;
// the plot reads it to turn bins into Hz.
extern int32_t SampleRate;

}  // namespace facts
