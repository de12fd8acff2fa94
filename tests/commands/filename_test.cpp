// The dated file name: month names, fields cut by position from the two clock
// texts, and what malformed clock texts give.
#include "commands/spectrumtext.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <string_view>

namespace {

TEST(ExportFileName, TheDocumentedExample)
{
    EXPECT_EQ(commands::FftFileName("12-06-2026", "01:15:30"), "FFT06December2026011530.txt");
}

TEST(ExportFileName, EveryMonthByItsNumber)
{
    const char* const names[] = {"January", "February", "March",     "April",   "May",
                                 "June",    "July",     "August",    "September",
                                 "October", "November", "December"};
    for (int32_t month = 1; month <= 12; ++month) {
        SCOPED_TRACE(month);
        EXPECT_STREQ(commands::MonthName(month), names[month - 1]);
        const std::string expected = std::string("FFT31") + names[month - 1] + "1999235959.txt";
        EXPECT_EQ(commands::FftFileName(commands::ClockDateText(month, 31, 1999),
                                         commands::ClockTimeText(23, 59, 59)),
                  expected);
    }
}

TEST(ExportFileName, MonthsOutsideTheYearAreOctember)
{
    for (int32_t month : {0, 13, 99, -1, INT_MIN, INT_MAX})
        EXPECT_STREQ(commands::MonthName(month), "Octember") << month;
    for (const char* date : {"00-01-2026", "13-01-2026", "99-01-2026"})
        EXPECT_EQ(commands::FftFileName(date, "00:00:00"), "FFT01Octember2026000000.txt") << date;
}

TEST(ExportFileName, ClockTextsArePadded)
{
    EXPECT_EQ(commands::ClockDateText(12, 6, 2026), "12-06-2026");
    EXPECT_EQ(commands::ClockDateText(1, 1, 99), "01-01-0099");
    EXPECT_EQ(commands::ClockTimeText(1, 15, 30), "01:15:30");
    EXPECT_EQ(commands::ClockTimeText(0, 0, 0), "00:00:00");
}

struct NameCase {
    std::string_view date;
    std::string_view time;
    const char* name;
};

TEST(ExportFileName, OnlyThePositionsOfTheFieldsCount)
{
    const NameCase cases[] = {
        // Other separators, and text beyond the last field, are ignored.
        {"12/06/2026", "01.15.30", "FFT06December2026011530.txt"},
        {"02-29-2028 Tue", "23:59:59.999", "FFT29February2028235959.txt"},
        // A year of five digits is cut to its first four.
        {"06-15-12345", "12:00:00", "FFT15June1234120000.txt"},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(commands::FftFileName(c.date, c.time), c.name) << c.date << " " << c.time;
}

TEST(ExportFileName, MalformedClockTextsGiveZerosAndOctember)
{
    using namespace std::string_view_literals;
    const NameCase cases[] = {
        {"", "", "FFT00Octember0000000000.txt"},
        // Too short: each field that does not fit reads as zeros.
        {"1", "0", "FFT00Octember0000000000.txt"},
        {"12-06-202", "01:15:3", "FFT06December0000011500.txt"},
        {"12-0", "01:1", "FFT00December0000010000.txt"},
        // No leading zeros, so the fields are cut through the separators.
        {"1-5-2026", "1:5:30", "FFT00Octember0000000000.txt"},
        // Blanks, signs, letters and path characters are no digits.
        {" 6-12-2026", "1 :15:30", "FFT12Octember2026001530.txt"},
        {"-1-06-2026", "+1:-5:30", "FFT06Octember2026000030.txt"},
        {"12-06-20x6", "ab:15:30", "FFT06December0000001530.txt"},
        {"..\\..\\C:", "\\\\:/:*?", "FFT00Octember0000000000.txt"},
        // A NUL inside the text ends nothing and is no digit.
        {"12-0\0-2026"sv, "01:15:\0"sv, "FFT00December2026011500.txt"},
    };
    for (const NameCase& c : cases) {
        const std::string name = commands::FftFileName(c.date, c.time);
        EXPECT_EQ(name, c.name) << '"' << c.date << "\" \"" << c.time << '"';
        for (const char ch : name) {
            const bool plain = (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') ||
                               (ch >= 'a' && ch <= 'z') || ch == '.';
            EXPECT_TRUE(plain) << name;
        }
    }
}

TEST(ExportFileName, FieldsEndAtTheTextsEnd)
{
    // Views into a longer buffer: nothing beyond each view's end is read.
    const std::string buffer = "12-06-2026|01:15:30";
    const std::string_view all(buffer);
    EXPECT_EQ(commands::FftFileName(all.substr(0, 8), all.substr(11, 5)),
              "FFT06December0000011500.txt");
    EXPECT_EQ(commands::FftFileName(all.substr(0, 10), all.substr(11, 8)),
              "FFT06December2026011530.txt");
}

}  // namespace
