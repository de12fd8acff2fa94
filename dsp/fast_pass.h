// Internals shared by the reference pass, the fast pass and its kernels
// (dsp/ only): the twiddle recurrence and the tables made from it.
#pragma once
#include <cstdint>

#include "dsp/window.h"

namespace dsp {

// The rotation of one stage of `span` points as the recurrence applies it.
void StageRotation(int32_t span, float& wpr, float& wpi);

// One step of the twiddle recurrence: (wr, wi) rotated by (wpr, wpi).
void AdvanceTwiddle(float& wr, float& wi, float wpr, float wpi);

// The recurrence depends on the stage and k only, never on the group or the
// data, so each stage's factors are made once. Entries half .. 2 * half - 1
// hold the stage with that half span, widened to double (exactly).
struct PassTables {
    alignas(32) double twiddleRe[FftLength];
    alignas(32) double twiddleIm[FftLength];
    float builtFrom;  // the TwoPi the tables were made from
};

extern PassTables Tables;

// The windowed, transformed and averaged pass over samples[0..1023]; table
// is the window (nullptr for rectangular), gain its correction. One per
// instruction set, all with the same bits.
void FastPassSse2(const int16_t* samples, const float* table, double gain);
void FastPassAvx(const int16_t* samples, const float* table, double gain);

}  // namespace dsp
