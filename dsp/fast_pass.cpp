// RunPass: the twiddle tables, the SSE2 kernel and the choice of kernel.
#include <emmintrin.h>

#if defined(_MSC_VER)
#include <intrin.h>
#elif defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

#include "dsp/fast_pass.h"
#include "dsp/fast_pass_kernel.h"
#include "dsp/fft.h"

namespace dsp {

PassTables Tables = {};

namespace {

// Four doubles as two SSE2 registers.
struct Sse2 {
    struct D {
        __m128d low, high;
    };
    static D Widen(__m128 f) { return {_mm_cvtps_pd(f), _mm_cvtps_pd(_mm_movehl_ps(f, f))}; }
    static __m128 Narrow(D d) { return _mm_movelh_ps(_mm_cvtpd_ps(d.low), _mm_cvtpd_ps(d.high)); }
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

// The processor has AVX and the system saves its registers (XCR0 bits 1, 2).
bool ProcessorHasAvx()
{
#if defined(_MSC_VER)
    int regs[4];
    __cpuid(regs, 1);
    const unsigned ecx = static_cast<unsigned>(regs[2]);
    if ((ecx & (1u << 27)) == 0 || (ecx & (1u << 28)) == 0)
        return false;
    return (_xgetbv(0) & 6u) == 6u;
#elif defined(__i386__) || defined(__x86_64__)
    unsigned eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return false;
    if ((ecx & (1u << 27)) == 0 || (ecx & (1u << 28)) == 0)
        return false;
    unsigned low, high;
    __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (low & 6u) == 6u;
#else
    return false;
#endif
}

PassKernel Kernel = PassKernel::Sse2;

}  // namespace

void FastPassSse2(const int16_t* samples, const float* table, double gain)
{
    FastPass<Sse2>(samples, table, gain);
}

bool UsePassKernel(PassKernel kernel)
{
    if (kernel == PassKernel::Avx && !ProcessorHasAvx())
        return false;
    Kernel = kernel;
    return true;
}

PassKernel ActivePassKernel()
{
    return Kernel;
}

void BuildPassTables()
{
    for (int32_t half = 1; half < FftLength; half *= 2) {
        float wpr, wpi;
        StageRotation(2 * half, wpr, wpi);
        float wr = 1.0f;
        float wi = 0.0f;
        for (int32_t k = 0; k < half; ++k) {
            Tables.twiddleRe[half + k] = wr;
            Tables.twiddleIm[half + k] = wi;
            AdvanceTwiddle(wr, wi, wpr, wpi);
        }
    }
    Tables.builtFrom = TwoPi;
    if (!UsePassKernel(PassKernel::Avx))
        UsePassKernel(PassKernel::Sse2);
}

void RunPass(const int16_t* samples, int32_t kind)
{
    WindowKind = kind;
    if (kind < KindBlackman || kind > KindRectangular)
        return;
    if (Tables.builtFrom != TwoPi)
        BuildPassTables();
    const float* table = WindowTableFor(kind);
    const double gain = table ? WindowGain[kind] : 1.0;
    if (Kernel == PassKernel::Avx)
        FastPassAvx(samples, table, gain);
    else
        FastPassSse2(samples, table, gain);
}

}  // namespace dsp
