// The FFTW anchor's glue over the fast pass's vector operations (V as in
// dsp/fast_pass_kernel.h): the windowed load in natural order, FFTW's
// transform, the magnitudes and the average, the same operations as the pass.
#pragma once
#include "bench/fftw_pass.h"
#include "dsp/fast_pass_kernel.h"

namespace bench {
namespace {

template <class V, bool Rectangular>
inline void WindowInto(float* in, const int16_t* samples, const float* table, double gain)
{
    const typename V::D g = V::Set(gain);
    for (int32_t n = 0; n < dsp::FftLength; n += 4)
        _mm_store_ps(in + n, dsp::WindowedSamples<V, Rectangular>(samples, table, n, g));
}

template <class V>
void FftwGlue(FftwPass& pass, const int16_t* samples, const float* table, double gain)
{
    if (table)
        WindowInto<V, false>(pass.in, samples, table, gain);
    else
        WindowInto<V, true>(pass.in, samples, table, gain);
    fftwf_execute(pass.plan);
    const typename V::D scale = V::Set(100.0);
    const typename V::D offset = V::Set(static_cast<double>(dsp::OffsetMultiplier));
    const double alphaValue = dsp::AveragingFactor;
    const typename V::D alpha = V::Set(alphaValue);
    const typename V::D keep = V::Set(1.0 - alphaValue);
    const float* out = &pass.out[0][0];
    // Bins 0..511 four at a time, bin 512 in a fifth group of which only the
    // first lane counts (the output has room: FFTW is given 516 bins).
    for (int32_t k = 0; k < dsp::BinCount; k += 4) {
        const __m128 a = _mm_load_ps(out + 2 * k);
        const __m128 b = _mm_load_ps(out + 2 * k + 4);
        const __m128 re = _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0));
        const __m128 im = _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1));
        const __m128 m = dsp::Magnitudes<V>(re, im, scale, offset);
        _mm_store_ps(pass.magnitudes + k, m);
        dsp::Average<V>(pass.spectrum + k, m, keep, alpha);
    }
}

}  // namespace
}  // namespace bench
