// Numeric helpers shared by every module: the rounding rules, the logarithm
// rule and the number masks used by the readouts, labels and the export.
// Pure functions, no state.
#pragma once
#include <cstdint>
#include <string>

namespace dsp {

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
int32_t Nearest(double value);

// Truncation toward zero (FIX): -2.7 -> -2.
int32_t Fix(double value);

// Largest integer not above the value (INT): -2.5 -> -3.
int32_t Int(double value);

// Natural logarithm; 0 for an argument that is 0, negative, infinite or NaN.
double LogE(double value);

// Decimal logarithm with the same rule as LogE.
double Log10(double value);

// The value with exactly `decimals` digits after the point (0 for the mask
// "0", 1 for "0.0", 2 for "0.00"), rounded, at least one digit before the
// point and a leading "-" only for values below zero. NaN and the
// infinities read as 0.
std::string FormatMask(double value, int decimals);

// A level in dB with the mask of `decimals`: "-inf" for minus infinity, the
// level of an amplitude of 0, where no signal at all arrived; any other value
// as FormatMask gives it.
std::string FormatLevel(double level, int decimals);

}  // namespace dsp
