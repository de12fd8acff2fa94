// The sizes of the analysis, the same at every sample rate: what every
// module that holds a block, a spectrum or one line per bin is sized by.
#pragma once
#include <cstdint>

namespace dsp {

// Points per transform, and samples per analysed block.
constexpr int32_t FftLength = 1024;

// Bins the pass computes, 0 .. FftLength / 2 inclusive: the entries of the
// spectrum in use, the points of the trace, the lines of the export.
constexpr int32_t BinCount = FftLength / 2 + 1;

}  // namespace dsp
