// The dated file name from any two clock texts, malformed ones included, and
// from the clock texts of any six numbers: never a read past either text,
// always FFT + dd + month name + yyyy + hhmmss + ".txt", each field the
// digits at its positions or zeros, the month "Octember" unless characters
// 1-2 of the date name 1 to 12.
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "commands/spectrumtext.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

const char* const Months[] = {"January", "February", "March",     "April",   "May",
                              "June",    "July",     "August",    "September",
                              "October", "November", "December",  "Octember"};

// The text's characters at 1-based positions first .. first + width - 1 if
// they are all digits, else that many zeros.
std::string Field(std::string_view text, size_t first, size_t width)
{
    if (text.size() < first - 1 + width)
        return std::string(width, '0');
    const std::string_view field = text.substr(first - 1, width);
    for (char c : field) {
        if (!fuzz::IsDigit(c))
            return std::string(width, '0');
    }
    return std::string(field);
}

void CheckName(std::string_view date, std::string_view time)
{
    const std::string name = commands::FftFileName(date, time);
    const std::string month = Field(date, 1, 2);
    const int number = (month[0] - '0') * 10 + (month[1] - '0');
    const char* const monthName = number >= 1 && number <= 12 ? Months[number - 1] : "Octember";
    const std::string expected = "FFT" + Field(date, 4, 2) + monthName + Field(date, 7, 4) +
                                 Field(time, 1, 2) + Field(time, 4, 2) + Field(time, 7, 2) +
                                 ".txt";
    FUZZ_CHECK(name == expected, "\"%s\" for \"%.*s\" and \"%.*s\", not \"%s\"", name.c_str(),
               static_cast<int>(date.size()), date.data(), static_cast<int>(time.size()),
               time.data(), expected.c_str());
    // The shape itself, apart from the field rule above.
    bool known = false;
    for (const char* m : Months)
        known = known || name.compare(5, std::strlen(m), m) == 0;
    FUZZ_CHECK(known && name.size() >= 3 + 2 + 3 + 4 + 6 + 4 && name.size() <= 3 + 2 + 9 + 4 + 6 + 4
                   && name.find_first_of("/\\: \t") == std::string::npos,
               "malformed name \"%s\"", name.c_str());
}

// A copy of exactly the text's size on the heap.
std::unique_ptr<char[]> Copy(const std::string& text)
{
    std::unique_ptr<char[]> copy(new char[text.size()]);
    std::memcpy(copy.get(), text.data(), text.size());
    return copy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool()) {
        const int32_t month = input.ConsumeIntegral<int32_t>();
        const int32_t day = input.ConsumeIntegral<int32_t>();
        const int32_t year = input.ConsumeIntegral<int32_t>();
        const int32_t hour = input.ConsumeIntegral<int32_t>();
        const int32_t minute = input.ConsumeIntegral<int32_t>();
        const int32_t second = input.ConsumeIntegral<int32_t>();
        CheckName(commands::ClockDateText(month, day, year),
                  commands::ClockTimeText(hour, minute, second));
        return 0;
    }
    const std::string date = input.ConsumeRandomLengthString(24);
    const std::string time = input.ConsumeRemainingBytesAsString();
    const auto dateCopy = Copy(date);
    const auto timeCopy = Copy(time);
    CheckName(std::string_view(dateCopy.get(), date.size()),
              std::string_view(timeCopy.get(), time.size()));
    return 0;
}
