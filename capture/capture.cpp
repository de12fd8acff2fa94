#include "capture/capture.h"

#include "capture/patience.h"
#include "capture/wavein.h"
#include "dsp/fast_pass.h"
#include "facts/facts.h"
#include "win/platform.h"
#include "win/controls.h"
#include "win/modal.h"

#include <new>

namespace capture {

namespace {

// A buffer with its header. A device that would not close (CloseWaveIn) may
// still hold its buffer: the slot is then kept with the device's handle among
// the held ones, neither reused nor freed, and the handle is asked again
// before every open. A Start records into the first slot whenever no device
// holds it, else into a slot made for it; so nothing is allocated while
// devices close as they should, and at most one made slot is not held.
struct Slot {
    WAVEHDR* header;
    int16_t* samples;  // dsp::CaptureSamples of them
    HWAVEIN holder;    // the device that would not close; 0 when none holds the buffer
    Slot* next;        // the next held slot
};

// A slot made while the first is held, with the buffer it records into.
struct MadeSlot {
    Slot slot;
    WAVEHDR header;
    int16_t samples[dsp::CaptureSamples];
};

}  // namespace

HWAVEIN WaveIn = 0;
int32_t InputDevice = 0;
WAVEFORMATEX CaptureFormat = {};
int16_t CaptureBuffer[dsp::CaptureSamples] = {};
WAVEHDR CaptureHeader = {};
int32_t WindowKindInUse = 0;

namespace {

Slot First = {&CaptureHeader, CaptureBuffer, 0, nullptr};
// The held slots, the newest first.
Slot* Held = nullptr;
// The slot of the device that is open or was opened last.
Slot* InUse = &First;

void Nothing() {}

HWND StartStopButton() { return GetDlgItem(facts::MainDialog, facts::IdStartStop); }

// A later checked button overrides an earlier one; with none checked the
// rate of the last Start stays.
void ReadSampleRate()
{
    for (const facts::RateButton& button : facts::RateButtons) {
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

// The flags as they stand now: the driver's thread sets WHDR_DONE and clears
// WHDR_INQUEUE behind the compiler's back.
DWORD HeaderFlags(const WAVEHDR& header)
{
    return *static_cast<const volatile DWORD*>(&header.dwFlags);
}

// How long letting a device go may wait for its driver, without pumping.
constexpr DWORD LettingGoMs = 500;

bool WithinLettingGo(DWORD began)
{
    return winlayer::platform::Calls.Milliseconds() - began < LettingGoMs;
}

// Unprepares `header` on `handle` unless it is not prepared; a driver that
// still holds the buffer answers WAVERR_STILLPLAYING, and is asked again.
bool UnprepareHeader(HWAVEIN handle, WAVEHDR& header)
{
    const DWORD began = winlayer::platform::Calls.Milliseconds();
    for (;;) {
        if (!(HeaderFlags(header) & WHDR_PREPARED))
            return true;
        const MMRESULT result = wavein::Device.Unprepare(handle, &header);
        if (result == MMSYSERR_NOERROR)
            return true;
        if (result != WAVERR_STILLPLAYING || !WithinLettingGo(began))
            return false;
        Sleep(1);
    }
}

// Stops `handle`, waits for the driver to hand the buffer back, unprepares it
// and closes the device; true once the handle is closed. A driver may return
// the buffer after waveInReset has returned, and waveInClose refuses with
// WAVERR_STILLPLAYING while it holds one.
bool LetGo(HWAVEIN handle, WAVEHDR& header)
{
    wavein::Device.Reset(handle);
    const DWORD began = winlayer::platform::Calls.Milliseconds();
    while ((HeaderFlags(header) & WHDR_INQUEUE) && WithinLettingGo(began))
        Sleep(1);
    UnprepareHeader(handle, header);
    MMRESULT closed = wavein::Device.Close(handle);
    if (closed == WAVERR_STILLPLAYING) {
        wavein::Device.Reset(handle);
        closed = wavein::Device.Close(handle);
    }
    return closed == MMSYSERR_NOERROR;
}

// A made slot that no device holds and nothing records into is freed.
void FreeIfUnused(Slot* slot)
{
    if (slot != &First && slot != InUse && slot->holder == 0)
        delete reinterpret_cast<MadeSlot*>(slot);
}

// Asks the device of every held slot to close once more; the slot of one
// that closes is held no longer.
void AskHoldersAgain()
{
    for (Slot** link = &Held; *link != nullptr;) {
        Slot* slot = *link;
        if (!LetGo(slot->holder, *slot->header)) {
            link = &slot->next;
            continue;
        }
        *link = slot->next;
        slot->holder = 0;
        slot->next = nullptr;
        FreeIfUnused(slot);
    }
}

// Makes InUse a slot that no device holds: the first if it can, else the
// made one last used, else a new one. False only when no memory is left for
// a new one. Each held slot's device is asked again first.
bool ChooseFreeBuffer()
{
    AskHoldersAgain();
    Slot* const last = InUse;
    if (First.holder == 0) {
        InUse = &First;
    } else if (InUse->holder != 0) {
        MadeSlot* made = new (std::nothrow) MadeSlot();
        if (made == nullptr)
            return false;
        made->slot = Slot{&made->header, made->samples, 0, nullptr};
        InUse = &made->slot;
    }
    FreeIfUnused(last);
    return true;
}

// The header is re-initialised before every prepare. That is only done to a
// header no driver holds: one unprepared on the open device, or one whose
// device has closed, whatever flags the driver left in it: waveInClose
// refuses while the device still holds a buffer. False when the device would
// not take the buffer, which then can never come back.
bool ArmBuffer()
{
    WAVEHDR& header = *InUse->header;
    header.lpData = reinterpret_cast<LPSTR>(InUse->samples);
    header.dwBufferLength = dsp::CaptureSamples * sizeof InUse->samples[0];
    header.dwFlags = 0;
    header.dwBytesRecorded = 0;
    return wavein::Device.Prepare(WaveIn, &header) == MMSYSERR_NOERROR &&
           wavein::Device.AddBuffer(WaveIn, &header) == MMSYSERR_NOERROR;
}

// A pass reads the first FftLength samples; a driver can hand the buffer back
// with fewer recorded (an unplugged USB device returns it empty), and the rest
// would be the last buffer's samples passed off as new ones.
bool BufferFull()
{
    return InUse->header->dwBytesRecorded >= dsp::FftLength * sizeof InUse->samples[0];
}

// Pumps until a full buffer is back or WaveIn is 0; false when the loop's own
// waiting ran out first or the device would not take the buffer again. A
// buffer that comes back short is queued again unused, and the time goes on
// counting as if it had not come back: a device that only returns empty
// buffers is as silent as one that returns none. The flags are read once a
// pass: a full buffer that came back between two readings would pass for a
// short one.
bool AwaitBuffer(Patience& patience)
{
    for (;;) {
        const DWORD began = winlayer::platform::Calls.Milliseconds();
        winlayer::PumpOnce();
        if (WaveIn == 0)
            return true;
        if (HeaderFlags(*InUse->header) & WHDR_DONE) {
            if (BufferFull())
                return true;
            if (!UnprepareHeader(WaveIn, *InUse->header) || !ArmBuffer())
                return false;
        }
        if (Exhausted(patience, winlayer::platform::Calls.Milliseconds() - began))
            return false;
    }
}

// A device that stopped delivering is closed as Stop closes it, keeping the
// last spectrum on the plot, and the user is told: a trace that simply froze
// under "&Stop" would pass for a live one.
void GiveUpDevice()
{
    StopCapture();
    winlayer::Warn("Wave input device stopped!");
}

// An entry the selector has selected becomes the kind in use; none selected
// (text typed into its field) changes nothing.
void RememberSelected(LRESULT selected)
{
    if (selected != CB_ERR)
        WindowKindInUse = static_cast<int32_t>(selected);
}

// The selector's entry the user chose last, its text given back in full.
void SelectKindInUse(HWND selector)
{
    SendMessageA(selector, CB_SETCURSEL, static_cast<WPARAM>(WindowKindInUse), 0);
}

}  // namespace

void (*CaptureStarted)() = Nothing;
void (*BufferAnalysed)() = Nothing;

void StartUp(void (*started)(), void (*analysed)())
{
    InputDevice = 0;
    WindowKindInUse = 0;
    CaptureStarted = started;
    BufferAnalysed = analysed;
}

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
    if (ChooseFreeBuffer())
        wavein::Device.Open(&WaveIn, static_cast<UINT>(InputDevice), &CaptureFormat);
    if (WaveIn == 0) {
        winlayer::Warn("Wave input device didn't open!");
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
    Patience patience = ForFirstBuffer();
    for (;;) {
        if (!ArmBuffer() || !AwaitBuffer(patience)) {
            GiveUpDevice();
            return;
        }
        // Stopped or closed during the wait: the buffer the reset handed back
        // holds a partial recording and, after a close, the plot is gone.
        if (WaveIn == 0)
            return;

        if (!UnprepareHeader(WaveIn, *InUse->header)) {
            GiveUpDevice();
            return;
        }
        ProcessBuffer(InUse->samples);
        BufferAnalysed();
        if (WaveIn == 0)
            return;
        patience = ForNextBuffer();
    }
}

bool DeviceIsOpen()
{
    return WaveIn != 0;
}

void StopCapture()
{
    SetWindowTextA(StartStopButton(), facts::StartCaption);
    CloseWaveIn();
    SetRateChoiceEnabled(TRUE);
}

void CloseWaveIn()
{
    if (WaveIn != 0 && !LetGo(WaveIn, *InUse->header)) {
        InUse->holder = WaveIn;
        InUse->next = Held;
        Held = InUse;
    }
    WaveIn = 0;
}

void ReleaseBuffers()
{
    AskHoldersAgain();
    Slot* const last = InUse;
    InUse = &First;
    FreeIfUnused(last);
}

void ProcessBuffer(const int16_t* samples)
{
    RememberSelected(SendMessageA(
        winlayer::DialogItem(facts::MainDialog, facts::IdWindowSelector), CB_GETCURSEL, 0, 0));
    dsp::RunPass(samples, WindowKindInUse);
}

INT_PTR OnWindowSelector(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COMMAND)
        return 0;
    HWND selector = reinterpret_cast<HWND>(lParam);
    const LRESULT selected = SendMessageA(selector, CB_GETCURSEL, 0, 0);
    RememberSelected(selected);
    switch (HIWORD(wParam)) {
    case CBN_EDITCHANGE: {
        // Typing leaves no entry selected; a typed name, in any case, is
        // chosen as if it had been picked from the list.
        char typed[64] = "";
        GetWindowTextA(selector, typed, sizeof typed);
        const LRESULT named = SendMessageA(selector, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(typed));
        if (named == CB_ERR)
            break;
        RememberSelected(named);
        SelectKindInUse(selector);
        const LPARAM end = static_cast<LPARAM>(GetWindowTextLengthA(selector));
        SendMessageA(selector, CB_SETEDITSEL, 0, MAKELPARAM(end, end));
        break;
    }
    case CBN_KILLFOCUS:
        if (selected == CB_ERR)
            SelectKindInUse(selector);
        break;
    }
    return 0;
}

}  // namespace capture
