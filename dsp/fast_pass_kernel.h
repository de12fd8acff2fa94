// The fast pass, written once over a small set of vector operations and
// compiled once per instruction set (fast_pass.cpp: SSE2, fast_pass_avx.cpp:
// AVX). Each operation is the reference's operation on four lanes: products
// and differences of the twiddle multiply, the window and the magnitudes in
// double, each named value rounded to single where the reference stores it.
// Sums and differences of two singles are done in single: rounding the exact
// sum to double (53 bits) and then to single gives the same bits as rounding
// it to single once, since 53 >= 2 * 24 + 2.
//
// A vector type V supplies F (Lanes singles), D (Lanes doubles), LoadF,
// StoreF, AddF, SubF on F, Widen (F -> D), WidenLoad (Lanes singles from
// memory -> D), Narrow (D -> F), Load (Lanes aligned doubles), Set, Add, Sub,
// Mul, Div, Sqrt on D; four-lane ones (F = __m128) also Ints (4 int16 -> 4
// int32) and IntsToDouble (4 int32 -> D).
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

// The twiddle product of W::Lanes butterflies, (tr, ti) = x[ip] * w,
// exactly as the reference forms it.
template <class W>
inline void TwiddleProduct(const float* xr, const float* xi, const double* wr, const double* wi,
                           typename W::F& tr, typename W::F& ti)
{
    const typename W::D dr = W::WidenLoad(xr);
    const typename W::D di = W::WidenLoad(xi);
    const typename W::D cr = W::Load(wr);
    const typename W::D ci = W::Load(wi);
    tr = W::Narrow(W::Sub(W::Mul(dr, cr), W::Mul(di, ci)));
    ti = W::Narrow(W::Add(W::Mul(dr, ci), W::Mul(di, cr)));
}

// W::Lanes butterflies of one stage: points re[0 ..] and their partners
// half on.
template <class W>
inline void Butterflies(float* re, float* im, int32_t half, const double* wr, const double* wi)
{
    typename W::F tr, ti;
    TwiddleProduct<W>(re + half, im + half, wr, wi, tr, ti);
    const typename W::F ar = W::LoadF(re);
    const typename W::F ai = W::LoadF(im);
    W::StoreF(re + half, W::SubF(ar, tr));
    W::StoreF(im + half, W::SubF(ai, ti));
    W::StoreF(re, W::AddF(ar, tr));
    W::StoreF(im, W::AddF(ai, ti));
}

// The twiddle product of W::Lanes butterflies whose x[ip] is in registers.
template <class W>
inline void TwiddleProductOf(typename W::F xr, typename W::F xi, const double* wr,
                             const double* wi, typename W::F& tr, typename W::F& ti)
{
    const typename W::D dr = W::Widen(xr);
    const typename W::D di = W::Widen(xi);
    const typename W::D cr = W::Load(wr);
    const typename W::D ci = W::Load(wi);
    tr = W::Narrow(W::Sub(W::Mul(dr, cr), W::Mul(di, ci)));
    ti = W::Narrow(W::Add(W::Mul(dr, ci), W::Mul(di, cr)));
}

// Two stages in registers over points k, k + h, k + 2h, k + 3h (W::Lanes
// consecutive k each): the butterflies of the stage with half span h, then
// those of the stage with 2h, each the same operations as alone.
template <class W>
inline void TwoStages(float* re, float* im, int32_t h, int32_t k)
{
    const double* wr = Tables.twiddleRe;
    const double* wi = Tables.twiddleIm;
    typename W::F tr, ti;
    TwiddleProduct<W>(re + h, im + h, wr + h + k, wi + h + k, tr, ti);
    typename W::F ar = W::LoadF(re), ai = W::LoadF(im);
    const typename W::F r1 = W::SubF(ar, tr), i1 = W::SubF(ai, ti);
    const typename W::F r0 = W::AddF(ar, tr), i0 = W::AddF(ai, ti);
    TwiddleProduct<W>(re + 3 * h, im + 3 * h, wr + h + k, wi + h + k, tr, ti);
    ar = W::LoadF(re + 2 * h);
    ai = W::LoadF(im + 2 * h);
    const typename W::F r3 = W::SubF(ar, tr), i3 = W::SubF(ai, ti);
    const typename W::F r2 = W::AddF(ar, tr), i2 = W::AddF(ai, ti);
    TwiddleProductOf<W>(r2, i2, wr + 2 * h + k, wi + 2 * h + k, tr, ti);
    W::StoreF(re + 2 * h, W::SubF(r0, tr));
    W::StoreF(im + 2 * h, W::SubF(i0, ti));
    W::StoreF(re, W::AddF(r0, tr));
    W::StoreF(im, W::AddF(i0, ti));
    TwiddleProductOf<W>(r3, i3, wr + 3 * h + k, wi + 3 * h + k, tr, ti);
    W::StoreF(re + 3 * h, W::SubF(r1, tr));
    W::StoreF(im + 3 * h, W::SubF(i1, ti));
    W::StoreF(re + h, W::AddF(r1, tr));
    W::StoreF(im + h, W::AddF(i1, ti));
}

