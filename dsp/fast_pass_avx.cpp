// The fast pass's AVX kernel: four doubles in one register. This file alone
// is compiled for AVX (not FMA: every product is rounded on its own); RunPass
// calls it only where the processor and the system support AVX.
#include <immintrin.h>

#include "dsp/fast_pass.h"
#include "dsp/fast_pass_kernel.h"

namespace dsp {
namespace {

struct Avx {
    using D = __m256d;
    static D Widen(__m128 f) { return _mm256_cvtps_pd(f); }
    static __m128 Narrow(D d) { return _mm256_cvtpd_ps(d); }
    static D Load(const double* p) { return _mm256_load_pd(p); }
    static D Set(double v) { return _mm256_set1_pd(v); }
    static D Add(D a, D b) { return _mm256_add_pd(a, b); }
    static D Sub(D a, D b) { return _mm256_sub_pd(a, b); }
    static D Mul(D a, D b) { return _mm256_mul_pd(a, b); }
    static D Div(D a, D b) { return _mm256_div_pd(a, b); }
    static D Sqrt(D a) { return _mm256_sqrt_pd(a); }
    static __m128i Ints(const int16_t* p)
    {
        return _mm_cvtepi16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
    }
    static D IntsToDouble(__m128i v) { return _mm256_cvtepi32_pd(v); }
};

}  // namespace

void FastPassAvx(const int16_t* samples, const float* table, double gain)
{
    FastPass<Avx>(samples, table, gain);
}

}  // namespace dsp
