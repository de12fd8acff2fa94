// The spectrum and the settings of the pass, and the pass written out
// operation by operation (the reference): bit-reversed load of a windowed
// block, in-place radix-2 transform, scaled magnitudes of bins 0..512 and
// their running average. The program runs the vectorised pass of
// dsp/fast_pass.h. The dsp module owns every array and setting declared
// here; the slider handlers set AveragingFactor and OffsetMultiplier through
// the setters below, everyone else reads.
#pragma once
#include <cstdint>

#include "dsp/window.h"

namespace dsp {

// Magnitudes are divided by this before the offset is applied (both passes).
constexpr int32_t MagnitudeDivisor = 100;

// Entry n is n with its FftBits low bits reversed; filled by BuildBitReverseTable.
extern int32_t BitReverseTable[FftLength];

// Working arrays of the transform. After a pass FftReal[0..512] hold that
// pass's scaled magnitudes; the rest and FftImag hold the raw transform.
extern float FftReal[FftLength];
extern float FftImag[FftLength];

// Averaged scaled amplitudes; entries 0..512 in use, 513..1023 stay 0.
extern float Spectrum[FftLength];

// Weight of the newest magnitudes in the running average, 1 down to 1/1024.
extern float AveragingFactor;

// Integer factor applied to every magnitude (the display offset).
extern int32_t OffsetMultiplier;

// Amplitude that reads 0 dB: 84300, the scaled magnitude of a sine of peak
// 16465 on a bin (16465 x 512 / MagnitudeDivisor, whatever the window, by
// its gain), so such a sine reads 0 dB and a full-scale one about +6 dB. The
// graticule's labels (display/axes.h: -10 dB steps over height / ln R) hold
// only for this value.
extern int32_t ReferenceLevel;

// The value InitialiseSettings gives ReferenceLevel: 168600 / 2 = 84300.
constexpr int32_t StartingReferenceLevel = 168600 / 2;

// Window kind of the latest pass, as the selector reported it.
extern int32_t WindowKind;

// True once a pass has analysed a block, whatever the block held: the mouse
// readout waits for it. A kind that IsWindowKind refuses runs no pass and
// leaves it.
extern bool PassHasRun;

// The low `bits` bits of value in reverse order; 0 when bits <= 0.
int32_t BitReverse(int32_t value, int32_t bits);

// Fills BitReverseTable.
void BuildBitReverseTable();

// RunPass (dsp/fast_pass.h) written out operation by operation, the twiddle
// factors advanced by the recurrence inside the loops: its oracle. Sets
// WindowKind first; a kind that IsWindowKind refuses leaves every array
// untouched.
void RunPassReference(const int16_t* samples, int32_t kind);

// The rotation of one stage of `span` points as the recurrence applies it;
// the fast pass builds its tables with it.
void StageRotation(int32_t span, float& wpr, float& wpi);

// One step of the twiddle recurrence: (wr, wi) rotated by (wpr, wpi).
void AdvanceTwiddle(float& wr, float& wi, float wpr, float wpi);

// The analysis part of program start-up: Spectrum cleared, TwoPi,
// AveragingFactor = 1, YieldHook = yield, the bit-reversal and window tables
// built.
void StartUp(void (*yield)() = nullptr);

// The settings of the sliders, taken up by the next pass.
void SetOffsetMultiplier(int32_t multiplier);
void SetAveragingFactor(float factor);

// The main window's share of initialisation: ReferenceLevel and
// OffsetMultiplier to their starting values.
void InitialiseSettings();

// Every array and setting back to the zeros the program starts with (tests).
void ResetState();

}  // namespace dsp
