// The AVX kernel of RunPass, compiled for AVX alone; RunPass calls it only
// on a processor that has it. dsp/ only.
#pragma once
#include <cstdint>

namespace dsp {

// FastPassSse2 (dsp/fast_pass.h) with the AVX kernel: the same bits.
void FastPassAvx(const int16_t* samples, const float* table, double gain);

}  // namespace dsp
