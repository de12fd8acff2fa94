#include "display/axes.h"

#include "dsp/numeric.h"
#include "dsp/sizes.h"

#include <cmath>
#include <cstdio>

namespace display {

namespace {

// nearest() for values that can leave the 32-bit range: huge bins from the
// exponential of a wide plot, or an infinite scale from a zero reference.
int32_t NearestSaturated(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return INT32_MAX;
    if (value <= -2147483648.0)
        return INT32_MIN;
    return dsp::Nearest(value);
}

// Bin under a half-pixel position on the logarithmic axis.
double LogBinAt(double halfPixels)
{
    return std::exp(halfPixels / LogAxisFactor) + 0.5;
}

void AddLine(Graticule& g, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (g.lineCount < Graticule::MaxLines)
        g.lines[g.lineCount++] = Segment{x1, y1, x2, y2};
}

void AddLabel(Graticule& g, int32_t decibels, int32_t x, int32_t y)
{
    if (g.labelCount >= Graticule::MaxLabels)
        return;
    Label& label = g.labels[g.labelCount++];
    std::snprintf(label.text, sizeof label.text, "%ddB", decibels);
    label.x = x;
    label.y = y;
    // Five characters: "-100dB" deliberately shows as "-100d".
    label.count = 5;
}

}  // namespace

int32_t BinToX(int32_t bin, int32_t scale)
{
    if (scale != LogarithmicScale)
        return bin;
    return 2 * dsp::Fix(LogAxisFactor * dsp::LogE(bin));
}

int32_t XToBin(int32_t x, int32_t scale)
{
    if (scale != LogarithmicScale)
        return x;
    return NearestSaturated(LogBinAt(x / 2.0));
}

int32_t LevelToY(double amplitude, int32_t height, int32_t reference)
{
    return LevelToYScaled(amplitude, LevelScale(height, reference), reference);
}

float LevelScale(int32_t height, int32_t reference)
{
    return static_cast<float>(height / dsp::LogE(reference));
}

int32_t LevelToYScaled(double amplitude, float scaleY, int32_t reference)
{
    const float y = static_cast<float>(scaleY * dsp::LogE(reference / amplitude));
    return NearestSaturated(y);
}

int32_t ZoomColumnToBin(int32_t u, int32_t s, int32_t e, int32_t scale, int32_t width)
{
    double first, last;
    if (scale == LogarithmicScale) {
        first = NearestSaturated(LogBinAt(s));
        last = NearestSaturated(LogBinAt(e));
    } else {
        first = 2.0 * s;
        last = 2.0 * e;
    }
    return NearestSaturated(2.0 * u * (last - first) / width + first);
}

int32_t SpectrumIndex(double bin)
{
    // Limited before rounding: a bin beyond the 32-bit range has no nearest
    // integer to convert to.
    if (!(bin > 0.0))
        return 0;
    if (bin > dsp::FftLength - 1)
        return dsp::FftLength - 1;
    return dsp::Nearest(bin);
}

Graticule BuildGraticule(int32_t scale, int32_t width, int32_t height)
{
    Graticule g;
    g.lineCount = 0;
    g.labelCount = 0;

    // Each loop computes its step and bound once and stops at the first value
    // beyond the bound; a zero step (a plot too small) would never end.
    if (scale == LogarithmicScale) {
        // Ten times finer lines in the lowest tenth, set 4 pixels right of
        // their bins so that they stay apart from the coarse set.
        const int32_t fineStep = dsp::Nearest(width / 100.0);
        const int32_t fineLast = dsp::Nearest(width / 10.0);
        if (fineStep >= 1)
            for (int32_t bin = fineStep; bin <= fineLast; bin += fineStep) {
                const int32_t x = BinToX(bin, LogarithmicScale) + 4;
                AddLine(g, x, 0, x, height);
            }
        // The bins of the linear scale's lines.
        const int32_t step = dsp::Nearest(width / 10.0);
        const int32_t last = dsp::Nearest(width / 10.0 + width);
        if (step >= 1)
            for (int32_t bin = step; bin <= last; bin += step) {
                const int32_t x = BinToX(bin, LogarithmicScale);
                AddLine(g, x, 0, x, height);
            }
    } else {
        const int32_t step = dsp::Nearest(width / 10.0);
        if (step >= 1)
            for (int32_t x = 0; x <= width; x += step)
                AddLine(g, x, 0, x, height);
    }

    // Level lines leave the 30 right-hand columns to the labels.
    const int32_t step = dsp::Nearest(height / 10.0);
    if (step >= 1) {
        int32_t n = 1;
        for (int32_t y = step; y <= height; y += step, ++n) {
            AddLine(g, 0, y, width - 30, y);
            AddLabel(g, -10 * n, width - 28, y - 5);
        }
    }
    return g;
}

}  // namespace display