// The scaled magnitudes of W::Lanes bins.
template <class W>
inline typename W::F Magnitudes(typename W::F xr, typename W::F xi, typename W::D scale,
                                typename W::D offset)
{
    const typename W::D dr = W::Widen(xr);
    const typename W::D di = W::Widen(xi);
    const typename W::D power = W::Add(W::Mul(dr, dr), W::Mul(di, di));
    return W::Narrow(W::Mul(W::Div(W::Sqrt(power), scale), offset));
}

// Their running average, folded into spectrum[0 .. W::Lanes - 1].
template <class W>
inline void Average(float* spectrum, typename W::F magnitude, typename W::D keep,
                    typename W::D alpha)
{
    const typename W::D old = W::Mul(keep, W::WidenLoad(spectrum));
    W::StoreF(spectrum, W::Narrow(W::Add(old, W::Mul(alpha, W::Widen(magnitude)))));
}

// The last stage (half = 512) with the magnitudes and the average of bins
// 0 .. 511 taken from its results in registers; bin 512 comes last, alone in
// the first lane of a four-lane step.
template <class Q, class W>
inline void LastStageAndAverage()
{
    const int32_t half = FftLength / 2;
    const double* wr = Tables.twiddleRe + half;
    const double* wi = Tables.twiddleIm + half;
    const double alphaValue = AveragingFactor;
    const double offsetValue = static_cast<double>(OffsetMultiplier);
    const typename W::D scale = W::Set(100.0);
    const typename W::D offset = W::Set(offsetValue);
    const typename W::D alpha = W::Set(alphaValue);
    const typename W::D keep = W::Set(1.0 - alphaValue);
    for (int32_t k = 0; k < half; k += W::Lanes) {
        typename W::F tr, ti;
        TwiddleProduct<W>(FftReal + k + half, FftImag + k + half, wr + k, wi + k, tr, ti);
        const typename W::F ar = W::LoadF(FftReal + k);
        const typename W::F ai = W::LoadF(FftImag + k);
        W::StoreF(FftReal + k + half, W::SubF(ar, tr));
        W::StoreF(FftImag + k + half, W::SubF(ai, ti));
        const typename W::F xr = W::AddF(ar, tr);
        const typename W::F xi = W::AddF(ai, ti);
        W::StoreF(FftImag + k, xi);
        const typename W::F m = Magnitudes<W>(xr, xi, scale, offset);
        W::StoreF(FftReal + k, m);
        Average<W>(Spectrum + k, m, keep, alpha);
    }
    const __m128 m = Magnitudes<Q>(_mm_load_ss(FftReal + half), _mm_load_ss(FftImag + half),
                                   Q::Set(100.0), Q::Set(offsetValue));
    _mm_store_ss(FftReal + half, m);
    const double last = (1.0 - alphaValue) * Spectrum[half] + alphaValue * _mm_cvtss_f32(m);
    Spectrum[half] = static_cast<float>(last);
}

// Q: four-lane operations (the first three stages), W: the widest the
// kernel has (the stages from half = 8 on).
template <class Q, class W>
void FastPass(const int16_t* samples, const float* table, double gain)
{
    if (table)
        LoadFirstTwoStages<Q, false>(samples, table, gain);
    else
        LoadFirstTwoStages<Q, true>(samples, table, gain);
    // Stages 3 and 4 (half spans 4 and 8) in registers, then one by one:
    // pairs of wide stages spill registers and run slower.
    for (int32_t g = 0; g < FftLength; g += 16)
        TwoStages<Q>(FftReal + g, FftImag + g, 4, 0);
    for (int32_t half = 16; half < FftLength / 2; half *= 2) {
        const double* wr = Tables.twiddleRe + half;
        const double* wi = Tables.twiddleIm + half;
        for (int32_t g = 0; g < FftLength; g += 2 * half) {
            for (int32_t k = 0; k < half; k += W::Lanes)
                Butterflies<W>(FftReal + g + k, FftImag + g + k, half, wr + k, wi + k);
        }
    }
    LastStageAndAverage<Q, W>();
}

}  // namespace
}  // namespace dsp
