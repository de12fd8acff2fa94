// RunPass, the pass the program runs: the reference pass of dsp/fft.h,
// vectorised, with the twiddle factors from tables and a kernel for the
// widest instruction set the processor has; the same bits as the reference.
#pragma once
#include <cstdint>

#include "dsp/fft.h"

namespace dsp {

// One pass over samples[0..1023] with window kind `kind`. Sets WindowKind
// first; a kind that IsWindowKind refuses leaves every array untouched.
void RunPass(const int16_t* samples, int32_t kind);

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

// The recurrence depends on the stage and k only, never on the group or the
// data, so each stage's factors are made once. Entries half .. 2 * half - 1
// hold the stage with that half span, widened to double (exactly). dsp/ only.
struct PassTables {
    alignas(32) double twiddleRe[FftLength];
    alignas(32) double twiddleIm[FftLength];
    float builtFrom;  // the TwoPi the tables were made from
};

extern PassTables Tables;

// The windowed, transformed and averaged pass over samples[0..1023] with the
// SSE2 kernel; table is the window (nullptr for rectangular), gain its
// correction. dsp/ only.
void FastPassSse2(const int16_t* samples, const float* table, double gain);

}  // namespace dsp
