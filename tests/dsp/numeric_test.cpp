// Rounding rules, the logarithm rule and the number masks, on both targets.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "dsp/numeric.h"

namespace {

const double Inf = std::numeric_limits<double>::infinity();
const double NaN = std::numeric_limits<double>::quiet_NaN();

struct RoundCase {
    double value;
    int32_t nearest, fix, floor;
};

TEST(Numeric, RoundingRules)
{
    const RoundCase cases[] = {
        // value  Nearest  Fix  Int
        {0.5, 0, 0, 0},
        {1.5, 2, 1, 1},
        {2.5, 2, 2, 2},
        {3.5, 4, 3, 3},
        {2.4999999, 2, 2, 2},
        {2.5000001, 3, 2, 2},
        {-0.5, 0, 0, -1},
        {-1.5, -2, -1, -2},
        {-2.5, -2, -2, -3},
        {-2.7, -3, -2, -3},
        {-2.0, -2, -2, -2},
        {2.7, 3, 2, 2},
        {-0.0, 0, 0, 0},
        {1023.5, 1024, 1023, 1023},
        {2147483647.0, 2147483647, 2147483647, 2147483647},
        {-2147483648.0, -2147483647 - 1, -2147483647 - 1, -2147483647 - 1},
    };
    for (const RoundCase& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(dsp::Nearest(c.value), c.nearest);
        EXPECT_EQ(dsp::Fix(c.value), c.fix);
        EXPECT_EQ(dsp::Int(c.value), c.floor);
    }
}

TEST(Numeric, LogarithmsOfImpossibleArgumentsAreZero)
{
    for (double bad : {0.0, -0.0, -1.0, -1e-300, Inf, -Inf, NaN}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(dsp::LogE(bad), 0.0);
        EXPECT_EQ(dsp::Log10(bad), 0.0);
    }
    EXPECT_DOUBLE_EQ(dsp::LogE(std::exp(1.0)), 1.0);
    EXPECT_DOUBLE_EQ(dsp::Log10(1000.0), 3.0);
    EXPECT_DOUBLE_EQ(dsp::Log10(1e-5), -5.0);
    EXPECT_DOUBLE_EQ(dsp::LogE(1.0), 0.0);
    // Subnormals are positive and finite, so they have a logarithm.
    EXPECT_NEAR(dsp::Log10(4.9406564584124654e-324), -323.306, 1e-3);
}

struct MaskCase {
    double value;
    int decimals;
    const char* text;
};

TEST(Numeric, Masks)
{
    const MaskCase cases[] = {
        {0.0, 0, "0"},
        {0.0, 1, "0.0"},
        {0.0, 2, "0.00"},
        {-0.0, 0, "0"},
        {-0.0, 1, "0.0"},
        {-0.0, 2, "0.00"},
        {NaN, 2, "0.00"},
        // Infinities have no digits to show; like NaN they read as zero.
        {Inf, 0, "0"},
        {Inf, 1, "0.0"},
        {-Inf, 1, "0.0"},
        {-Inf, 2, "0.00"},
        // At least one digit before the point.
        {0.25, 1, "0.2"},
        {0.26, 1, "0.3"},
        {0.049, 1, "0.0"},
        // Negative values keep their sign, also when they round to zero.
        {-3.14159, 2, "-3.14"},
        {-120.04, 1, "-120.0"},
        {-0.04, 1, "-0.0"},
        {-0.4, 0, "-0"},
        {-96.3, 0, "-96"},
        // Rounding up into the next power of ten.
        {9.96, 1, "10.0"},
        {9.95001, 1, "10.0"},
        {99.96, 1, "100.0"},
        {-9.96, 1, "-10.0"},
        {9.9951, 2, "10.00"},
        {-999.995001, 2, "-1000.00"},
        {9.6, 0, "10"},
        // 9.995 is stored as 9.99499999999999957..., below the half: it
        // rounds down (the readouts never hold exact decimal halves).
        {9.995, 2, "9.99"},
        // Exact binary halves go to the even digit on both targets.
        {0.125, 2, "0.12"},
        {0.375, 2, "0.38"},
        {2.5, 0, "2"},
        {3.5, 0, "4"},
        // Large values: every digit, not a 17-digit approximation.
        {22050.0, 0, "22050"},
        {123456789.126, 2, "123456789.13"},
        {1180591620717411303424.0, 0, "1180591620717411303424"},
        {-1180591620717411303424.0, 1, "-1180591620717411303424.0"},
    };
    for (const MaskCase& c : cases) {
        EXPECT_EQ(dsp::FormatMask(c.value, c.decimals), c.text)
            << "value " << c.value << " decimals " << c.decimals;
    }
}

TEST(Numeric, LargestDoubleFitsTheMask)
{
    const std::string text = dsp::FormatMask(-std::numeric_limits<double>::max(), 2);
    ASSERT_EQ(text.size(), 1u + 309u + 3u);
    EXPECT_EQ(text.substr(0, 8), "-1797693");
    EXPECT_EQ(text.substr(text.size() - 3), ".00");
}

}  // namespace
