// Shared by the fuzz targets: a check that aborts (libFuzzer then keeps the
// input), heap copies of exactly the size a function may read, so that
// AddressSanitizer sees a read one past the end, and the shape of the
// number masks.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

// Aborts with the condition and a note when `condition` is false.
#define FUZZ_CHECK(condition, ...)                                              \
    do {                                                                        \
        if (!(condition)) {                                                     \
            std::fprintf(stderr, "%s:%d: check failed: %s\n  ", __FILE__,       \
                         __LINE__, #condition);                                 \
            std::fprintf(stderr, __VA_ARGS__);                                  \
            std::fprintf(stderr, "\n");                                         \
            std::abort();                                                       \
        }                                                                       \
    } while (0)

namespace fuzz {

// `count` values of T from the input's raw bytes, zeros where it runs out,
// in a heap block of exactly that many.
template <typename T>
std::unique_ptr<T[]> ConsumeArray(FuzzedDataProvider& input, size_t count)
{
    std::unique_ptr<T[]> values(new T[count]());
    const std::string bytes = input.ConsumeBytesAsString(count * sizeof(T));
    std::memcpy(values.get(), bytes.data(), bytes.size());
    return values;
}

// Any bit pattern, NaNs, infinities and subnormals included.
inline double ConsumeAnyDouble(FuzzedDataProvider& input)
{
    const uint64_t bits = input.ConsumeIntegral<uint64_t>();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
inline float ConsumeAnyFloat(FuzzedDataProvider& input)
{
    const uint32_t bits = input.ConsumeIntegral<uint32_t>();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The length of the mask text at the start of `text`: an optional "-", one or
// more digits and, for decimals > 0, a point and exactly `decimals` digits.
// 0 when the text does not start so.
inline size_t MaskLength(std::string_view text, int decimals)
{
    size_t i = 0;
    if (i < text.size() && text[i] == '-')
        ++i;
    const size_t integerStart = i;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    if (i == integerStart)
        return 0;
    if (decimals == 0)
        return i;
    if (i >= text.size() || text[i] != '.')
        return 0;
    ++i;
    for (int d = 0; d < decimals; ++d, ++i) {
        if (i >= text.size() || !IsDigit(text[i]))
            return 0;
    }
    return i;
}

// The length of the level text at the start of `text`: "-inf" (no signal),
// or a mask text as MaskLength reads it.
inline size_t LevelLength(std::string_view text, int decimals)
{
    return text.substr(0, 4) == "-inf" ? 4 : MaskLength(text, decimals);
}

// The whole text is one mask text with `decimals` digits after the point.
inline bool IsMaskText(std::string_view text, int decimals)
{
    const size_t length = MaskLength(text, decimals);
    return length != 0 && length == text.size();
}

}  // namespace fuzz
