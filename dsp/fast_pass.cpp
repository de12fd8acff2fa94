// RunPass: the twiddle tables, the SSE2 kernel and the choice of kernel.
#include <emmintrin.h>

#if defined(_MSC_VER)
#include <intrin.h>
#elif defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

#include "dsp/fast_pass.h"

#include "dsp/fast_pass_avx.h"
#include "dsp/fast_pass_kernel.h"
#include "dsp/vector_sse2.h"

namespace dsp {

PassTables Tables = {};

namespace {

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
    FastPass<Sse2, Sse2>(samples, table, gain);
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
    if (!IsWindowKind(kind))
        return;
    if (Tables.builtFrom != TwoPi)
        BuildPassTables();
    const float* table = WindowTableFor(kind);
    if (Kernel == PassKernel::Avx)
        FastPassAvx(samples, table, WindowGain[kind]);
    else
        FastPassSse2(samples, table, WindowGain[kind]);
    PassHasRun = true;
}

}  // namespace dsp
