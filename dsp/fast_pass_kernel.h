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

// W::Lanes twiddle factors, widened to double.
template <class W>
struct Twiddles {
    typename W::D re, im;
};

template <class W>
inline Twiddles<W> TwiddlesAt(int32_t index)
{
    return {W::Load(Tables.twiddleRe + index), W::Load(Tables.twiddleIm + index)};
}

// The twiddle product of W::Lanes butterflies, (tr, ti) = x[ip] * w,
// exactly as the reference forms it.
template <class W>
inline void TwiddleProduct(typename W::D dr, typename W::D di, const Twiddles<W>& w,
                           typename W::F& tr, typename W::F& ti)
{
    tr = W::Narrow(W::Sub(W::Mul(dr, w.re), W::Mul(di, w.im)));
    ti = W::Narrow(W::Add(W::Mul(dr, w.im), W::Mul(di, w.re)));
}

// The first two stages of the four points that come from n, n + 512,
// n + 256, n + 768 (four consecutive n in the lanes, one stage-2 group each):
// x[k] holds point k of the four groups. Every imaginary part is +0 here
// except those of points 1 and 3, i1 and i3: with wr = 1 and wi = 0, or an
// imaginary part of +0, the products reduce exactly to the operations below
// (the +-0 terms kept where they can decide the sign of a zero).
struct StageTwoPoints {
    __m128 x[4], i1, i3;
};

// A twiddle factor in single lanes with the zero products that go with it.
struct SingleTwiddle {
    __m128 re, im, zeroTimesIm, zeroTimesRe;
};

inline SingleTwiddle SingleTwiddleAt(int32_t index)
{
    const float wr = static_cast<float>(Tables.twiddleRe[index]);
    const float wi = static_cast<float>(Tables.twiddleIm[index]);
    return {_mm_set1_ps(wr), _mm_set1_ps(wi), _mm_set1_ps(0.0f * wi), _mm_set1_ps(0.0f * wr)};
}

// The product x * w of a point whose imaginary part is +0, in single: the
// product of two singles is exact in double, so rounding it once is all the
// reference's double arithmetic does.
inline void RealTimesTwiddle(__m128 xr, const SingleTwiddle& w, __m128& tr, __m128& ti)
{
    tr = _mm_sub_ps(_mm_mul_ps(xr, w.re), w.zeroTimesIm);
    ti = _mm_add_ps(_mm_mul_ps(xr, w.im), w.zeroTimesRe);
}

template <class V, bool Rectangular>
inline void FirstTwoStages(const int16_t* samples, const float* table, int32_t n,
                           typename V::D g, const SingleTwiddle& w, StageTwoPoints& out)
{
    const __m128 a = WindowedSamples<V, Rectangular>(samples, table, n, g);
    constexpr int32_t quarter = HalfLength / 2;
    const __m128 b = WindowedSamples<V, Rectangular>(samples, table, n + HalfLength, g);
    const __m128 c = WindowedSamples<V, Rectangular>(samples, table, n + quarter, g);
    const __m128 d = WindowedSamples<V, Rectangular>(samples, table, n + HalfLength + quarter, g);
    const __m128 zero = _mm_setzero_ps();
    const __m128 r0 = _mm_add_ps(a, b);
    const __m128 r1 = _mm_sub_ps(a, b);
    const __m128 r2 = _mm_add_ps(c, d);
    const __m128 r3 = _mm_sub_ps(c, d);
    __m128 tr, ti;
    RealTimesTwiddle(r3, w, tr, ti);
    out.x[0] = _mm_add_ps(r0, r2);
    out.x[1] = _mm_add_ps(r1, tr);
    out.x[2] = _mm_sub_ps(r0, r2);
    out.x[3] = _mm_sub_ps(r1, tr);
    out.i1 = _mm_add_ps(zero, ti);
    out.i3 = _mm_sub_ps(zero, ti);
}

// Stores rows r0..r3 (row k: point k of four groups) as four runs of four
// points, run l at base + j[l] + offset.
inline void StoreTransposed(float* base, const int32_t* j, int32_t offset, __m128 r0, __m128 r1,
                            __m128 r2, __m128 r3)
{
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    _mm_storeu_ps(base + j[0] + offset, r0);
    _mm_storeu_ps(base + j[1] + offset, r1);
    _mm_storeu_ps(base + j[2] + offset, r2);
    _mm_storeu_ps(base + j[3] + offset, r3);
}

