#include "dsp/window.h"

#include <algorithm>
#include <cmath>

#include "dsp/portable_math.h"

namespace dsp {

const double WindowGain[WindowKindCount] = {2.381, 1.852, 2.0, 2.559, 1.499, 1.0};

float TwoPi = 0.0f;

void (*YieldHook)() = nullptr;

float BlackmanTable[FftLength] = {};
float HammingTable[FftLength] = {};
float HanningTable[FftLength] = {};
float KaiserTable[FftLength] = {};
float WelchTable[FftLength] = {};

namespace {

// Kaiser shape parameter; a single like every stored real.
const float KaiserBeta = 10.0f;

// The table of a kind, writable for this module alone.
float* TableOf(int32_t kind)
{
    switch (kind) {
    case KindBlackman: return BlackmanTable;
    case KindHamming:  return HammingTable;
    case KindHanning:  return HanningTable;
    case KindKaiser:   return KaiserTable;
    case KindWelch:    return WelchTable;
    default:           return nullptr;
    }
}

}  // namespace

const float* WindowTableFor(int32_t kind)
{
    return TableOf(kind);
}

void ClearWindowTables()
{
    for (int32_t kind = 0; kind < WindowKindCount; ++kind) {
        if (float* table = TableOf(kind))
            std::fill_n(table, FftLength, 0.0f);
    }
}

float BesselI0(float x)
{
    const float a = std::fabs(x);
    double i0;
    if (a < 3.75f) {
        const double q = static_cast<double>(x) / 3.75;
        const float y = static_cast<float>(q * q);
        const double yd = y;
        i0 = 1.0 + yd * (3.5156229 + yd * (3.0899424 + yd * (1.2067492
               + yd * (0.2659732 + yd * (0.0360768 + yd * 0.0045813)))));
    } else {
        const float t = static_cast<float>(3.75 / static_cast<double>(a));
        const double td = t;
        const double ad = a;
        // 0.0022531, not the textbook 0.00225319: the Kaiser table keeps the
        // values this analyser has always shown (the difference is 2e-7).
        const double poly = 0.39894228 + td * (0.01328592 + td * (0.0022531
               + td * (-0.00157565 + td * (0.00916281 + td * (-0.02057706
               + td * (0.02635537 + td * (-0.01647633 + td * 0.00392377)))))));
        i0 = (PortableExp(ad) / std::sqrt(ad)) * poly;
    }
    return static_cast<float>(i0);
}

float KaiserWindow(int32_t n)
{
    const int32_t d = n - HalfLength;
    const double x = (2.0 * d) / FftLength;
    const float a = static_cast<float>(static_cast<double>(KaiserBeta) * std::sqrt(1.0 - x * x));
    // I0(beta) is not cached: the tables are built once, and evaluating it
    // here keeps every coefficient a function of n alone.
    return static_cast<float>(static_cast<double>(BesselI0(a)) / static_cast<double>(BesselI0(KaiserBeta)));
}

void BuildWindowTables()
{
    const float w = static_cast<float>(static_cast<double>(TwoPi) / FftLength);
    const double wd = w;
    for (int32_t n = 0; n < FftLength; ++n) {
        const int32_t d = n - HalfLength;
        const float c = static_cast<float>(PortableCos(d * wd));
        const double cd = c;
        KaiserTable[n] = KaiserWindow(n);
        BlackmanTable[n] = static_cast<float>(0.42 + 0.5 * cd + 0.08 * PortableCos(2.0 * wd * d));
        HammingTable[n] = static_cast<float>(0.54 + 0.46 * cd);
        HanningTable[n] = static_cast<float>(0.5 + 0.5 * cd);
        const double r = (2.0 * n - FftLength) / FftLength;
        WelchTable[n] = static_cast<float>(1.0 - r * r);
        // Building runs once at start-up; yielding keeps the rest of the
        // desktop responsive on a slow machine.
        if (YieldHook)
            YieldHook();
    }
}

}  // namespace dsp
