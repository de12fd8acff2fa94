// The spectrum pass: bit-reversed load of a windowed block, in-place radix-2
// transform, scaled magnitudes of bins 0..512 and their running average.
// The dsp module owns every array and setting declared here; the slider
// handlers write AveragingFactor and OffsetMultiplier, everyone else reads.
#pragma once
#include <cstdint>

#include "dsp/window.h"

namespace dsp {

// Bins the pass computes: 0 .. FftLength / 2 inclusive.
constexpr int32_t BinCount = FftLength / 2 + 1;

// Entry n is n with its 10 low bits reversed; filled by BuildBitReverseTable.
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

// Amplitude that reads 0 dB.
extern int32_t ReferenceLevel;

// Window kind of the latest pass, as the selector reported it.
extern int32_t WindowKind;

// True once a pass has analysed a block, whatever the block held: the mouse
// readout waits for it. A kind outside 0..5 runs no pass and leaves it.
extern bool PassHasRun;

// The low `bits` bits of value in reverse order; 0 when bits <= 0.
int32_t BitReverse(int32_t value, int32_t bits);

// Fills BitReverseTable.
void BuildBitReverseTable();

// One pass over samples[0..1023] with window kind `kind`. Sets WindowKind
// first; a kind outside 0..5 leaves every array untouched. Vectorised, with
// the twiddle factors from tables; gives the same bits as RunPassReference.
void RunPass(const int16_t* samples, int32_t kind);

// The same pass written out operation by operation, the twiddle factors
// advanced by the recurrence inside the loops: the oracle of RunPass.
void RunPassReference(const int16_t* samples, int32_t kind);

// The kernels RunPass can run; StartUp picks the widest the processor has.
enum class PassKernel : int32_t { Sse2 = 0, Avx = 1 };

// Makes RunPass use `kernel`; false (and no change) if this processor or
// build cannot run it.
bool UsePassKernel(PassKernel kernel);

// The kernel RunPass uses now.
PassKernel ActivePassKernel();

// Fills RunPass's twiddle tables from TwoPi by the reference's recurrence and
// picks its kernel; StartUp calls it, RunPass repeats it if TwoPi changed.
void BuildPassTables();

// The analysis part of program start-up: Spectrum cleared, TwoPi,
// AveragingFactor = 1, the bit-reversal and window tables built.
void StartUp();

// The main window's share of initialisation: ReferenceLevel and
// OffsetMultiplier to their starting values.
void InitialiseSettings();

// Every array and setting back to the zeros the program starts with (tests).
void ResetState();

}  // namespace dsp
