// The capture engine: one polled wave-input buffer and a nested message pump.
// Owns the open device, the sample rate and the chosen input device.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <cstdint>

namespace capture {

extern HWAVEIN WaveIn;       // the open device; 0 whenever none is open
extern int32_t SampleRate;   // samples per second of the last Start; 0 before it
extern int32_t InputDevice;  // device number for waveInOpen; -1 is the wave mapper

}  // namespace capture
