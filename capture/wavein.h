// The wave-input layer: the few winmm calls the capture engine and the
// sound-card dialog make, behind one table of functions so that tests can put
// a scripted device in place of the sound card. The production table calls
// the system folder's winmm, loaded at the first call; the engine always goes
// through `wavein::Device`.
#pragma once
#include <windows.h>
#include <mmsystem.h>

namespace capture {
namespace wavein {

struct Functions {
    // Opens device `device` for `format` with no notification of any kind;
    // leaves *handle 0 when the device does not open.
    MMRESULT (*Open)(HWAVEIN* handle, UINT device, const WAVEFORMATEX* format);
    MMRESULT (*Start)(HWAVEIN handle);
    // Prepare, queue and unprepare the one caller-owned buffer; its done flag
    // (WHDR_DONE in dwFlags) is what the caller polls.
    MMRESULT (*Prepare)(HWAVEIN handle, WAVEHDR* header);
    MMRESULT (*AddBuffer)(HWAVEIN handle, WAVEHDR* header);
    MMRESULT (*Unprepare)(HWAVEIN handle, WAVEHDR* header);
    // Stops recording and hands the queued buffer back marked done.
    MMRESULT (*Reset)(HWAVEIN handle);
    MMRESULT (*Close)(HWAVEIN handle);
    // Number of wave-input devices, and the capabilities (product name) of one.
    UINT (*DeviceCount)();
    MMRESULT (*DeviceCaps)(UINT device, WAVEINCAPSA* caps);
};

// The table the program uses; starts as System(). Tests may replace it.
extern Functions Device;

// The functions that call winmm. Without a winmm in the system folder, Open
// fails and DeviceCount is 0; the others are only called with an open device.
Functions System();

}  // namespace wavein
}  // namespace capture