// Windowing, the bit-reversed load and the first three stages in registers.
// The stage-2 groups of n and n + 128 (n < 128) start at j and j + 4, with
// j = BitReverseTable[n] a multiple of 8: together they are one group of
// stage 3, done here, point by point across four groups, before anything is
// stored. Its points 0 and 2 have imaginary parts of +0 and take the single
// products (point 0's factor is exactly 1); only points 1 and 3 need double.
template <class V, bool Rectangular>
inline void LoadFirstThreeStages(const int16_t* samples, const float* table, double gain)
{
    const typename V::D g = V::Set(gain);
    const SingleTwiddle stageTwo = SingleTwiddleAt(3);
    const SingleTwiddle stageThree2 = SingleTwiddleAt(6);
    const Twiddles<V> stageThree1 = {V::Set(Tables.twiddleRe[5]), V::Set(Tables.twiddleIm[5])};
    const Twiddles<V> stageThree3 = {V::Set(Tables.twiddleRe[7]), V::Set(Tables.twiddleIm[7])};
    const __m128 zero = _mm_setzero_ps();
    for (int32_t n = 0; n < FftLength / 8; n += 4) {
        StageTwoPoints p, q;
        FirstTwoStages<V, Rectangular>(samples, table, n, g, stageTwo, p);
        FirstTwoStages<V, Rectangular>(samples, table, n + 128, g, stageTwo, q);
        // Point 0: tr = x exactly, ti = +0.
        const __m128 re0 = _mm_add_ps(p.x[0], q.x[0]);
        const __m128 re4 = _mm_sub_ps(p.x[0], q.x[0]);
        __m128 tr, ti;
        TwiddleProduct<V>(V::Widen(q.x[1]), V::Widen(q.i1), stageThree1, tr, ti);
        const __m128 re1 = _mm_add_ps(p.x[1], tr), re5 = _mm_sub_ps(p.x[1], tr);
        const __m128 im1 = _mm_add_ps(p.i1, ti), im5 = _mm_sub_ps(p.i1, ti);
        RealTimesTwiddle(q.x[2], stageThree2, tr, ti);
        const __m128 re2 = _mm_add_ps(p.x[2], tr), re6 = _mm_sub_ps(p.x[2], tr);
        const __m128 im2 = _mm_add_ps(zero, ti), im6 = _mm_sub_ps(zero, ti);
        TwiddleProduct<V>(V::Widen(q.x[3]), V::Widen(q.i3), stageThree3, tr, ti);
        const __m128 re3 = _mm_add_ps(p.x[3], tr), re7 = _mm_sub_ps(p.x[3], tr);
        const __m128 im3 = _mm_add_ps(p.i3, ti), im7 = _mm_sub_ps(p.i3, ti);
        const int32_t* j = BitReverseTable + n;
        StoreTransposed(FftReal, j, 0, re0, re1, re2, re3);
        StoreTransposed(FftReal, j, 4, re4, re5, re6, re7);
        StoreTransposed(FftImag, j, 0, zero, im1, im2, im3);
        StoreTransposed(FftImag, j, 4, zero, im5, im6, im7);
    }
}

// W::Lanes butterflies of one stage: points re[0 ..] and their partners
// half on.
template <class W>
inline void Butterflies(float* re, float* im, int32_t half, const Twiddles<W>& w)
{
    typename W::F tr, ti;
    TwiddleProduct<W>(W::WidenLoad(re + half), W::WidenLoad(im + half), w, tr, ti);
    const typename W::F ar = W::LoadF(re);
    const typename W::F ai = W::LoadF(im);
    W::StoreF(re + half, W::SubF(ar, tr));
    W::StoreF(im + half, W::SubF(ai, ti));
    W::StoreF(re, W::AddF(ar, tr));
    W::StoreF(im, W::AddF(ai, ti));
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
    const double alphaValue = AveragingFactor;
    const double offsetValue = static_cast<double>(OffsetMultiplier);
    const typename W::D scale = W::Set(static_cast<double>(MagnitudeDivisor));
    const typename W::D offset = W::Set(offsetValue);
    const typename W::D alpha = W::Set(alphaValue);
    const typename W::D keep = W::Set(1.0 - alphaValue);
    for (int32_t k = 0; k < half; k += W::Lanes) {
        typename W::F tr, ti;
        TwiddleProduct<W>(W::WidenLoad(FftReal + k + half), W::WidenLoad(FftImag + k + half),
                          TwiddlesAt<W>(half + k), tr, ti);
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
                                   Q::Set(static_cast<double>(MagnitudeDivisor)),
                                   Q::Set(offsetValue));
    _mm_store_ss(FftReal + half, m);
    const double last = (1.0 - alphaValue) * Spectrum[half] + alphaValue * _mm_cvtss_f32(m);
    Spectrum[half] = static_cast<float>(last);
}

// One stage from half span W::Lanes on: for each step of W::Lanes twiddle
// factors, held in registers, the butterflies of every group, two groups at
// a time.
template <class W>
inline void Stage(int32_t half)
{
    for (int32_t k = 0; k < half; k += W::Lanes) {
        const Twiddles<W> w = TwiddlesAt<W>(half + k);
        float* re = FftReal + k;
        float* im = FftImag + k;
        for (int32_t g = 0; g < FftLength; g += 4 * half) {
            Butterflies<W>(re + g, im + g, half, w);
            Butterflies<W>(re + g + 2 * half, im + g + 2 * half, half, w);
        }
    }
}

// Q: four-lane operations (the first three stages), W: the widest the
// kernel has (the later stages). Stages 1 to 3 are done in registers during
// the load; the later ones one by one: pairs of wide stages hold more values
// than the registers and spill.
template <class Q, class W>
void FastPass(const int16_t* samples, const float* table, double gain)
{
    if (table)
        LoadFirstThreeStages<Q, false>(samples, table, gain);
    else
        LoadFirstThreeStages<Q, true>(samples, table, gain);
    for (int32_t half = 8; half < FftLength / 2; half *= 2)
        Stage<W>(half);
    LastStageAndAverage<Q, W>();
}

}  // namespace
}  // namespace dsp
