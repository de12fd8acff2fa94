// The FFTW anchor's glue with the AVX kernel's operations; this file is
// compiled for AVX and called only where RunPass uses AVX too.
#include "bench/fftw_glue.h"
#include "dsp/vector_avx.h"

namespace bench {

void FftwGlueAvx(FftwPass& pass, const int16_t* samples, const float* table, double gain)
{
    FftwGlue<dsp::Avx>(pass, samples, table, gain);
}

}  // namespace bench
