// The capture engine: one polled wave-input buffer and a nested message pump
// that runs inside the click on Start. Owns the open device, the chosen
// input device and the buffer with its header and format, and writes
// facts::SampleRate at every Start. It sees no plot: what the plot does at a
// Start and with each buffer comes through the two hooks below.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <cstdint>
#include <string>

#include "dsp/sizes.h"

namespace capture {

extern HWAVEIN WaveIn;                    // the open device; 0 whenever none is open
extern int32_t InputDevice;               // device number for waveInOpen; -1 is the wave mapper
extern WAVEFORMATEX CaptureFormat;        // PCM mono 16-bit at SampleRate, filled by StartCapture
extern int16_t CaptureBuffer[dsp::CaptureSamples];  // the first buffer the device fills
extern WAVEHDR CaptureHeader;             // its header, pointing at CaptureBuffer
// The window kind the user chose last in the selector; the pass uses it
// while typing in the selector's field leaves no entry selected.
extern int32_t WindowKindInUse;

// Set by StartUp; until then they do nothing. CaptureStarted runs once the
// device records, before the first buffer; BufferAnalysed after every buffer
// has gone through ProcessBuffer.
extern void (*CaptureStarted)();
extern void (*BufferAnalysed)();

// The capture part of building the main window: device 0, the first window
// kind in use, and the two hooks through which app/ joins capture to the plot.
void StartUp(void (*started)(), void (*analysed)());

// The Start/Stop button's command: starts capture when the caption is exactly
// facts::StartCaption, else stops it.
void ToggleCapture();

// The Start/Stop button's caption as it stands.
std::string StartStopCaption();

// Reads the rate buttons, opens InputDevice and records until stopped; every
// full buffer is analysed and handed to BufferAnalysed. Returns when capture
// has stopped, or at once (after a warning) when the device does not open or
// no buffer can be had for it.
void StartCapture();

// Queues the buffer and pumps messages until it comes back or WaveIn is 0;
// analyses each buffer that holds at least FftLength samples and queues a
// shorter one again unused. A device that will not take the buffer, or leaves
// the loop waiting past its patience (capture/patience.h), is closed as Stop
// closes it and the user is warned "Wave input device stopped!". Called by
// StartCapture only.
void CaptureLoop();

// Whether a device is open (WaveIn is not 0): capture runs, or a modal loop
// inside it has the device stopped but not yet let go.
bool DeviceIsOpen();

// Puts the button back to facts::StartCaption, closes the device and
// re-enables the rates.
void StopCapture();

// Lets the device go and sets WaveIn to 0, the loop's stop signal: resets
// it, waits up to half a second (without pumping) for the driver to hand the
// buffer back, unprepares the buffer and closes the device, asking again
// while the driver says it still holds the buffer. Once the device has
// closed the buffer is the program's again, whatever its header still says.
// A device that will not close keeps its buffer, each such device its own:
// it is asked again before every open, and until it closes capture records
// into another buffer.
void CloseWaveIn();

// At the program's end, once capture has stopped: every device that would
// not close is asked once more, and the buffers made while devices held the
// first one are freed, but for any that a device still holds.
void ReleaseBuffers();

// Runs the analysis pass on samples 0..1023 with the window kind currently
// selected in the main window's selector, or WindowKindInUse while none is.
void ProcessBuffer(const int16_t* samples);

// The window selector's handler: keeps WindowKindInUse as the user chooses,
// chooses the entry whose name is typed (in any case) and gives the field
// back the name of the kind in use when it loses the focus. Returns 0, so
// the main window's own handling of the selector follows.
INT_PTR OnWindowSelector(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace capture
