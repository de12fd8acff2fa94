#include "tests/support/scripted_device.h"

#include "capture/wavein.h"
#include "dsp/sizes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace scripted {

namespace {

Script CurrentScript;
Record CurrentRecord;
HWAVEIN const FakeHandle = reinterpret_cast<HWAVEIN>(0x5150);
WAVEHDR* QueuedHeader = nullptr;
UINT_PTR DeliveryTimer = 0;

// Fills the queued buffer and hands it back done.
void Deliver(WAVEHDR* header, int index)
{
    if (CurrentScript.fill)
        CurrentScript.fill(reinterpret_cast<int16_t*>(header->lpData),
                           static_cast<int>(header->dwBufferLength / 2), index);
    header->dwBytesRecorded = CurrentScript.bytesRecorded ? CurrentScript.bytesRecorded(index)
                                                          : header->dwBufferLength;
    header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
}

// A late buffer comes back unless a reset returned it first.
void CALLBACK DeliverLate(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (id != DeliveryTimer)
        return;
    DeliveryTimer = 0;
    if (QueuedHeader && (QueuedHeader->dwFlags & WHDR_INQUEUE))
        Deliver(QueuedHeader, CurrentRecord.queued);
}

MMRESULT Open(HWAVEIN* handle, UINT device, const WAVEFORMATEX* format)
{
    CurrentRecord.calls.push_back("open");
    CurrentRecord.openedDevice = device;
    CurrentRecord.format = *format;
    if (CurrentScript.openFails)
        return MMSYSERR_BADDEVICEID;
    *handle = FakeHandle;
    ++CurrentRecord.openHandles;
    return MMSYSERR_NOERROR;
}

MMRESULT Start(HWAVEIN) { CurrentRecord.calls.push_back("start"); return MMSYSERR_NOERROR; }

MMRESULT Prepare(HWAVEIN, WAVEHDR* header)
{
    CurrentRecord.calls.push_back("prepare");
    if (CurrentScript.prepareFails)
        return MMSYSERR_NOMEM;
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT AddBuffer(HWAVEIN, WAVEHDR* header)
{
    CurrentRecord.calls.push_back("add");
    if (CurrentScript.addBufferFails)
        return MMSYSERR_NODRIVER;
    if (!(header->dwFlags & WHDR_PREPARED))
        return WAVERR_UNPREPARED;
    QueuedHeader = header;
    const int index = ++CurrentRecord.queued;
    CurrentRecord.bufferAddresses.push_back(header->lpData);
    const bool deliver = CurrentScript.buffersToDeliver < 0 || index <= CurrentScript.buffersToDeliver;
    const UINT delay = index == 1 ? CurrentScript.firstBufferAfterMs : CurrentScript.buffersAfterMs;
    header->dwFlags |= WHDR_INQUEUE;
    if (deliver && delay == 0)
        Deliver(header, index);
    else if (deliver)
        DeliveryTimer = SetTimer(nullptr, 0, delay, DeliverLate);
    if (CurrentScript.onQueued)
        CurrentScript.onQueued(index);
    return MMSYSERR_NOERROR;
}

// Takes one of a refusal count: false while refusals remain.
bool Relents(int& refusals)
{
    if (refusals == 0)
        return true;
    if (refusals > 0)
        --refusals;
    return false;
}

MMRESULT Unprepare(HWAVEIN, WAVEHDR* header)
{
    CurrentRecord.calls.push_back("unprepare");
    if ((header->dwFlags & WHDR_INQUEUE) || !Relents(CurrentScript.unprepareRefusals))
        return WAVERR_STILLPLAYING;
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

// Like winmm: a reset hands a queued buffer back marked done.
MMRESULT Reset(HWAVEIN)
{
    CurrentRecord.calls.push_back("reset");
    if (CurrentScript.resetKeepsBuffer)
        return MMSYSERR_ERROR;
    if (QueuedHeader && (QueuedHeader->dwFlags & WHDR_INQUEUE))
        QueuedHeader->dwFlags = (QueuedHeader->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    return MMSYSERR_NOERROR;
}

MMRESULT Close(HWAVEIN)
{
    CurrentRecord.calls.push_back("close");
    if (CurrentScript.onClose)
        CurrentScript.onClose();
    if (!Relents(CurrentScript.closeRefusals))
        return WAVERR_STILLPLAYING;
    --CurrentRecord.openHandles;
    return MMSYSERR_NOERROR;
}

UINT DeviceCount()
{
    CurrentRecord.calls.push_back("count");
    return static_cast<UINT>(CurrentScript.deviceNames.size());
}

MMRESULT DeviceCaps(UINT device, WAVEINCAPSA* caps)
{
    CurrentRecord.calls.push_back("caps");
    if (device >= CurrentScript.deviceNames.size())
        return MMSYSERR_BADDEVICEID;
    std::memset(caps->szPname, 0, sizeof caps->szPname);
    const std::string& name = CurrentScript.deviceNames[device];
    std::memcpy(caps->szPname, name.data(), std::min(name.size(), sizeof caps->szPname));
    caps->dwFormats = FollowingCapsBytes;
    return MMSYSERR_NOERROR;
}

void ForgetLateBuffer()
{
    if (DeliveryTimer)
        KillTimer(nullptr, DeliveryTimer);
    DeliveryTimer = 0;
}

}  // namespace

void Install(const Script& script)
{
    CurrentScript = script;
    CurrentRecord = Record();
    QueuedHeader = nullptr;
    ForgetLateBuffer();
    capture::wavein::Device = capture::wavein::Functions{Open,   Start, Prepare,     AddBuffer, Unprepare,
                                       Reset,  Close, DeviceCount, DeviceCaps};
}

void Uninstall()
{
    capture::wavein::Device = capture::wavein::System();
    CurrentScript = Script();
    ForgetLateBuffer();
}

Record& Seen() { return CurrentRecord; }

int CountCalls(const char* name)
{
    return static_cast<int>(std::count(CurrentRecord.calls.begin(), CurrentRecord.calls.end(), name));
}

void FillTone(int16_t* samples, int count, int bin, double peak)
{
    const double pi = 3.14159265358979323846;
    for (int i = 0; i < count; ++i)
        samples[i] = static_cast<int16_t>(
            std::lround(peak * std::sin(2.0 * pi * bin * i / dsp::FftLength)));
}

}  // namespace scripted
