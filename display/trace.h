// The plot's trace and readouts: the points of the live trace and of the
// zoom view, and the level and text of a readout. Pure functions of the
// spectrum and the values the Win32 drawing code reads; no state, no
// <windows.h>.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "display/axes.h"
#include "dsp/sizes.h"

namespace display {

// The live trace of `spectrum` (dsp::FftLength entries), one point per bin: (0, y of
// bin 1), then (BinToX(i), y of bin i) for i = 1 to 512; an amplitude of
// exactly 0 is drawn as 1, on the row just below the plot.
std::array<Point, dsp::BinCount> TracePoints(const float* spectrum, int32_t scale, int32_t height,
                                             int32_t reference);

// The zoom view of band s..e: one point per column 0 to `width`; an amplitude
// of exactly 0 is drawn as 1, on the row just below the plot, as in the trace.
std::vector<Point> ZoomViewPoints(const float* spectrum, int32_t s, int32_t e, int32_t scale,
                                  int32_t width, int32_t height, int32_t reference);

// Spectrum entry of the live readout: the bin of `frequency` at `sampleRate`
// (dsp::FrequencyBin), limited by SpectrumIndex.
int32_t ReadoutBin(float frequency, int32_t sampleRate);

// Decimals of the frequency and the level in the live and zoom readouts.
constexpr int32_t ReadoutDecimals = 1;

// Readout text: frequency and level with ReadoutDecimals decimals,
// "1033.6Hz, -20.0dB"; a level of minus infinity reads "-inf",
// "1033.6Hz, -infdB".
std::string ReadoutText(float frequency, float level);

}  // namespace display
