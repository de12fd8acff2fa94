// What a bin and an amplitude read as, for everyone who shows or writes
// them (the live and zoom readouts, the export): the frequency in Hz and the
// level in dB. Each reader rounds and masks the result as it must.
#pragma once
#include <cstdint>

namespace dsp {

// Hz at the centre of bin `bin` at `sampleRate`: bin x rate / FftLength,
// exact for every bin of a 32-bit range (the division only moves the
// binary point).
double BinFrequency(int32_t bin, int32_t sampleRate);

// The bin of `frequency` at `sampleRate`, the inverse of BinFrequency: not
// rounded, and not limited to the spectrum (display::SpectrumIndex limits
// it); 0 while the rate is 0.
double FrequencyBin(double frequency, int32_t sampleRate);

// Level in dB of `amplitude` against `reference`: 20 log10(a / R); minus
// infinity for an amplitude of exactly 0 (no signal at all), and 0 where the
// logarithm rule applies (a negative, infinite or NaN ratio, or R = 0).
double LevelInDecibels(double amplitude, int32_t reference);

// LevelInDecibels held in single precision, as the readouts on the screen
// hold it; the export writes the double.
float LevelInDecibelsSingle(double amplitude, int32_t reference);

}  // namespace dsp
