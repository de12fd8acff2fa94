#include "capture/capture.h"

#include "capture/wavein.h"
#include "dsp/fft.h"
#include "facts/facts.h"
#include "win/winlayer.h"

namespace capture {

HWAVEIN WaveIn = 0;
int32_t InputDevice = 0;
WAVEFORMATEX CaptureFormat = {};
int16_t CaptureBuffer[CaptureSamples] = {};
WAVEHDR CaptureHeader = {};

namespace {

void Nothing() {}

HWND StartStopButton() { return GetDlgItem(facts::MainDialog, facts::IdStartStop); }

// A later checked button overrides an earlier one; with none checked the
// rate of the last Start stays.
void ReadSampleRate()
{
    struct RateButton { int id; int32_t rate; };
    const RateButton buttons[] = {
        {facts::IdRate11025, 11025}, {facts::IdRate22050, 22050}, {facts::IdRate44100, 44100}};
    for (const RateButton& button : buttons) {
        if (SendDlgItemMessageA(facts::SampleRatePanel, button.id, BM_GETCHECK, 0, 0) == BST_CHECKED)
            facts::SampleRate = button.rate;
    }
}

void FillCaptureFormat()
{
    CaptureFormat.wFormatTag = WAVE_FORMAT_PCM;
    CaptureFormat.nChannels = 1;
    CaptureFormat.nSamplesPerSec = static_cast<DWORD>(facts::SampleRate);
    CaptureFormat.wBitsPerSample = 16;
    CaptureFormat.nBlockAlign =
        static_cast<WORD>(CaptureFormat.wBitsPerSample * CaptureFormat.nChannels / 8);
    CaptureFormat.nAvgBytesPerSec = CaptureFormat.nSamplesPerSec * CaptureFormat.nBlockAlign;
}

void SetRateChoiceEnabled(BOOL enabled)
{
    EnableWindow(GetDlgItem(facts::SampleRatePanel, facts::IdRateGroup), enabled);
    EnableWindow(facts::SampleRatePanel, enabled);
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

void (*CaptureStarted)() = Nothing;
void (*BufferAnalysed)() = Nothing;

void ToggleCapture()
{
    if (StartStopCaption() == facts::StartCaption)
        StartCapture();
    else
        StopCapture();
}

std::string StartStopCaption()
{
    HWND button = StartStopButton();
    std::string caption(GetWindowTextLengthA(button) + 1, '\0');
    caption.resize(GetWindowTextA(button, &caption[0], static_cast<int>(caption.size())));
    return caption;
}

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
    SetWindowTextA(StartStopButton(), facts::StopCaption);
    CaptureStarted();
    CaptureLoop();
}

void CaptureLoop()
{
    for (;;) {
        ArmBuffer();
        do {
            winlayer::PumpOnce();
        } while (!BufferDone() && WaveIn != 0);

        // Stopped or closed during the wait: the buffer the reset handed back
        // holds a partial recording and, after a close, the plot is gone.
        if (WaveIn == 0)
            return;

        wavein::Device.Unprepare(WaveIn, &CaptureHeader);
        ProcessBuffer(CaptureBuffer);
        BufferAnalysed();
        if (WaveIn == 0)
            return;
    }
}

void StopCapture()
{
    SetWindowTextA(StartStopButton(), facts::StartCaption);
    CloseWaveIn();
    SetRateChoiceEnabled(TRUE);
}

void CloseWaveIn()
{
    wavein::Device.Reset(WaveIn);
    wavein::Device.Close(WaveIn);
    WaveIn = 0;
}

void ProcessBuffer(const int16_t* samples)
{
    const LRESULT kind = SendMessageA(
        winlayer::DialogItem(facts::MainDialog, facts::IdWindowSelector), CB_GETCURSEL, 0, 0);
    dsp::RunPass(samples, static_cast<int32_t>(kind));
}

}  // namespace capture
