// The scripted wave-input device of every test that needs one: it takes the
// place of winmm in capture::wavein::Device, records every call in order, fills
// buffers with a chosen signal and marks them done, can refuse to open or
// never finish, can fail to prepare or queue a buffer, and runs a test's
// hooks when a buffer is queued and on close.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace scripted {

struct Script {
    bool openFails = false;
    // Prepare, or queueing, answers with an error and leaves the header as it
    // was. As winmm does, queueing an unprepared header fails as well.
    bool prepareFails = false;
    bool addBufferFails = false;
    // Unprepare, and Close, answer WAVERR_STILLPLAYING this many times before
    // they work, as a driver that still holds the buffer does; a negative
    // count means every time. Like winmm, Unprepare also refuses a buffer
    // still in the queue.
    int unprepareRefusals = 0;
    int closeRefusals = 0;
    // Reset fails and leaves the queued buffer in the queue, yet Close works:
    // Wine's winmm once its sound server has died.
    bool resetKeepsBuffer = false;
    // Buffers handed back done; the one queued after them never comes back
    // by itself (only a reset returns it). A negative count means every buffer.
    int buffersToDeliver = -1;
    // How long after it is queued a delivered buffer comes back, from a
    // thread timer that the pump must run: the first one, and every later
    // one. 0 is at once, inside the queueing.
    UINT firstBufferAfterMs = 0;
    UINT buffersAfterMs = 0;
    // Bytes a delivered buffer number `index` (from 1) says it holds; unset,
    // the whole buffer.
    std::function<DWORD(int index)> bytesRecorded;
    // Fills buffer number `index` (from 1) before it is handed back.
    std::function<void(int16_t* samples, int count, int index)> fill;
    // Runs when buffer number `index` (from 1) is queued, after it was filled.
    std::function<void(int index)> onQueued;
    // Runs inside Close, before the device forgets its handle.
    std::function<void()> onClose;
    // Product names as the driver reports them: the bytes go into szPname as
    // they are, a name of 32 bytes or more filling it with no NUL; the bytes
    // after szPname hold FollowingCapsBytes, so a reader that runs past the
    // name shows them.
    std::vector<std::string> deviceNames;
};

// What a capabilities record holds after its szPname ("WXYZ" in dwFormats).
constexpr DWORD FollowingCapsBytes = 0x5A595857;

struct Record {
    std::vector<std::string> calls;  // "open", "start", "prepare", "add", ...
    UINT openedDevice = 0;
    WAVEFORMATEX format = {};
    int queued = 0;                  // buffers queued so far
    int openHandles = 0;             // opened and not yet closed
    std::vector<const void*> bufferAddresses;
};

// Puts the scripted device in place of winmm with a fresh record.
void Install(const Script& script);

// Puts winmm back.
void Uninstall();

// What the device has seen since Install.
Record& Seen();

// Number of calls named `name` in Seen().calls.
int CountCalls(const char* name);

// samples[i] = nearest(peak * sin(2 pi bin i / FftLength)): a tone exactly on a bin.
void FillTone(int16_t* samples, int count, int bin, double peak);

}  // namespace scripted
