// The sizes of the analysis, the same at every sample rate: what every
// module that holds a block, a spectrum or one line per bin is sized by.
#pragma once
#include <cstdint>

namespace dsp {

// log2 of FftLength: the width of the bit reversal and the number of stages.
constexpr int32_t FftBits = 10;

// Points per transform, and samples per analysed block.
constexpr int32_t FftLength = 1 << FftBits;

// Half a block: the highest bin (the Nyquist bin) and the centre of a window.
constexpr int32_t HalfLength = FftLength / 2;

// Samples of one recorded buffer: twice a block. Only the first FftLength
// are analysed; the rest is recorded and never read.
constexpr int32_t CaptureSamples = 2 * FftLength;

// Bins the pass computes, 0 .. HalfLength inclusive: the entries of the
// spectrum in use, the points of the trace, the lines of the export.
constexpr int32_t BinCount = HalfLength + 1;

}  // namespace dsp
