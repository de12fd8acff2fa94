#include "capture/wavein.h"

namespace wavein {

// The sizes winmm is handed must be those of the 32-bit layouts.
static_assert(sizeof(void*) != 4 || sizeof(WAVEHDR) == 32, "WAVEHDR layout");
static_assert(sizeof(WAVEINCAPSA) == 48, "WAVEINCAPSA layout");

namespace {

// Each call passes exactly what the engine needs: CALLBACK_NULL because the
// engine polls the header, and the Win32 sizes of the structures.
MMRESULT SystemOpen(HWAVEIN* handle, UINT device, const WAVEFORMATEX* format)
{
    return waveInOpen(handle, device, format, 0, 0, CALLBACK_NULL);
}

MMRESULT SystemStart(HWAVEIN handle) { return waveInStart(handle); }

MMRESULT SystemPrepare(HWAVEIN handle, WAVEHDR* header)
{
    return waveInPrepareHeader(handle, header, sizeof(WAVEHDR));
}

MMRESULT SystemAddBuffer(HWAVEIN handle, WAVEHDR* header)
{
    return waveInAddBuffer(handle, header, sizeof(WAVEHDR));
}

MMRESULT SystemUnprepare(HWAVEIN handle, WAVEHDR* header)
{
    return waveInUnprepareHeader(handle, header, sizeof(WAVEHDR));
}

MMRESULT SystemReset(HWAVEIN handle) { return waveInReset(handle); }

MMRESULT SystemClose(HWAVEIN handle) { return waveInClose(handle); }

UINT SystemDeviceCount() { return waveInGetNumDevs(); }

MMRESULT SystemDeviceCaps(UINT device, WAVEINCAPSA* caps)
{
    return waveInGetDevCapsA(device, caps, sizeof(WAVEINCAPSA));
}

// A constant expression, so that Device is filled by the loader: a
// constructor of it would run before start-up has looked for SSE2.
constexpr Functions SystemTable = {SystemOpen,      SystemStart, SystemPrepare,
                                   SystemAddBuffer, SystemUnprepare, SystemReset,
                                   SystemClose,     SystemDeviceCount, SystemDeviceCaps};

}  // namespace

Functions System() { return SystemTable; }

Functions Device = SystemTable;

}  // namespace wavein
