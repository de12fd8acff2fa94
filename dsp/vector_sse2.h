// Four doubles as two SSE2 registers: the vector operations of the fast
// pass's SSE2 kernel (see fast_pass_kernel.h), also used by the benchmark;
// Floats4 serves the AVX kernel's four-lane steps too.
#pragma once
#include <emmintrin.h>

#include <cstdint>

namespace dsp {
namespace {

// Four singles in one register, the float side of every four-lane V.
struct Floats4 {
    using F = __m128;
    static constexpr int32_t Lanes = 4;
    static F LoadF(const float* p) { return _mm_loadu_ps(p); }
    static void StoreF(float* p, F f) { _mm_storeu_ps(p, f); }
    static F AddF(F a, F b) { return _mm_add_ps(a, b); }
    static F SubF(F a, F b) { return _mm_sub_ps(a, b); }
};

// Four doubles as two SSE2 registers.
struct Sse2 : Floats4 {
    struct D {
        __m128d low, high;
    };
    static D Widen(__m128 f) { return {_mm_cvtps_pd(f), _mm_cvtps_pd(_mm_movehl_ps(f, f))}; }
    static __m128 Narrow(D d) { return _mm_movelh_ps(_mm_cvtpd_ps(d.low), _mm_cvtpd_ps(d.high)); }
    static D WidenLoad(const float* p) { return Widen(_mm_loadu_ps(p)); }
    static D Load(const double* p) { return {_mm_load_pd(p), _mm_load_pd(p + 2)}; }
    static D Set(double v) { return {_mm_set1_pd(v), _mm_set1_pd(v)}; }
    static D Add(D a, D b) { return {_mm_add_pd(a.low, b.low), _mm_add_pd(a.high, b.high)}; }
    static D Sub(D a, D b) { return {_mm_sub_pd(a.low, b.low), _mm_sub_pd(a.high, b.high)}; }
    static D Mul(D a, D b) { return {_mm_mul_pd(a.low, b.low), _mm_mul_pd(a.high, b.high)}; }
    static D Div(D a, D b) { return {_mm_div_pd(a.low, b.low), _mm_div_pd(a.high, b.high)}; }
    static D Sqrt(D a) { return {_mm_sqrt_pd(a.low), _mm_sqrt_pd(a.high)}; }
    static __m128i Ints(const int16_t* p)
    {
        const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
        return _mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16);
    }
    static D IntsToDouble(__m128i v)
    {
        return {_mm_cvtepi32_pd(v), _mm_cvtepi32_pd(_mm_shuffle_epi32(v, 0xee))};
    }
};

}  // namespace
}  // namespace dsp
