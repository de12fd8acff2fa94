// The capture engine: one polled wave-input buffer and a nested message pump
// that runs inside the click on "&Start". Owns the open device, the sample
// rate, the chosen input device and the buffer with its header and format.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <cstdint>

namespace capture {

constexpr int32_t CaptureSamples = 2048;  // one buffer: twice the FFT length

extern HWAVEIN WaveIn;                    // the open device; 0 whenever none is open
extern int32_t SampleRate;                // samples per second of the last Start; 0 before it
extern int32_t InputDevice;               // device number for waveInOpen; -1 is the wave mapper
extern WAVEFORMATEX CaptureFormat;        // PCM mono 16-bit at SampleRate, filled by StartCapture
extern int16_t CaptureBuffer[CaptureSamples];  // the one buffer the device fills
extern WAVEHDR CaptureHeader;             // the one header, pointing at CaptureBuffer

// Reads the rate buttons, opens InputDevice and records until stopped; every
// full buffer is analysed and drawn. Returns when capture has stopped, or at
// once (after a warning) when the device does not open.
void StartCapture();

// Queues the buffer and pumps messages until it comes back or WaveIn is 0;
// analyses and draws each buffer. Called by StartCapture only.
void CaptureLoop();

// One pass of the nested pump: handles at most one message, else sleeps 1 ms.
void PumpOnce();

// Puts the button back to "&Start", closes the device and re-enables the rates.
void StopCapture();

// Resets and closes the device and sets WaveIn to 0, the loop's stop signal.
void CloseWaveIn();

// Runs the analysis pass on samples 0..1023 with the window kind currently
// selected in the main window's selector.
void ProcessBuffer(const int16_t* samples);

}  // namespace capture
