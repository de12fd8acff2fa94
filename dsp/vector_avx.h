// Four doubles in one AVX register: the vector operations of the fast pass's
// AVX kernel (see fast_pass_kernel.h), also used by the benchmark. Only for
// files compiled for AVX.
#pragma once
#include <immintrin.h>

#include <cstdint>

#include "dsp/vector_sse2.h"

namespace dsp {
namespace {

// Four singles widened to four doubles in one register.
struct Avx : Floats4 {
    using D = __m256d;
    static D Widen(__m128 f) { return _mm256_cvtps_pd(f); }
    static __m128 Narrow(D d) { return _mm256_cvtpd_ps(d); }
    static D WidenLoad(const float* p) { return _mm256_cvtps_pd(_mm_loadu_ps(p)); }
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

// Eight singles in one register, widened to eight doubles in two.
struct Avx8 {
    using F = __m256;
    struct D {
        __m256d low, high;
    };
    static constexpr int32_t Lanes = 8;
    static F LoadF(const float* p) { return _mm256_loadu_ps(p); }
    static void StoreF(float* p, F f) { _mm256_storeu_ps(p, f); }
    static F AddF(F a, F b) { return _mm256_add_ps(a, b); }
    static F SubF(F a, F b) { return _mm256_sub_ps(a, b); }
    static D Widen(F f)
    {
        return {_mm256_cvtps_pd(_mm256_castps256_ps128(f)), _mm256_cvtps_pd(_mm256_extractf128_ps(f, 1))};
    }
    static D WidenLoad(const float* p)
    {
        return {_mm256_cvtps_pd(_mm_loadu_ps(p)), _mm256_cvtps_pd(_mm_loadu_ps(p + 4))};
    }
    static F Narrow(D d)
    {
        return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm256_cvtpd_ps(d.low)),
                                    _mm256_cvtpd_ps(d.high), 1);
    }
    static D Load(const double* p) { return {_mm256_load_pd(p), _mm256_load_pd(p + 4)}; }
    static D Set(double v) { return {_mm256_set1_pd(v), _mm256_set1_pd(v)}; }
    static D Add(D a, D b) { return {_mm256_add_pd(a.low, b.low), _mm256_add_pd(a.high, b.high)}; }
    static D Sub(D a, D b) { return {_mm256_sub_pd(a.low, b.low), _mm256_sub_pd(a.high, b.high)}; }
    static D Mul(D a, D b) { return {_mm256_mul_pd(a.low, b.low), _mm256_mul_pd(a.high, b.high)}; }
    static D Div(D a, D b) { return {_mm256_div_pd(a.low, b.low), _mm256_div_pd(a.high, b.high)}; }
    static D Sqrt(D a) { return {_mm256_sqrt_pd(a.low), _mm256_sqrt_pd(a.high)}; }
};

}  // namespace
}  // namespace dsp
