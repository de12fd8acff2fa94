#include "capture/capture.h"

#include "app/mainwindow.h"
#include "app/mouse.h"
#include "app/winlayer.h"
#include "capture/wavein.h"
#include "display/plot.h"
#include "display/surface.h"
#include "dsp/fft.h"

#include <cstring>

namespace capture {

HWAVEIN WaveIn = 0;
int32_t SampleRate = 0;
int32_t InputDevice = 0;
WAVEFORMATEX CaptureFormat = {};
int16_t CaptureBuffer[CaptureSamples] = {};
WAVEHDR CaptureHeader = {};

namespace {

const char StartCaption[] = "&Start";
const char StopCaption[] = "&Stop";

HWND StartStopButton() { return GetDlgItem(app::MainDialog, app::IdStartStop); }

// A later checked button overrides an earlier one; with none checked the
// rate of the last Start stays.
void ReadSampleRate()
{
    struct RateButton { int id; int32_t rate; };
    const RateButton buttons[] = {
        {app::IdRate11025, 11025}, {app::IdRate22050, 22050}, {app::IdRate44100, 44100}};
    for (const RateButton& button : buttons) {
        if (SendDlgItemMessageA(app::SampleRatePanel, button.id, BM_GETCHECK, 0, 0) == BST_CHECKED)
            SampleRate = button.rate;
    }
}

void FillCaptureFormat()
{
    CaptureFormat.wFormatTag = WAVE_FORMAT_PCM;
    CaptureFormat.nChannels = 1;
    CaptureFormat.nSamplesPerSec = static_cast<DWORD>(SampleRate);
    CaptureFormat.wBitsPerSample = 16;
    CaptureFormat.nBlockAlign =
        static_cast<WORD>(CaptureFormat.wBitsPerSample * CaptureFormat.nChannels / 8);
    CaptureFormat.nAvgBytesPerSec = CaptureFormat.nSamplesPerSec * CaptureFormat.nBlockAlign;
}

void SetRateChoiceEnabled(BOOL enabled)
{
    EnableWindow(GetDlgItem(app::SampleRatePanel, app::IdRateGroup), enabled);
    EnableWindow(app::SampleRatePanel, enabled);
}

// The header is re-initialised before every prepare: after a stop it was
// left prepared on the closed device with its done flag set.
void ArmBuffer()
{
    CaptureHeader.lpData = reinterpret_cast<LPSTR>(CaptureBuffer);
    CaptureHeader.dwBufferLength = sizeof CaptureBuffer;
    CaptureHeader.dwFlags = 0;
    wavein::Device.Prepare(WaveIn, &CaptureHeader);
    wavein::Device.AddBuffer(WaveIn, &CaptureHeader);
}

bool BufferDone() { return (CaptureHeader.dwFlags & WHDR_DONE) != 0; }

}  // namespace

//--------------------------------------------------------------------------
// StartCapture
void StartCapture()
{
    ReadSampleRate();
    FillCaptureFormat();
    WaveIn = 0;
    wavein::Device.Open(&WaveIn, static_cast<UINT>(InputDevice), &CaptureFormat);
    if (WaveIn == 0) {
        MessageBoxA(nullptr, "Wave input device didn't open!", "Warning",
                    MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    wavein::Device.Start(WaveIn);
    SetRateChoiceEnabled(FALSE);
    SetWindowTextA(StartStopButton(), StopCaption);
    app::ZoomMode = 0;
    CaptureLoop();
}

//--------------------------------------------------------------------------
// CaptureLoop
void CaptureLoop()
{
    for (;;) {
        ArmBuffer();
        do {
            PumpOnce();
        } while (!BufferDone() && WaveIn != 0);

        // Stopped or closed during the wait: the buffer the reset handed back
        // holds a partial recording and, after a close, the plot is gone.
        if (WaveIn == 0)
            return;

        wavein::Device.Unprepare(WaveIn, &CaptureHeader);
        ProcessBuffer(CaptureBuffer);
        display::ClearPlot();
        if (app::ZoomMode == 0)
            display::RedrawPlot(app::CursorX);
        if (WaveIn == 0)
            return;
    }
}

//--------------------------------------------------------------------------
// PumpOnce
void PumpOnce()
{
    winlayer::PumpOnce();
}

//--------------------------------------------------------------------------
// StopCapture
void StopCapture()
{
    SetWindowTextA(StartStopButton(), StartCaption);
    CloseWaveIn();
    SetRateChoiceEnabled(TRUE);
}

//--------------------------------------------------------------------------
// CloseWaveIn
void CloseWaveIn()
{
    wavein::Device.Reset(WaveIn);
    wavein::Device.Close(WaveIn);
    WaveIn = 0;
}

//--------------------------------------------------------------------------
// ProcessBuffer
void ProcessBuffer(const int16_t* samples)
{
    const LRESULT kind = SendDlgItemMessageA(app::MainDialog, app::IdWindowSelector,
                                             CB_GETCURSEL, 0, 0);
    dsp::RunPass(samples, static_cast<int32_t>(kind));
}

}  // namespace capture
