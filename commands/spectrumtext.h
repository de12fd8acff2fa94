// The spectrum as text and the dated name of its file: pure functions of the
// values the Win32 commands read (the spectrum, the sample rate, the reference
// level, the local clock as two texts); no state, no <windows.h>.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace commands {

// The spectrum text: dsp::BinCount lines, for bins i = 0 to 512 the frequency
// (dsp::BinFrequency) with the mask "0.0", a tab, the level of spectrum[i]
// (dsp::LevelInDecibels, in double) with the mask "0.00", and "\r\n". An
// amplitude of exactly 0 reads "-inf"; any other level whose logarithm does
// not exist (a negative, infinite or NaN amplitude, or a reference of 0)
// reads 0.00. Reads spectrum[0..512]; the caller keeps the array.
std::string BuildSpectrumText(const float* spectrum, int32_t sampleRate, int32_t referenceLevel);

// English name of month 1 to 12; "Octember" for any other number. The text
// is static.
const char* MonthName(int32_t month);

// The clock texts the file name is cut from: "mm-dd-yyyy" and "hh:mm:ss",
// each field zero-padded to its width (a value too wide for it is written
// whole, and the cut below takes what lies at the field's positions).
std::string ClockDateText(int32_t month, int32_t day, int32_t year);
std::string ClockTimeText(int32_t hour, int32_t minute, int32_t second);

// File name "FFT" + day + month name + year + hour + minute + second + ".txt"
// with the fields cut by position from dateText ("mm-dd-yyyy": month 1-2,
// day 4-5, year 7-10) and timeText ("hh:mm:ss": hour 1-2, minute 4-5,
// second 7-8). Malformed texts: a field that runs past the end of its text
// or holds anything but decimal digits reads as zeros ("00", "0000"); a month
// field that is not two digits gives "Octember". So the name always has the
// shape FFTddMonthyyyyhhmmss.txt, with no path separator, colon or blank.
std::string FftFileName(std::string_view dateText, std::string_view timeText);

}  // namespace commands
