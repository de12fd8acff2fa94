// Window tables and the Bessel function against their closed forms, a power
// series for I0 and the values the analyser is known to show.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "dsp/fft.h"

namespace {

// I0 by its power series in long double: sum of ((x/2)^k / k!)^2.
long double SeriesI0(long double x)
{
    long double term = 1.0L;
    long double sum = 1.0L;
    const long double q = x * x / 4.0L;
    for (int k = 1; k < 200 && term > sum * 1e-22L; ++k) {
        term *= q / (static_cast<long double>(k) * k);
        sum += term;
    }
    return sum;
}

struct TableCase {
    const char* name;
    int32_t kind;
    const float* table;
    double at0;
    double tol0;
    double at1;
    double tol1;
    double at256;
    double tol256;
};

class WindowTables : public ::testing::Test {
protected:
    void SetUp() override
    {
        dsp::ResetState();
        dsp::StartUp();
    }
    void TearDown() override { dsp::ResetState(); }
};

const TableCase Cases[] = {
    // name, kind, table, entry 0, entry 1, entry 256, each with its tolerance
    {"Blackman", dsp::KindBlackman, dsp::BlackmanTable, 0.0, 1e-6, 3.3885e-6, 1e-7, 0.34, 1e-7},
    {"Hamming", dsp::KindHamming, dsp::HammingTable, 0.08, 1e-8, 0.0800087, 1e-7, 0.54, 1e-7},
    {"Hanning", dsp::KindHanning, dsp::HanningTable, 0.0, 0.0, 9.42e-6, 1e-8, 0.5, 1e-7},
    {"Kaiser", dsp::KindKaiser, dsp::KaiserTable, 0.00035515, 5e-9, 0.00039065, 5e-9, 0.28206, 5e-6},
    {"Welch", dsp::KindWelch, dsp::WelchTable, 0.0, 0.0, 0.0039024, 1e-7, 0.75, 0.0},
};

TEST_F(WindowTables, TwoPiIsEightArctanOneAsSingle)
{
    EXPECT_EQ(dsp::TwoPi, 6.2831855f);
}

TEST_F(WindowTables, EntriesAtTheNamedIndices)
{
    for (const TableCase& c : Cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.table, dsp::WindowTableFor(c.kind));
        EXPECT_NEAR(c.table[0], c.at0, c.tol0);
        EXPECT_NEAR(c.table[1], c.at1, c.tol1);
        EXPECT_EQ(c.table[dsp::FftLength - 1], c.table[1]);
        EXPECT_NEAR(c.table[256], c.at256, c.tol256);
        EXPECT_EQ(c.table[768], c.table[256]);
        EXPECT_EQ(c.table[dsp::HalfLength], 1.0f);
    }
    EXPECT_EQ(dsp::WindowTableFor(dsp::KindRectangular), nullptr);
    EXPECT_EQ(dsp::WindowTableFor(-1), nullptr);
    // A kind with a table needs its row here.
    for (int32_t kind = 0; kind < dsp::WindowKindCount; ++kind) {
        bool listed = false;
        for (const TableCase& c : Cases)
            listed = listed || c.kind == kind;
        EXPECT_EQ(listed, dsp::WindowTableFor(kind) != nullptr) << "kind " << kind;
    }
}

TEST_F(WindowTables, SymmetricAboutTheCentre)
{
    for (const TableCase& c : Cases) {
        SCOPED_TRACE(c.name);
        for (int d = 1; d < dsp::HalfLength; ++d)
            ASSERT_EQ(c.table[dsp::HalfLength + d], c.table[dsp::HalfLength - d]) << "d = " << d;
    }
}

