// The fast pass, written once over a small set of vector operations and
// compiled once per instruction set (fast_pass.cpp: SSE2, fast_pass_avx.cpp:
// AVX). Each operation is the reference's operation on four lanes: products
// and differences of the twiddle multiply, the window and the magnitudes in
// double, each named value rounded to single where the reference stores it.
// Sums and differences of two singles are done in single: rounding the exact
// sum to double (53 bits) and then to single gives the same bits as rounding
// it to single once, since 53 >= 2 * 24 + 2.
//
// V supplies D (four doubles) and: Widen (4 singles -> D), Narrow (D -> 4
// singles), Load (4 aligned doubles), Set, Add, Sub, Mul, Div, Sqrt, Ints
// (4 int16 -> 4 int32) and IntsToDouble (4 int32 -> D).
#pragma once
#include <emmintrin.h>

#include <cstdint>

#include "dsp/fast_pass.h"
#include "dsp/fft.h"

namespace dsp {
namespace {

// Four windowed samples s * T[n] * gain (rounded to single once) or, for
// the rectangular window, s itself.
template <class V, bool Rectangular>
inline __m128 WindowedSamples(const int16_t* samples, const float* table, int32_t n,
                              typename V::D gain)
{
    const __m128i ints = V::Ints(samples + n);
    if (Rectangular)
        return _mm_cvtepi32_ps(ints);
    const typename V::D product = V::Mul(V::IntsToDouble(ints), V::Widen(_mm_loadu_ps(table + n)));
    return V::Narrow(V::Mul(product, gain));
}

// Windowing, the bit-reversed load and the first two stages in registers.
// The four points of a stage-2 group come from n, n + 512, n + 256, n + 768
// with n < 256, and the group starts at BitReverseTable[n]; lanes hold four
// consecutive n, so the results are transposed before they are stored.
// Every imaginary part is +0 here except the k = 1 one of stage 2: with
// wr = 1 and wi = 0, or an imaginary part of +0, the products reduce
// exactly to the operations below (the +-0 terms kept where they can
// decide the sign of a zero).
template <class V, bool Rectangular>
inline void LoadFirstTwoStages(const int16_t* samples, const float* table, double gain)
{
    const typename V::D g = V::Set(gain);
    const float w1r = static_cast<float>(Tables.twiddleRe[3]);
    const float w1i = static_cast<float>(Tables.twiddleIm[3]);
    const __m128 wr = _mm_set1_ps(w1r);
    const __m128 wi = _mm_set1_ps(w1i);
    const __m128 zeroTimesWi = _mm_set1_ps(0.0f * w1i);
    const __m128 zeroTimesWr = _mm_set1_ps(0.0f * w1r);
    const __m128 zero = _mm_setzero_ps();
    for (int32_t n = 0; n < FftLength / 4; n += 4) {
        const __m128 a = WindowedSamples<V, Rectangular>(samples, table, n, g);
        const __m128 b = WindowedSamples<V, Rectangular>(samples, table, n + 512, g);
        const __m128 c = WindowedSamples<V, Rectangular>(samples, table, n + 256, g);
        const __m128 d = WindowedSamples<V, Rectangular>(samples, table, n + 768, g);
        const __m128 r0 = _mm_add_ps(a, b);
        const __m128 r1 = _mm_sub_ps(a, b);
        const __m128 r2 = _mm_add_ps(c, d);
        const __m128 r3 = _mm_sub_ps(c, d);
        const __m128 tr = _mm_sub_ps(_mm_mul_ps(r3, wr), zeroTimesWi);
        const __m128 ti = _mm_add_ps(_mm_mul_ps(r3, wi), zeroTimesWr);
        __m128 x0 = _mm_add_ps(r0, r2);
        __m128 x1 = _mm_add_ps(r1, tr);
        __m128 x2 = _mm_sub_ps(r0, r2);
        __m128 x3 = _mm_sub_ps(r1, tr);
        const __m128 i1 = _mm_add_ps(zero, ti);
        const __m128 i3 = _mm_sub_ps(zero, ti);
        _MM_TRANSPOSE4_PS(x0, x1, x2, x3);
        const __m128 imLow = _mm_unpacklo_ps(i1, i3);
        const __m128 imHigh = _mm_unpackhi_ps(i1, i3);
        const int32_t* j = BitReverseTable + n;
        _mm_storeu_ps(FftReal + j[0], x0);
        _mm_storeu_ps(FftReal + j[1], x1);
        _mm_storeu_ps(FftReal + j[2], x2);
        _mm_storeu_ps(FftReal + j[3], x3);
        _mm_storeu_ps(FftImag + j[0], _mm_unpacklo_ps(zero, imLow));
        _mm_storeu_ps(FftImag + j[1], _mm_unpackhi_ps(zero, imLow));
        _mm_storeu_ps(FftImag + j[2], _mm_unpacklo_ps(zero, imHigh));
        _mm_storeu_ps(FftImag + j[3], _mm_unpackhi_ps(zero, imHigh));
    }
}

// The twiddle product of four butterflies, (tr, ti) = x[ip] * w, exactly as
// the reference forms it.
template <class V>
inline void TwiddleProduct(__m128 xr, __m128 xi, const double* wr, const double* wi,
                           __m128& tr, __m128& ti)
{
    const typename V::D dr = V::Widen(xr);
    const typename V::D di = V::Widen(xi);
    const typename V::D cr = V::Load(wr);
    const typename V::D ci = V::Load(wi);
    tr = V::Narrow(V::Sub(V::Mul(dr, cr), V::Mul(di, ci)));
    ti = V::Narrow(V::Add(V::Mul(dr, ci), V::Mul(di, cr)));
}

// Four butterflies of one stage: points i .. i + 3 and their partners half on.
template <class V>
inline void Butterflies(float* re, float* im, int32_t half, const double* wr, const double* wi)
{
    __m128 tr, ti;
    TwiddleProduct<V>(_mm_loadu_ps(re + half), _mm_loadu_ps(im + half), wr, wi, tr, ti);
    const __m128 ar = _mm_loadu_ps(re);
    const __m128 ai = _mm_loadu_ps(im);
    _mm_storeu_ps(re + half, _mm_sub_ps(ar, tr));
    _mm_storeu_ps(im + half, _mm_sub_ps(ai, ti));
    _mm_storeu_ps(re, _mm_add_ps(ar, tr));
    _mm_storeu_ps(im, _mm_add_ps(ai, ti));
}

// The scaled magnitude of four bins, and their running average.
template <class V>
inline __m128 Magnitudes(__m128 xr, __m128 xi, typename V::D scale, typename V::D offset)
{
    const typename V::D dr = V::Widen(xr);
    const typename V::D di = V::Widen(xi);
    const typename V::D power = V::Add(V::Mul(dr, dr), V::Mul(di, di));
    return V::Narrow(V::Mul(V::Div(V::Sqrt(power), scale), offset));
}

template <class V>
inline void Average(float* spectrum, __m128 magnitude, typename V::D keep, typename V::D alpha)
{
    const typename V::D old = V::Mul(keep, V::Widen(_mm_loadu_ps(spectrum)));
    _mm_storeu_ps(spectrum, V::Narrow(V::Add(old, V::Mul(alpha, V::Widen(magnitude)))));
}

// The last stage (half = 512) with the magnitudes and the average of bins
// 0 .. 511 taken from its results in registers; bin 512 comes last.
template <class V>
inline void LastStageAndAverage()
{
    const int32_t half = FftLength / 2;
    const double* wr = Tables.twiddleRe + half;
    const double* wi = Tables.twiddleIm + half;
    const typename V::D scale = V::Set(100.0);
    const typename V::D offset = V::Set(static_cast<double>(OffsetMultiplier));
    const double alphaValue = AveragingFactor;
    const typename V::D alpha = V::Set(alphaValue);
    const typename V::D keep = V::Set(1.0 - alphaValue);
    for (int32_t k = 0; k < half; k += 4) {
        __m128 tr, ti;
        TwiddleProduct<V>(_mm_loadu_ps(FftReal + k + half), _mm_loadu_ps(FftImag + k + half),
                          wr + k, wi + k, tr, ti);
        const __m128 ar = _mm_loadu_ps(FftReal + k);
        const __m128 ai = _mm_loadu_ps(FftImag + k);
        _mm_storeu_ps(FftReal + k + half, _mm_sub_ps(ar, tr));
        _mm_storeu_ps(FftImag + k + half, _mm_sub_ps(ai, ti));
        const __m128 xr = _mm_add_ps(ar, tr);
        const __m128 xi = _mm_add_ps(ai, ti);
        _mm_storeu_ps(FftImag + k, xi);
        const __m128 m = Magnitudes<V>(xr, xi, scale, offset);
        _mm_storeu_ps(FftReal + k, m);
        Average<V>(Spectrum + k, m, keep, alpha);
    }
    // Bin 512 alone: its lane in a vector of four, the other lanes unused.
    const __m128 m = Magnitudes<V>(_mm_load_ss(FftReal + half), _mm_load_ss(FftImag + half),
                                   scale, offset);
    _mm_store_ss(FftReal + half, m);
    const double last = (1.0 - alphaValue) * Spectrum[half] + alphaValue * _mm_cvtss_f32(m);
    Spectrum[half] = static_cast<float>(last);
}

template <class V>
void FastPass(const int16_t* samples, const float* table, double gain)
{
    if (table)
        LoadFirstTwoStages<V, false>(samples, table, gain);
    else
        LoadFirstTwoStages<V, true>(samples, table, gain);
    for (int32_t half = 4; half < FftLength / 2; half *= 2) {
        const double* wr = Tables.twiddleRe + half;
        const double* wi = Tables.twiddleIm + half;
        for (int32_t g = 0; g < FftLength; g += 2 * half) {
            for (int32_t k = 0; k < half; k += 4)
                Butterflies<V>(FftReal + g + k, FftImag + g + k, half, wr + k, wi + k);
        }
    }
    LastStageAndAverage<V>();
}

}  // namespace
}  // namespace dsp
