#include "capture/wavein.h"

#include "win/platform.h"

namespace capture {
namespace wavein {

// The sizes winmm is handed must be those of the 32-bit layouts.
static_assert(sizeof(void*) != 4 || sizeof(WAVEHDR) == 32, "WAVEHDR layout");
static_assert(sizeof(WAVEINCAPSA) == 48, "WAVEINCAPSA layout");

namespace {

// winmm is not one of the libraries Windows keeps loaded from its own
// folder: as an import of the program it would be searched for beside the
// program first, where anything may lie (Downloads). It is loaded from the
// system folder at the first wave-input call instead, and its entries are
// looked up then; a system without it has no wave input at all.
struct Winmm {
    decltype(&waveInOpen) open;
    decltype(&waveInStart) start;
    decltype(&waveInPrepareHeader) prepare;
    decltype(&waveInAddBuffer) addBuffer;
    decltype(&waveInUnprepareHeader) unprepare;
    decltype(&waveInReset) reset;
    decltype(&waveInClose) close;
    decltype(&waveInGetNumDevs) deviceCount;
    decltype(&waveInGetDevCapsA) deviceCaps;
};

// `entry` set to the function `name` of `library`; false when it is missing.
template <typename Function>
bool Find(HMODULE library, const char* name, Function& entry)
{
    entry = winlayer::platform::Entry<Function>(library, name);
    return entry != nullptr;
}

// Every entry, or none when the library or any of them is missing.
const Winmm& Loaded()
{
    static const Winmm entries = [] {
        Winmm found = {};
        HMODULE library = winlayer::platform::LoadSystemLibrary("winmm.dll");
        if (library && Find(library, "waveInOpen", found.open) &&
            Find(library, "waveInStart", found.start) &&
            Find(library, "waveInPrepareHeader", found.prepare) &&
            Find(library, "waveInAddBuffer", found.addBuffer) &&
            Find(library, "waveInUnprepareHeader", found.unprepare) &&
            Find(library, "waveInReset", found.reset) &&
            Find(library, "waveInClose", found.close) &&
            Find(library, "waveInGetNumDevs", found.deviceCount) &&
            Find(library, "waveInGetDevCapsA", found.deviceCaps))
            return found;
        return Winmm{};
    }();
    return entries;
}

// Each call passes exactly what the engine needs: CALLBACK_NULL because the
// engine polls the header, and the Win32 sizes of the structures. Without
// winmm no device opens and there are none to list.
MMRESULT SystemOpen(HWAVEIN* handle, UINT device, const WAVEFORMATEX* format)
{
    if (!Loaded().open)
        return MMSYSERR_NODRIVER;
    return Loaded().open(handle, device, format, 0, 0, CALLBACK_NULL);
}

MMRESULT SystemStart(HWAVEIN handle) { return Loaded().start(handle); }

MMRESULT SystemPrepare(HWAVEIN handle, WAVEHDR* header)
{
    return Loaded().prepare(handle, header, sizeof(WAVEHDR));
}

MMRESULT SystemAddBuffer(HWAVEIN handle, WAVEHDR* header)
{
    return Loaded().addBuffer(handle, header, sizeof(WAVEHDR));
}

MMRESULT SystemUnprepare(HWAVEIN handle, WAVEHDR* header)
{
    return Loaded().unprepare(handle, header, sizeof(WAVEHDR));
}

MMRESULT SystemReset(HWAVEIN handle) { return Loaded().reset(handle); }

MMRESULT SystemClose(HWAVEIN handle) { return Loaded().close(handle); }

UINT SystemDeviceCount() { return Loaded().deviceCount ? Loaded().deviceCount() : 0; }

MMRESULT SystemDeviceCaps(UINT device, WAVEINCAPSA* caps)
{
    if (!Loaded().deviceCaps)
        return MMSYSERR_NODRIVER;
    return Loaded().deviceCaps(device, caps, sizeof(WAVEINCAPSA));
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
}  // namespace capture
