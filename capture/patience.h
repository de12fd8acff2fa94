// How long the capture loop waits for the device to hand its buffer back
// before it gives the device up: a pulled USB microphone or a sound server
// that died never returns the one queued buffer. Only the loop's own pump
// passes count, so that a menu or a box held open inside one of them is not
// taken for a silent device. Portable: no <windows.h>.
#pragma once
#include <cstdint>

namespace capture {

// From a Start to the first buffer: a headset switching profiles or a USB
// interface waking up can take seconds.
constexpr uint32_t FirstBufferPatienceMs = 5000;
// Between two buffers: ten buffer periods at 11025 Hz, the slowest rate.
constexpr uint32_t BufferPatienceMs = 2000;
// The most one pass counts. An idle pass sleeps 1 ms (up to a timer tick of
// 15.6 ms on older Windows) and a handled message takes a few; a longer pass
// ran a modal loop of its own: a menu, a box, a dialog, a move or a resize.
constexpr uint32_t LongestCountedPassMs = 50;

// The loop's waiting for one buffer.
struct Patience {
    uint32_t waitedMs;  // the counted time of the passes so far
    uint32_t limitMs;   // FirstBufferPatienceMs or BufferPatienceMs
};

// Patience for the first buffer after a Start.
Patience ForFirstBuffer();

// Patience for every later buffer.
Patience ForNextBuffer();

// Counts one pass that took `passMs` and found the buffer not back; true once
// the counted waiting has reached the limit.
bool Exhausted(Patience& patience, uint32_t passMs);

}  // namespace capture
