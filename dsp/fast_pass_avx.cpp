// The fast pass's AVX kernel: four doubles in one register. This file alone
// is compiled for AVX (not FMA: every product is rounded on its own); RunPass
// calls it only where the processor and the system support AVX.
#include "dsp/fast_pass_avx.h"

#include "dsp/fast_pass_kernel.h"
#include "dsp/vector_avx.h"

namespace dsp {

void FastPassAvx(const int16_t* samples, const float* table, double gain)
{
    FastPass<Avx, Avx8>(samples, table, gain);
}

}  // namespace dsp
