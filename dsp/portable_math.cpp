// Classic minimax kernels (the coefficients of the freely distributable
// fdlibm) with Cody-Waite argument reduction. Every step is a double
// operation on named values, so no compiler or runtime freedom is left.
#include "dsp/portable_math.h"

#include <cmath>
#include <limits>

namespace dsp {

namespace {

// pi/2 as a 33-bit head plus tails: n * head is exact for |n| < 2^20, and a
// second and third piece are brought in only when the first subtraction
// cancelled most of the bits (arguments close to a multiple of pi/2).
const double InvPio2 = 6.36619772367581382433e-01;
const double Pio2First = 1.57079632673412561417e+00;
const double Pio2FirstTail = 6.07710050650619224932e-11;
const double Pio2Second = 6.07710050630396597660e-11;
const double Pio2SecondTail = 2.02226624879595063154e-21;
const double Pio2Third = 2.02226624871116645580e-21;
const double Pio2ThirdTail = 8.47842766036889956997e-32;

// Beyond this n * Pio2First is no longer exact; nothing in the analyser comes
// near it, and the library takes over there.
const double ReductionLimit = 1.0e6;

// sin on [-pi/4, pi/4] of x + y (y is the tail of the reduced argument).
double KernelSin(double x, double y)
{
    const double S1 = -1.66666666666666324348e-01;
    const double S2 = 8.33333333332248946124e-03;
    const double S3 = -1.98412698298579493134e-04;
    const double S4 = 2.75573137070700676789e-06;
    const double S5 = -2.50507602534068634195e-08;
    const double S6 = 1.58969099521155010221e-10;
    const double z = x * x;
    const double v = z * x;
    const double r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
    return x - ((z * (0.5 * y - v * r) - y) - v * S1);
}

// cos on [-pi/4, pi/4] of x + y.
double KernelCos(double x, double y)
{
    const double C1 = 4.16666666666666019037e-02;
    const double C2 = -1.38888888888741095749e-03;
    const double C3 = 2.48015872894767294178e-05;
    const double C4 = -2.75573143513906633035e-07;
    const double C5 = 2.08757232129817482790e-09;
    const double C6 = -1.13596475577881948265e-11;
    const double z = x * x;
    const double w = z * z;
    const double r = z * (C1 + z * (C2 + z * C3)) + w * w * (C4 + z * (C5 + z * C6));
    const double hz = 0.5 * z;
    const double one_minus_hz = 1.0 - hz;
    return one_minus_hz + (((1.0 - one_minus_hz) - hz) + (z * r - x * y));
}

// Binary exponent of v; zero counts as far below any reduced argument.
int Exponent(double v)
{
    return v == 0.0 ? -2000 : std::ilogb(v);
}

// x = n * pi/2 + (head + tail) with |head| <= about pi/4; returns n mod 4.
int Reduce(double x, double& head, double& tail)
{
    if (std::fabs(x) <= 7.85398163397448278999e-01) {
        head = x;
        tail = 0.0;
        return 0;
    }
    const double fn = std::nearbyint(x * InvPio2);
    const int exponent = Exponent(x);
    double r = x - fn * Pio2First;
    double w = fn * Pio2FirstTail;
    head = r - w;
    if (exponent - Exponent(head) > 16) {
        double t = r;
        w = fn * Pio2Second;
        r = t - w;
        w = fn * Pio2SecondTail - ((t - r) - w);
        head = r - w;
        if (exponent - Exponent(head) > 49) {
            t = r;
            w = fn * Pio2Third;
            r = t - w;
            w = fn * Pio2ThirdTail - ((t - r) - w);
            head = r - w;
        }
    }
    tail = (r - head) - w;
    return static_cast<int>(static_cast<long long>(fn) & 3);
}

}  // namespace

double PortableSin(double x)
{
    if (!std::isfinite(x))
        return std::numeric_limits<double>::quiet_NaN();
    if (std::fabs(x) >= ReductionLimit)
        return std::sin(x);
    if (std::fabs(x) < 7.450580596923828125e-9)  // 2^-27: sin x rounds to x
        return x;
    double head, tail;
    switch (Reduce(x, head, tail)) {
    case 0: return KernelSin(head, tail);
    case 1: return KernelCos(head, tail);
    case 2: return -KernelSin(head, tail);
    default: return -KernelCos(head, tail);
    }
}

double PortableCos(double x)
{
    if (!std::isfinite(x))
        return std::numeric_limits<double>::quiet_NaN();
    // cos is even; folding the sign first keeps tables built from it exactly
    // symmetric.
    x = std::fabs(x);
    if (x >= ReductionLimit)
        return std::cos(x);
    if (x < 7.450580596923828125e-9)
        return 1.0;
    double head, tail;
    switch (Reduce(x, head, tail)) {
    case 0: return KernelCos(head, tail);
    case 1: return -KernelSin(head, tail);
    case 2: return -KernelCos(head, tail);
    default: return KernelSin(head, tail);
    }
}

double PortableExp(double x)
{
    const double Ln2Hi = 6.93147180369123816490e-01;
    const double Ln2Lo = 1.90821492927058770002e-10;
    const double InvLn2 = 1.44269504088896338700e+00;
    const double P1 = 1.66666666666666019037e-01;
    const double P2 = -2.77777777770155933842e-03;
    const double P3 = 6.61375632143793436117e-05;
    const double P4 = -1.65339022054652515390e-06;
    const double P5 = 4.13813679705723846039e-08;

    if (std::isnan(x))
        return x;
    if (x > 7.09782712893383973096e+02)
        return std::numeric_limits<double>::infinity();
    if (x < -7.45133219101941108420e+02)
        return 0.0;
    if (std::fabs(x) < 3.7252902984e-09)  // 2^-28: e^x rounds to 1 + x
        return 1.0 + x;

    // x = k ln2 + r with |r| <= ln2 / 2; e^x = 2^k e^r.
    double k = 0.0, hi = x, lo = 0.0;
    if (std::fabs(x) > 0.5 * 6.93147180559945286227e-01) {
        k = std::nearbyint(x * InvLn2);
        hi = x - k * Ln2Hi;
        lo = k * Ln2Lo;
    }
    const double r = hi - lo;
    const double t = r * r;
    const double c = r - t * (P1 + t * (P2 + t * (P3 + t * (P4 + t * P5))));
    const double y = 1.0 - ((lo - (r * c) / (2.0 - c)) - hi);
    // Scaling by a power of two is exact except where the result is subnormal.
    return std::ldexp(y, static_cast<int>(k));
}

}  // namespace dsp
