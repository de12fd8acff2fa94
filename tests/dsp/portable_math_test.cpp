// The target-independent sine, cosine and exponential against long double
// references of our own (the i686 runtime's long double sine is off by parts
// in 10^5 near multiples of pi, so it cannot serve as the reference).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "dsp/portable_math.h"

namespace {

// pi/2 and ln 2 as a 32-bit head, a 32-bit middle and a 64-bit tail, so that
// n * head and n * middle are exact in long double for small n.
const long double Pio2Head = 0xc90fdaa2p-31L;
const long double Pio2Mid = 0x85a308d3p-65L;
const long double Pio2Tail = 0x98cc51701b839a25p-132L;
const long double Ln2Head = 0xb17217f8p-32L;
const long double Ln2Mid = -0xb8c21951p-66L;
const long double Ln2Tail = 0x9e3b39803f2f6af4p-132L;

long double TaylorSin(long double r)
{
    long double term = r, sum = r;
    for (int k = 1; k < 30; ++k) {
        term *= -r * r / ((2.0L * k) * (2.0L * k + 1.0L));
        sum += term;
    }
    return sum;
}

long double TaylorCos(long double r)
{
    long double term = 1.0L, sum = 1.0L;
    for (int k = 1; k < 30; ++k) {
        term *= -r * r / ((2.0L * k - 1.0L) * (2.0L * k));
        sum += term;
    }
    return sum;
}

// sin (quarter = 0) or cos (quarter = 1) of x for |x| < 1000.
long double ReferenceSinCos(double x, int quarter)
{
    const long double n = std::nearbyint(static_cast<long double>(x) / (Pio2Head + Pio2Mid));
    const long double r = ((x - n * Pio2Head) - n * Pio2Mid) - n * Pio2Tail;
    switch ((static_cast<long long>(n) + quarter) & 3) {
    case 0: return TaylorSin(r);
    case 1: return TaylorCos(r);
    case 2: return -TaylorSin(r);
    default: return -TaylorCos(r);
    }
}

long double ReferenceExp(double x)
{
    const long double k = std::nearbyint(static_cast<long double>(x) / (Ln2Head + Ln2Mid));
    const long double r = ((x - k * Ln2Head) - k * Ln2Mid) - k * Ln2Tail;
    long double term = 1.0L, sum = 1.0L;
    for (int i = 1; i < 30; ++i) {
        term *= r / i;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));
}

// Distance in units of the double's last place at the reference value.
double Ulps(double value, long double reference)
{
    const double rounded = static_cast<double>(reference);
    const double ulp = std::nextafter(std::fabs(rounded), std::numeric_limits<double>::infinity())
                       - std::fabs(rounded);
    return static_cast<double>(std::fabs(value - reference) / ulp);
}

// A grid over the reduction quadrants plus the neighbourhoods of the
// multiples of pi/2, where the result is small and the reduction does the work.
std::vector<double> SinCosArguments()
{
    std::vector<double> args;
    for (int i = -20000; i <= 20000; ++i)
        args.push_back(i * 0.0005123);
    for (int k = -12; k <= 12; ++k) {
        double x = k * 1.5707963267948966;
        for (int j = 0; j < 64; ++j) {
            args.push_back(x);
            x = std::nextafter(x, 100.0);
        }
        args.push_back(k * 1.5707963705062866);  // multiples of the single pi/2
    }
    args.push_back(700.0);
    args.push_back(-999.0);
    return args;
}

TEST(PortableMath, SineAndCosineWithinOneUlp)
{
    double worst = 0.0;
    for (double x : SinCosArguments()) {
        const double s = Ulps(dsp::PortableSin(x), ReferenceSinCos(x, 0));
        const double c = Ulps(dsp::PortableCos(x), ReferenceSinCos(x, 1));
        ASSERT_LE(s, 1.0) << "sin " << x;
        ASSERT_LE(c, 1.0) << "cos " << x;
        worst = std::max(worst, std::max(s, c));
    }
    RecordProperty("worst_ulps", std::to_string(worst));
}

TEST(PortableMath, ExponentialWithinOneUlp)
{
    for (int i = -70000; i <= 70000; ++i) {
        const double x = i * 0.01013;
        ASSERT_LE(Ulps(dsp::PortableExp(x), ReferenceExp(x)), 1.0) << x;
    }
    for (int i = 0; i <= 20000; ++i) {
        const double x = 3.75 + i * 0.0003125;  // the Bessel function's range
        ASSERT_LE(Ulps(dsp::PortableExp(x), ReferenceExp(x)), 1.0) << x;
    }
}

TEST(PortableMath, SymmetryAndSpecialValues)
{
    for (double x : {0.1, 1.0, 1.5707963705062866, 3.1415927410125732, 6.2831854820251465, 40.0}) {
        EXPECT_EQ(dsp::PortableCos(-x), dsp::PortableCos(x)) << x;
        EXPECT_EQ(dsp::PortableSin(-x), -dsp::PortableSin(x)) << x;
    }
    EXPECT_EQ(dsp::PortableSin(0.0), 0.0);
    EXPECT_EQ(dsp::PortableCos(0.0), 1.0);
    EXPECT_EQ(dsp::PortableExp(0.0), 1.0);
    EXPECT_EQ(dsp::PortableSin(1e-300), 1e-300);
    EXPECT_EQ(dsp::PortableSin(3.141592653589793), 1.2246467991473532e-16);
    EXPECT_TRUE(std::isnan(dsp::PortableSin(std::numeric_limits<double>::infinity())));
    EXPECT_TRUE(std::isnan(dsp::PortableCos(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_TRUE(std::isnan(dsp::PortableExp(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_EQ(dsp::PortableExp(710.0), std::numeric_limits<double>::infinity());
    EXPECT_EQ(dsp::PortableExp(-746.0), 0.0);
    EXPECT_EQ(dsp::PortableExp(709.0), 8.218407461554972e+307);
}

}  // namespace
