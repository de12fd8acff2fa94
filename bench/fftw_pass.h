// The anchor of the pass benchmarks: FFTW3f's r2c transform of 1024 points
// with the pass's windowing, magnitudes and average around it, written with
// the same vector operations as the pass's kernels. The plan comes from
// stored wisdom, so every run times the same plan.
#pragma once
#include <fftw3.h>

#include <cstdint>

#include "dsp/fast_pass.h"

namespace bench {

struct FftwPass {
    float* in = nullptr;
    fftwf_complex* out = nullptr;
    fftwf_plan plan = nullptr;
    alignas(32) float magnitudes[dsp::BinCount + 3] = {};
    alignas(32) float spectrum[dsp::BinCount + 3] = {};

    FftwPass();
    ~FftwPass();
    FftwPass(const FftwPass&) = delete;
    FftwPass& operator=(const FftwPass&) = delete;

    // Window kind `kind` of samples[0..1023], transform, magnitudes and
    // average, with the kernel RunPass uses (SSE2 or AVX).
    void Run(const int16_t* samples, int32_t kind);
};

// The glue with each kernel's vector operations.
void FftwGlueSse2(FftwPass& pass, const int16_t* samples, const float* table, double gain);
void FftwGlueAvx(FftwPass& pass, const int16_t* samples, const float* table, double gain);

// Where the wisdom is kept, and whether this run made it.
const char* WisdomFile();
bool WisdomWasMade();

}  // namespace bench