TEST_F(WindowTables, MeanMatchesTheGainCorrection)
{
    const double means[] = {0.42, 0.54, 0.5, 0.39113, 2.0 / 3.0};
    for (const TableCase& c : Cases) {
        SCOPED_TRACE(c.name);
        double sum = 0.0;
        for (int n = 0; n < dsp::FftLength; ++n)
            sum += c.table[n];
        const double mean = sum / dsp::FftLength;
        EXPECT_NEAR(mean, means[c.kind], 1e-5);
        EXPECT_NEAR(mean * dsp::WindowGain[c.kind], 1.0, 1e-3);
    }
}

// Each cosine table against its periodic closed form in long double.
TEST_F(WindowTables, CosineTablesFollowTheirFormulas)
{
    const long double pi = 3.14159265358979323846264338327950288L;
    for (int n = 0; n < dsp::FftLength; ++n) {
        const long double c = std::cos(2.0L * pi * n / dsp::FftLength);
        const long double c2 = std::cos(4.0L * pi * n / dsp::FftLength);
        ASSERT_NEAR(dsp::BlackmanTable[n], static_cast<double>(0.42L - 0.5L * c + 0.08L * c2), 1.5e-7) << n;
        ASSERT_NEAR(dsp::HammingTable[n], static_cast<double>(0.54L - 0.46L * c), 1.5e-7) << n;
        ASSERT_NEAR(dsp::HanningTable[n], static_cast<double>(0.5L - 0.5L * c), 1.5e-7) << n;
        const long double r = static_cast<long double>(n - dsp::HalfLength) / dsp::HalfLength;
        ASSERT_NEAR(dsp::WelchTable[n], static_cast<double>(1.0L - r * r), 6e-8) << n;
    }
}

// The Kaiser table against the series I0; the approximations are good to a
// few parts in 10^7.
TEST_F(WindowTables, KaiserTableAgainstSeriesBessel)
{
    const long double i0beta = SeriesI0(10.0L);
    for (int n = 0; n < dsp::FftLength; ++n) {
        const long double r = static_cast<long double>(n - dsp::HalfLength) / dsp::HalfLength;
        const long double expected = SeriesI0(10.0L * std::sqrt(1.0L - r * r)) / i0beta;
        ASSERT_NEAR(dsp::KaiserTable[n], static_cast<double>(expected),
                    static_cast<double>(expected) * 1e-6) << n;
        ASSERT_EQ(dsp::KaiserTable[n], dsp::KaiserWindow(n)) << n;
    }
}

TEST(BesselI0, KnownValues)
{
    EXPECT_EQ(dsp::BesselI0(0.0f), 1.0f);
    EXPECT_NEAR(dsp::BesselI0(1.0f), 1.2660658, 1.2660658 * 1e-6);
    EXPECT_NEAR(dsp::BesselI0(10.0f), 2815.7166, 2815.7166 * 1e-6);
    EXPECT_EQ(dsp::BesselI0(-10.0f), dsp::BesselI0(10.0f));
    EXPECT_EQ(dsp::BesselI0(-1.0f), dsp::BesselI0(1.0f));
}

TEST(BesselI0, BranchesAgreeAtTheirBoundary)
{
    const float below = std::nextafter(3.75f, 0.0f);
    const float lower = dsp::BesselI0(below);
    const float upper = dsp::BesselI0(3.75f);
    EXPECT_NEAR(lower, 9.11894, 1e-4);
    EXPECT_NEAR(upper, 9.11894, 1e-4);
    EXPECT_NEAR(lower, upper, upper * 1e-5);
    EXPECT_NEAR(dsp::BesselI0(-3.75f), upper, 0.0);
}

// Across its range the approximation follows the series closely; a wrong
// coefficient or branch shows up as a relative error far above 1e-6.
TEST(BesselI0, FollowsTheSeriesFromZeroToTen)
{
    for (int i = 0; i <= 200; ++i) {
        const float x = static_cast<float>(i * 0.05);
        const double expected = static_cast<double>(SeriesI0(x));
        ASSERT_NEAR(dsp::BesselI0(x), expected, expected * 6e-7) << "x = " << x;
    }
}

}  // namespace
