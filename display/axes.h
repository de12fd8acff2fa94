// The plot's axes and grid: the frequency and level mappings, the zoom
// view's columns and the graticule as lines and labels. Pure functions of the
// values the Win32 drawing code reads (scale, plot size, reference level); no
// state, no <windows.h>.
#pragma once
#include <cstdint>

#include "dsp/sizes.h"

namespace display {

// Scale of the frequency axis: the check state of the Logarithmic button.
enum : int32_t { LinearScale = 0, LogarithmicScale = 1 };

// Pixels per unit of ln(bin), times one half, of the logarithmic axis:
// FftLength / (4 ln HalfLength) = 1024 / (4 x 9 ln 2) held in single
// precision (41.036659...), so that the last bin lands exactly on x = 512.
constexpr float LogAxisFactor = static_cast<float>(
    dsp::FftLength / (4.0 * (dsp::FftBits - 1) * 0.693147180559945309417232121458));

// A point or a segment end in plot pixels (x right, y down from the top left).
struct Point {
    int32_t x;
    int32_t y;
};

// A grid line, drawn from (x1, y1) towards (x2, y2), the end point excluded.
struct Segment {
    int32_t x1, y1, x2, y2;
};

// A dB label: draw the first `count` characters of `text` with the top-left
// corner at (x, y).
struct Label {
    char text[16];
    int32_t x, y;
    int32_t count;
};

// The graticule of one plot size and scale, held without heap memory.
struct Graticule {
    static constexpr int32_t MaxLines = 96;
    static constexpr int32_t MaxLabels = 32;
    int32_t lineCount;
    Segment lines[MaxLines];  // vertical lines first, then the horizontal ones
    int32_t labelCount;
    Label labels[MaxLabels];
};

// x pixel of bin i (1 to 512): i, or 2 FIX(k ln i) on the logarithmic scale.
int32_t BinToX(int32_t bin, int32_t scale);

// Bin under plot x: x, or nearest(e^((x / 2) / k) + 0.5) on the logarithmic
// scale. The result may lie beyond the spectrum; see SpectrumIndex.
int32_t XToBin(int32_t x, int32_t scale);

// y pixel of amplitude a on a plot `height` pixels high, the reference
// amplitude at the top edge: nearest(scaleY ln(R / a)) with scaleY =
// height / ln R in single precision; a logarithm of 0, a negative value,
// infinity or NaN counts as 0 (so a = 0 lies on the top edge).
int32_t LevelToY(double amplitude, int32_t height, int32_t reference);

// scaleY of LevelToY for a plot `height` pixels high.
float LevelScale(int32_t height, int32_t reference);

// LevelToY with its scaleY = LevelScale(height, reference) worked out once,
// for the many points of one trace.
int32_t LevelToYScaled(double amplitude, float scaleY, int32_t reference);

// Bin shown at half-pixel column u of the zoom view of the band s..e (half
// pixels) on a plot `width` pixels wide: linear between the bins under the
// band's edges. The result may lie outside the spectrum; see SpectrumIndex.
int32_t ZoomColumnToBin(int32_t u, int32_t s, int32_t e, int32_t scale, int32_t width);

// A bin, rounded to the nearest, limited to the spectrum's entries 0 to
// FftLength - 1 (NaN reads 0). Bins above the end read the last entry, which
// is never computed and stays 0.
int32_t SpectrumIndex(double bin);

// Grid lines and dB labels of a plot `width` x `height` on the given scale.
// A size too small to give a non-zero step leaves that set of lines out.
Graticule BuildGraticule(int32_t scale, int32_t width, int32_t height);

}  // namespace display
