#include "commands/spectrumtext.h"

#include <cstdio>

#include "dsp/numeric.h"
#include "dsp/readings.h"
#include "dsp/sizes.h"

namespace commands {

namespace {

// The characters at 1-based positions first .. first + width - 1 of text, as
// the clock fields are defined, or all zeros unless every one of them exists
// and is a decimal digit: an odd clock text then gives a plain number, never
// a separator or a drive colon inside the file name.
std::string DigitField(std::string_view text, size_t first, size_t width)
{
    const size_t start = first - 1;
    if (text.size() < start + width)
        return std::string(width, '0');
    const std::string_view field = text.substr(start, width);
    for (const char c : field) {
        if (c < '0' || c > '9')
            return std::string(width, '0');
    }
    return std::string(field);
}

// The month number of the date text's first two characters; 0, which names
// no month, unless both are digits.
int32_t MonthNumber(std::string_view dateText)
{
    const std::string field = DigitField(dateText, 1, 2);
    return (field[0] - '0') * 10 + (field[1] - '0');
}

// "a-b-c" with each number zero-padded to the widths given.
std::string JoinClockFields(const char* format, int32_t a, int32_t b, int32_t c)
{
    char text[48];
    std::snprintf(text, sizeof text, format, static_cast<int>(a), static_cast<int>(b),
                  static_cast<int>(c));
    return text;
}

}  // namespace

std::string BuildSpectrumText(const float* spectrum, int32_t sampleRate, int32_t referenceLevel)
{
    std::string text;
    // "22050.0\t-123.45\r\n" is 17 characters; most lines are shorter.
    text.reserve(dsp::BinCount * 20);
    for (int32_t i = 0; i < dsp::BinCount; ++i) {
        text += dsp::FormatMask(dsp::BinFrequency(i, sampleRate), 1);
        text += '\t';
        text += dsp::FormatLevel(dsp::LevelInDecibels(spectrum[i], referenceLevel), 2);
        text += "\r\n";
    }
    return text;
}

const char* MonthName(int32_t month)
{
    static const char* const names[12] = {"January", "February", "March",     "April",
                                          "May",     "June",     "July",      "August",
                                          "September", "October", "November", "December"};
    if (month < 1 || month > 12)
        return "Octember";
    return names[month - 1];
}

std::string ClockDateText(int32_t month, int32_t day, int32_t year)
{
    return JoinClockFields("%02d-%02d-%04d", month, day, year);
}

std::string ClockTimeText(int32_t hour, int32_t minute, int32_t second)
{
    return JoinClockFields("%02d:%02d:%02d", hour, minute, second);
}

std::string FftFileName(std::string_view dateText, std::string_view timeText)
{
    std::string name = "FFT";
    name += DigitField(dateText, 4, 2);
    name += MonthName(MonthNumber(dateText));
    name += DigitField(dateText, 7, 4);
    name += DigitField(timeText, 1, 2);
    name += DigitField(timeText, 4, 2);
    name += DigitField(timeText, 7, 2);
    name += ".txt";
    return name;
}

}  // namespace commands
